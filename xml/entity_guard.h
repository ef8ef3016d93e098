// The guard against entity amplification ("billion laughs", quadratic
// blow-up). Documents are parsed with the library's size limits lifted, so
// that real documents with huge text nodes load whole; that also lifts the
// library's own amplification check, and this guard takes its place.
//
// While parsing, every entity reference is checked as it is resolved: an
// entity whose expansion exceeds the limit stops the parser. After parsing,
// the load pass adds up the expansion of every reference in the tree.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

struct _xmlEntity;
struct _xmlParserCtxt;
struct _xmlDoc;
class XmlErrorCapture;

class EntityGuard {
 public:
  // limit: the most bytes the document's references may expand to.
  explicit EntityGuard(uint64_t limit) : m_limit(limit) {}

  // Hooks the guard into a parser context's entity lookups; a refusal is
  // recorded in capture. The guard and the capture must outlive the parse.
  void Attach(_xmlParserCtxt* context, XmlErrorCapture* capture);

  // The expanded size of an entity in bytes, saturating; memoised. A cycle
  // counts as unlimited.
  uint64_t ExpandedSize(_xmlDoc* doc, _xmlEntity* entity);

  uint64_t Limit() const { return m_limit; }
  XmlErrorCapture* Capture() const { return m_capture; }
  // The reason text for a refused document.
  std::string LimitMessage() const;

 private:
  static _xmlEntity* GetEntity(void* context, const unsigned char* name);
  static void EntityDeclaration(void* context, const unsigned char* name, int type,
                                const unsigned char* public_id, const unsigned char* system_id,
                                unsigned char* content);

  uint64_t m_limit;
  XmlErrorCapture* m_capture = nullptr;
  std::unordered_map<const _xmlEntity*, uint64_t> m_sizes;
};

// a + b and a * b, stopping at the largest value instead of wrapping.
uint64_t SaturatingAdd(uint64_t a, uint64_t b);
uint64_t SaturatingMultiply(uint64_t a, uint64_t b);
