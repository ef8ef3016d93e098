// The guard against entity amplification ("billion laughs", quadratic
// blow-up). Documents are parsed with the library's size limits lifted, so
// that real documents with huge text nodes load whole; that also lifts the
// library's own amplification check, and this guard takes its place.
//
// While parsing, every entity reference is checked as it is resolved: an
// entity whose expansion exceeds the limit stops the parser. The load pass,
// which hooks the guard into the parser, also adds up the expansion of
// every reference in the document.
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

  // The parser's entity lookup for a reference to name, refusing an entity
  // whose expansion exceeds the limit: the refusal is recorded in capture,
  // the parser stopped and null returned.
  _xmlEntity* Resolve(_xmlParserCtxt* context, const unsigned char* name,
                      XmlErrorCapture* capture);
  // To be called for every entity declaration: a new declaration may
  // complete an entity measured before it existed.
  void ForgetSizes() { m_sizes.clear(); }

  // The expanded size of an entity in bytes, saturating; memoised. A cycle
  // counts as unlimited.
  uint64_t ExpandedSize(_xmlDoc* doc, _xmlEntity* entity);

  uint64_t Limit() const { return m_limit; }
  // The reason text for a refused document.
  std::string LimitMessage() const;

 private:
  uint64_t m_limit;
  std::unordered_map<const _xmlEntity*, uint64_t> m_sizes;
};

// a + b and a * b, stopping at the largest value instead of wrapping.
uint64_t SaturatingAdd(uint64_t a, uint64_t b);
uint64_t SaturatingMultiply(uint64_t a, uint64_t b);
