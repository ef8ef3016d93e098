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
#include <vector>

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
  _xmlEntity* Resolve(_xmlParserCtxt* context, const unsigned char* name, XmlErrorCapture* capture);
  // To be called after every entity declaration: the sizes measured while
  // name was undeclared are measured again when next asked for. Costs only
  // the sizes it forgets, so that a document type of n declarations is
  // guarded in time linear in n.
  void Declared(const unsigned char* name);

  // The expanded size of an entity in bytes, saturating; memoised. A cycle
  // counts as unlimited, and a reference to a name not declared (yet) as one
  // character.
  uint64_t ExpandedSize(_xmlDoc* doc, _xmlEntity* entity);

  uint64_t Limit() const { return m_limit; }
  // The reason text for a refused document.
  std::string LimitMessage() const;

 private:
  // A measured size. A declaration never changes (the first one of a name
  // wins), so a size that depends only on declared entities is settled: it
  // holds for good. Any other counts the undeclared names it met as one
  // character each and holds until one of them is declared.
  struct Size {
    uint64_t bytes = 0;
    bool settled = false;
    // Unsettled entities whose sizes include this one, to be forgotten with
    // it. May name an entity forgotten and measured since: forgetting it
    // again only costs a new measurement.
    std::vector<const _xmlEntity*> dependents;
  };

  // Drops the unsettled size of entity, and of the entities that include it.
  void Forget(const _xmlEntity* entity);

  uint64_t m_limit;
  std::unordered_map<const _xmlEntity*, Size> m_sizes;
  // Each undeclared name with the unsettled entities that reference it
  // directly. Invariant: every unsettled size is reachable from here, by
  // name and then through dependents.
  std::unordered_map<std::string, std::vector<const _xmlEntity*>> m_waiting;
};

// a + b and a * b, stopping at the largest value instead of wrapping.
uint64_t SaturatingAdd(uint64_t a, uint64_t b);
uint64_t SaturatingMultiply(uint64_t a, uint64_t b);
