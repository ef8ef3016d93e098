// CXmlFile holds the one XML document a run works on and its current node,
// the node that the node commands read and change.
//
// Every operation returns a status: S_OK, S_FALSE where stated, or a
// failure. Operations that need a document fail with E_POINTER before the
// first Create or Load; those that need a current node fail with E_POINTER
// when there is none, and the attribute operations also when the current
// node is not an element. When an operation fails with E_INVALIDARG, because
// a name or a text can not go into a well-formed document, BadArgument()
// tells which of its arguments (0-based) it refused; nothing was changed.
//
// Invariant: the current node is null, the document node, or a node of the
// document (an attribute included); never a namespace node and never a
// pointer into freed memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

struct _xmlDoc;
struct _xmlNode;

enum class SaveFlags : unsigned {
  None = 0,
  Indent = 1,         // lay elements out on indented lines
  NoDeclaration = 2,  // write no XML declaration
};
constexpr SaveFlags operator|(SaveFlags a, SaveFlags b) {
  return static_cast<SaveFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool HasFlag(SaveFlags set, SaveFlags flag) {
  return (static_cast<unsigned>(set) & static_cast<unsigned>(flag)) != 0;
}

// Settings of the document that apply to every later load and selection
// (the "set property" command).
struct XmlProperties {
  bool prohibit_dtd = false;
  int32_t max_element_depth = 0;  // 0: no limit
  int32_t max_xml_size_kb = 0;    // in kilobytes; 0: no limit
  // Prefixes declared with SelectionNamespaces, as (prefix, namespace URI).
  std::vector<std::pair<std::string, std::string>> selection_namespaces;
  std::string selection_namespaces_text;
};

class CXmlFile {
 public:
  CXmlFile();
  virtual ~CXmlFile();
  CXmlFile(const CXmlFile&) = delete;
  CXmlFile& operator=(const CXmlFile&) = delete;

  // Replaces the document with a new empty one (no declaration, no element);
  // the document node becomes current.
  HRESULT Create();

  // Replaces the document with the one parsed from the file at path. Nothing
  // but that file is ever opened, whatever the document asks for. Returns
  // S_FALSE when the file is not well-formed XML (GetParseErrorText then
  // describes why), or the failure of opening or reading it. After anything
  // but S_OK the document is an empty one. The document node becomes current.
  HRESULT Load(const std::string& path);

  // After a Load that returned S_FALSE: "XML parse error on line N.\n<reason>\n".
  // Fails with E_FILE_NOT_FOUND when there is no document.
  HRESULT GetParseErrorText(std::string* text) const;

  // Writes the document to path (empty: the source path) in encoding (empty:
  // "utf-8"). The file is replaced only when the whole document was written
  // and flushed to disk; on any failure the file at path is as it was. The
  // document element becomes current.
  HRESULT Save(const std::string& path, std::string_view encoding, SaveFlags flags);

  // After a failed Save that could not replace the file atomically and had
  // to copy into it: the path of the complete copy that was kept, else "".
  const std::string& GetKeptCopyPath() const { return m_keptCopyPath; }

  const std::string& GetSourcePath() const { return m_sourcePath; }

  // Selection and navigation: a selection that finds nothing succeeds and
  // leaves no current node.
  HRESULT SelectDocument();
  HRESULT SelectRoot();
  HRESULT SelectNode(std::string_view expression);
  HRESULT SelectChild(int32_t position);
  HRESULT SelectChild(std::string_view expression);
  HRESULT SelectParent();
  HRESULT SelectNext();
  HRESULT SelectPrevious();

  // Node commands. Texts are stored literally; names must be XML names, and
  // a prefix must be declared where the node goes.
  HRESULT AddElement(std::string_view name);
  HRESULT AddText(std::string_view text);
  HRESULT AddComment(std::string_view text);
  HRESULT AddCDataSection(std::string_view text);
  HRESULT AddRoot(std::string_view name);
  HRESULT AddChildElement(std::string_view name);
  HRESULT AddChildText(std::string_view name, std::string_view text);
  HRESULT AddChildCDataSection(std::string_view name, std::string_view text);
  HRESULT SetAttribute(std::string_view name, std::string_view value);
  // S_FALSE when the element has no such attribute.
  HRESULT GetAttribute(std::string_view name, std::string* value);
  HRESULT GetText(std::string* text);
  HRESULT GetChildText(int32_t position, std::string* text);
  // S_FALSE when the expression finds nothing.
  HRESULT GetChildText(std::string_view expression, std::string* text);
  HRESULT RemoveAttribute(std::string_view name);
  HRESULT RemoveChild(int32_t position);
  // S_FALSE when the expression finds nothing.
  HRESULT RemoveChild(std::string_view expression);
  HRESULT RemoveNode();
  HRESULT SetText(std::string_view text);
  HRESULT SetChildText(int32_t position, std::string_view text);
  // S_FALSE when the expression finds nothing.
  HRESULT SetChildText(std::string_view expression, std::string_view text);
  // Unknown name: E_INVALIDARG (argument 0); a value that does not convert
  // to the property's type: DISP_E_TYPEMISMATCH.
  HRESULT SetProperty(std::string_view name, std::string_view value);

  int BadArgument() const { return m_badArgument; }

 private:
  struct DocFree {
    void operator()(_xmlDoc* doc) const;
  };

  void ReplaceDocument(_xmlDoc* doc);
  HRESULT Refuse(int argument);

  std::string m_sourcePath;
  std::unique_ptr<_xmlDoc, DocFree> m_doc;
  _xmlNode* m_current = nullptr;
  XmlProperties m_properties;
  std::string m_parseError;  // set by the last Load that returned S_FALSE
  std::string m_keptCopyPath;
  int m_badArgument = 0;
};
