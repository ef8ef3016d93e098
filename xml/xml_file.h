// CXmlFile holds the one XML document a run works on and its current node,
// the node that the node commands read and change.
//
// Every operation returns a status: S_OK, S_FALSE where stated, or a
// failure. Operations that need a document fail with E_POINTER before the
// first Create or Load; those that need a current node fail with
// XML_E_NO_CURRENT_NODE when there is none (a selection found nothing), and
// the attribute operations with XML_E_NO_ATTRIBUTES when the current node
// is not an element. When an operation refuses an argument, because a name
// or a text can not go into a well-formed document, it fails with a status
// for which IsRefusal holds (E_INVALIDARG; XML_E_INVALID_NAME for a name
// that is no XML name, XML_E_UNDECLARED_NAME_PREFIX for a prefix that no
// declaration in scope binds), BadArgument() tells which of its arguments
// (0-based) it refused, and nothing was changed.
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

#include "platform/safe_file_writer.h"
#include "platform/status.h"
#include "xml/attribute_index.h"
#include "xml/child_cursor.h"

struct _xmlDoc;
struct _xmlNode;
struct _xmlNs;
enum class NodeKind;
class SourceText;

// Where a new or moved node goes, relative to a node: as its last child, or
// as its previous or next sibling.
enum class Placement { LastChild, Before, After };

enum class SaveFlags : unsigned {
  None = 0,
  Indent = 1,         // lay elements out on indented lines
  NoDeclaration = 2,  // write no XML declaration
  Preserve = 4,       // change only the bytes that commands changed (LoadFlags::KeepSource)
};
constexpr SaveFlags operator|(SaveFlags a, SaveFlags b) {
  return static_cast<SaveFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool HasFlag(SaveFlags set, SaveFlags flag) {
  return (static_cast<unsigned>(set) & static_cast<unsigned>(flag)) != 0;
}

enum class LoadFlags : unsigned {
  None = 0,
  // Keep the file's text, so that SaveFlags::Preserve can write back every
  // byte that no command changed.
  KeepSource = 1,
};

// Settings of the document that apply to every later load and selection
// (the "set property" command).
struct XmlProperties {
  bool prohibit_dtd = false;
  int32_t max_element_depth = 0;  // 0: no limit
  int32_t max_xml_size_kb = 0;    // in kilobytes; 0: no limit
  // Prefixes declared with SelectionNamespaces, as (prefix, namespace URI).
  std::vector<std::pair<std::string, std::string>> selection_namespaces;
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
  // With LoadFlags::KeepSource the document keeps its text until the next
  // Create or Load; a text that cannot be written back exactly still loads,
  // and only a save that would need it fails.
  HRESULT Load(const std::string& path, LoadFlags flags = LoadFlags::None);

  // After a Load that returned S_FALSE: "XML parse error on line N.\n<reason>\n".
  // Fails with E_FILE_NOT_FOUND when there is no document.
  HRESULT GetParseErrorText(std::string* text) const;

  // Writes the document to path (empty: the source path) in encoding (empty:
  // "utf-8"). The file is replaced only when the whole document was written
  // and flushed to disk; on any failure the file at path is as it was. The
  // document element becomes current.
  //
  // SaveFlags::Preserve, for a document loaded with its text, writes back
  // every byte of it that no command changed (preserving_writer.h); encoding
  // empty then keeps the document's own. A created document, or one that
  // Create or a Load without the text replaced, is written as without it.
  // Preserve with Indent fails with E_INVALIDARG.
  HRESULT Save(const std::string& path, std::string_view encoding, SaveFlags flags);

  // After a Save with SaveFlags::Preserve that succeeded: true when the
  // target was the document's own file and the text was unchanged, so the
  // file was not written at all.
  bool SavedUnchanged() const { return m_savedUnchanged; }

  // After a failed Save: what it has to tell beyond its status, such as the
  // copies it kept when an in-place write could not be undone.
  const SaveReport& GetSaveReport() const { return m_saveReport; }

  // Selection and navigation: a selection that finds nothing succeeds and
  // leaves no current node. Positions count every kind of child node of an
  // element or the document from 0; other nodes have no children here. An
  // attribute can be current; it has no parent and no siblings. Expressions
  // are XPath 1.0 and know the prefixes declared on the document element, its
  // default namespace as "_" (unless it declares "_"), and those of the
  // SelectionNamespaces property. A namespace node is never made current.
  // A failed expression (XML_E_INVALID_XPATH, XML_E_UNDECLARED_PREFIX, or
  // XML_E_XPATH_NOT_NODESET when it selects no nodes) leaves no current node
  // after SelectNode and the current node unchanged after SelectChild.
  HRESULT SelectDocument();
  HRESULT SelectRoot();
  HRESULT SelectNode(std::string_view expression);
  HRESULT SelectChild(int32_t position);
  HRESULT SelectChild(std::string_view expression);
  HRESULT SelectParent();
  HRESULT SelectNext();
  HRESULT SelectPrevious();

  // Node commands. Texts are stored literally. Names must be XML names, and a
  // prefix must be declared where the node goes (an unprefixed element joins
  // the default namespace there); texts must hold only characters XML allows,
  // as well-formed UTF-8, and neither "--" nor a final "-" for a comment, nor
  // "]]>" for a CDATA section, nor "?>" for a processing instruction:
  // otherwise E_INVALIDARG at that argument. The add commands fail with
  // XML_E_CANNOT_APPEND when the current node can not hold the new node
  // (only an element holds text and CDATA sections; the document holds
  // comments, and an element while it has none). An empty text adds no text
  // node. Every argument is checked before anything is added.
  HRESULT AddElement(std::string_view name);
  HRESULT AddText(std::string_view text);
  HRESULT AddComment(std::string_view text);
  HRESULT AddCDataSection(std::string_view text);
  // Replaces the document element, if any; the new element becomes current.
  HRESULT AddRoot(std::string_view name);
  HRESULT AddChildElement(std::string_view name);
  HRESULT AddChildText(std::string_view name, std::string_view text);
  HRESULT AddChildCDataSection(std::string_view name, std::string_view text);
  // Attributes are found by namespace and local name, so a prefixed name
  // replaces the attribute of that namespace whatever its prefix. The names
  // "xmlns" and "xmlns:p" stand for the element's namespace declarations:
  // setting one rebinds the element and the nodes it covers as a reload
  // would; removing one that would leave a prefix undeclared fails with
  // XML_E_NAMESPACE_IN_USE.
  HRESULT SetAttribute(std::string_view name, std::string_view value);
  // S_FALSE when the element has no such attribute; XML_E_NO_ATTRIBUTES when
  // the current node is not an element.
  HRESULT GetAttribute(std::string_view name, std::string* value);
  // The text of the node and its descendants, or an attribute's value, whole.
  HRESULT GetText(std::string* text);
  // XML_E_POSITION_OUT_OF_RANGE when there is no child at position.
  HRESULT GetChildText(int32_t position, std::string* text);
  // S_FALSE when the expression finds nothing.
  HRESULT GetChildText(std::string_view expression, std::string* text);
  // An absent attribute is no failure.
  HRESULT RemoveAttribute(std::string_view name);
  // E_INVALIDARG (argument 0) when there is no child at position.
  HRESULT RemoveChild(int32_t position);
  // S_FALSE when the expression finds nothing; XML_E_NOT_CHILD when it finds
  // no child of the current node.
  HRESULT RemoveChild(std::string_view expression);
  // The parent becomes current. XML_E_NO_PARENT for the document and for an
  // attribute; the document type can not be removed (XML_E_CANNOT_REMOVE),
  // since entity references point into it.
  HRESULT RemoveNode();
  // Replaces all children of an element with the text, or the value of an
  // attribute, or the text of a text, CDATA, comment or processing-instruction
  // node; XML_E_CANNOT_APPEND for other nodes.
  HRESULT SetText(std::string_view text);
  // XML_E_POSITION_OUT_OF_RANGE when there is no child at position.
  HRESULT SetChildText(int32_t position, std::string_view text);
  // S_FALSE when the expression finds nothing. When the node found is an
  // ancestor of the current node, whose content it replaces, there is no
  // current node afterwards.
  HRESULT SetChildText(std::string_view expression, std::string_view text);
  // "SelectionLanguage" ("XPath" only), "SelectionNamespaces" (xmlns:p='uri'
  // declarations separated by white space; XML_E_INVALID_SELECTION_NAMESPACES
  // when malformed), "ProhibitDTD" (boolean), "MaxElementDepth" and
  // "MaxXMLSize" (integers, kilobytes for the size; 0: no limit); the last
  // three apply to later loads. Unknown name: E_INVALIDARG (argument 0); a
  // value that does not convert to the property's type: DISP_E_TYPEMISMATCH;
  // a value outside the property's range: E_INVALIDARG (argument 1).
  HRESULT SetProperty(std::string_view name, std::string_view value);

  // Every match: the expression is evaluated from the current node, and
  // every node it selects is checked before any is changed, so that a
  // refusal changes nothing. S_FALSE when it selects nothing.
  // Sets the text of each as SetText does. A node in the content of another
  // selected node is replaced with that content; when the current node is,
  // there is none afterwards. E_INVALIDARG (argument 1) for a text that one
  // of the nodes cannot hold; XML_E_CANNOT_APPEND for the document node.
  HRESULT SetNodesText(std::string_view expression, std::string_view text);
  // Removes each with its subtree, attributes included; a node inside
  // another selected node goes with it, once. When the current node goes,
  // the parent of the removed node that held it becomes current (the
  // element of a removed attribute). XML_E_NO_PARENT for the document node.
  HRESULT RemoveNodes(std::string_view expression);
  // The text of each, as GetText reads it, in document order.
  HRESULT GetNodesText(std::string_view expression, std::vector<std::string>* texts);

  // Beside the current node, which must be a node with a parent
  // (XML_E_NO_PARENT for the document and for an attribute), whose parent
  // takes the new node (XML_E_CANNOT_APPEND otherwise: nothing but comments
  // and processing instructions beside the document element).
  // A new element holding text (none when empty) as the previous or next
  // sibling; it becomes current. The name resolves where the element goes.
  HRESULT InsertElement(Placement side, std::string_view name, std::string_view text);
  // A new text, comment or CDATA section node (kind); the current node stays.
  HRESULT InsertContent(Placement side, NodeKind kind, std::string_view text);

  // Gives the current element or attribute a new qualified name
  // (XML_E_CANNOT_RENAME for other nodes). The prefix must be declared in
  // scope of the element (of an attribute's element); an unprefixed element
  // joins the default namespace in scope, an unprefixed attribute has none.
  // E_INVALIDARG (argument 0) for a name that is no XML name, an undeclared
  // prefix, a namespace declaration's name, or the name of another attribute
  // of the element.
  HRESULT Rename(std::string_view name);

  // Moves the current node to the place given by the first node that the
  // expression, evaluated from the current node, selects: its last child, or
  // its previous or next sibling. The moved node stays current and keeps
  // what its names mean: declarations its subtree needs at the new place are
  // added on it. S_FALSE when the expression selects nothing;
  // XML_E_CANNOT_MOVE for the document, a document type, a place inside the
  // node itself, beside the document or an attribute, or one that cannot
  // hold the node's kind; an attribute moves only onto another element that
  // has no attribute of its name.
  HRESULT Move(Placement place, std::string_view expression);

  int BadArgument() const { return m_badArgument; }
  static bool IsRefusal(HRESULT hr) {
    return hr == E_INVALIDARG || hr == XML_E_INVALID_NAME || hr == XML_E_UNDECLARED_NAME_PREFIX;
  }

 private:
  struct DocFree {
    void operator()(_xmlDoc* doc) const;
  };

  // An element name checked, and its namespace resolved where the element
  // goes (nullptr: none).
  struct ElementName {
    std::string local;
    _xmlNs* ns = nullptr;
  };
  // An attribute name checked and resolved on an element: either a namespace
  // declaration ("xmlns", "xmlns:p"; local is the declared prefix, empty for
  // the default namespace) or an attribute in namespace ns (nullptr: none).
  struct AttributeName {
    bool is_declaration = false;
    std::string_view local;
    _xmlNs* ns = nullptr;
  };

  void ReplaceDocument(_xmlDoc* doc);
  // Returns why, E_INVALIDARG or a status that names what is wrong with
  // the argument; BadArgument() then names the argument.
  HRESULT Refuse(int argument, HRESULT why = E_INVALIDARG);
  // To be called before any change to the tree but appending a node (which
  // moves no child and touches no attribute) and those that the attribute
  // index makes itself.
  void TreeChanged();
  // To be called before a child of parent is added or removed: with the
  // document's text kept, its children must be matched with the text while
  // they are as loaded (source_map.h).
  void BeforeChildrenChange(_xmlNode* parent);
  // Marks node, which stays where it is, to be saved as a new subtree: a
  // change that the text's copy of it cannot carry.
  void RewriteInPlace(_xmlNode* node);

  // Node commands (node_commands.cpp).
  HRESULT ResolveElementName(_xmlNode* scope, std::string_view name, ElementName* resolved);
  _xmlNode* NewElement(const ElementName& name);
  // The node a new node goes into: the current node for LastChild, else its
  // parent, with the checks of the insert commands.
  HRESULT FindParentFor(Placement place, NodeKind kind, _xmlNode** parent);
  void Place(Placement place, _xmlNode* parent, _xmlNode* node);
  HRESULT PlaceNewElement(Placement place, std::string_view name, std::string_view text,
                          NodeKind kind, _xmlNode** element);
  // The nodes the expression selects from the current node, or S_FALSE.
  HRESULT SelectMatches(std::string_view expression, std::vector<_xmlNode*>* nodes);
  HRESULT MoveAttribute(_xmlNode* target);
  HRESULT ResolveAttributeName(_xmlNode* element, std::string_view name, AttributeName* resolved);
  HRESULT RemoveChildNode(_xmlNode* child);
  HRESULT SetContent(_xmlNode* target, std::string_view text, int argument);

  // Selection (selection.cpp).
  HRESULT FindFrom(_xmlNode* context, std::string_view expression, _xmlNode** found);
  HRESULT SelectLinked(_xmlNode* _xmlNode::*link);

  std::string m_sourcePath;
  std::unique_ptr<_xmlDoc, DocFree> m_doc;
  _xmlNode* m_current = nullptr;
  // Shortcuts for walking children by position and filling an element with
  // attributes; right only while every other change calls TreeChanged().
  ChildCursor m_children;
  AttributeIndex m_attributes;
  XmlProperties m_properties;
  std::string m_parseError;  // set by the last Load that returned S_FALSE
  SaveReport m_saveReport;
  bool m_savedUnchanged = false;
  // The text the document was loaded from, with LoadFlags::KeepSource.
  std::unique_ptr<SourceText> m_source;
  int m_badArgument = 0;
};
