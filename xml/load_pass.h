// Finishing a document while the parser builds it. The pass sits in the
// parser's callbacks, so that loading needs no second walk over the tree
// and never builds the text it drops:
// - every text node made only of space, tab, CR and LF is left out, except
//   inside an element in the scope of xml:space="preserve";
// - the expansion of every entity reference in content and attribute
//   values is added up (the entity guard measures each entity);
// - the element depth is checked against a limit.
// Only the document's own content counts: the replacement text of an
// entity, which the parser builds in a context of its own, is built as
// the library builds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _xmlDoc;
struct _xmlNode;
struct _xmlParserCtxt;
class EntityGuard;
class XmlErrorCapture;

// The xml:space setting of an element, as a load reads it: 1 "preserve", 0
// "default", -1 none (inherited).
int SpaceSetting(const _xmlNode* element);

class LoadPass {
 public:
  // max_depth: the most elements that may be nested (0: no limit). The
  // guard's refusals are recorded in capture.
  LoadPass(EntityGuard* guard, XmlErrorCapture* capture, int32_t max_depth)
      : m_guard(guard), m_capture(capture), m_maxDepth(max_depth) {}
  LoadPass(const LoadPass&) = delete;
  LoadPass& operator=(const LoadPass&) = delete;

  // Hooks the pass, and the guard's checks of entity references, into the
  // context's callbacks; the pass takes the context's private slot. The pass
  // must outlive the parse.
  void Attach(_xmlParserCtxt* context);

  // The pass attached to a context (also to the context in which the
  // parser builds an entity's replacement text).
  static LoadPass* Of(_xmlParserCtxt* context);
  XmlErrorCapture* Capture() const { return m_capture; }

  // After a parse that reported no error: true, or false with the line and
  // reason of a refusal (the first element too deep, else the expansion of
  // all references beyond the guard's limit).
  bool Finish(_xmlDoc* doc, int* line, std::string* reason) const;

 private:
  struct Callbacks;

  bool IsDocument(const _xmlParserCtxt* context) const { return context == m_context; }
  // An event that adds a node or closes an element ends the text node
  // before it: blank text held back for it is dropped.
  void EndText(const _xmlParserCtxt* context);
  void AddText(_xmlParserCtxt* context, const unsigned char* text, int length);
  void DeliverHeldText(_xmlParserCtxt* context);
  void AddCData(_xmlParserCtxt* context, const unsigned char* text, int length);
  void StartElement(_xmlParserCtxt* context, _xmlNode* element);
  void EndElement(const _xmlParserCtxt* context);
  void AddReference(_xmlParserCtxt* context, const unsigned char* name);

  EntityGuard* m_guard;
  XmlErrorCapture* m_capture;
  int32_t m_maxDepth;
  _xmlParserCtxt* m_context = nullptr;  // the document's own parser context
  std::vector<bool> m_preserve;         // xml:space="preserve" per open element
  uint64_t m_expansion = 0;
  // Blank text that begins a text node is held back until the parser shows
  // whether more text follows in the same node.
  std::string m_heldText;
  int m_heldLine = 0;
  // The first element nested too deep.
  int m_tooDeepLine = 0;
  std::string m_tooDeepReason;
};
