#include "xml/entity_guard.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "xml/xml_library.h"

namespace {

constexpr uint64_t kUnlimited = UINT64_MAX;

// What an entity's replacement text is made of: its own characters, the
// references to declared general entities, and the names it references
// that are not declared.
struct EntityContent {
  uint64_t literal_bytes = 0;
  std::vector<xmlEntityPtr> references;
  std::vector<std::string> undeclared;
};

EntityContent ScanContent(xmlDocPtr doc, xmlEntityPtr entity) {
  EntityContent content;
  if (entity->content == nullptr) return content;
  const std::string_view text(reinterpret_cast<const char*>(entity->content));
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t amp = text.find('&', pos);
    if (amp == std::string_view::npos) {
      content.literal_bytes += text.size() - pos;
      break;
    }
    content.literal_bytes += amp - pos;
    const size_t semicolon = text.find(';', amp);
    if (semicolon == std::string_view::npos) {
      content.literal_bytes += text.size() - amp;
      break;
    }
    std::string name(text.substr(amp + 1, semicolon - amp - 1));
    pos = semicolon + 1;
    // Character references, predefined entities and names not declared
    // stand for a character. A predefined entity may be declared again only
    // as the same character (the library refuses anything else), so a
    // reference to one is settled.
    content.literal_bytes += 4;
    if (name.empty() || name[0] == '#') continue;
    const xmlEntityPtr referenced =
        xmlGetDocEntity(doc, reinterpret_cast<const xmlChar*>(name.c_str()));
    if (referenced == nullptr) {
      content.undeclared.push_back(std::move(name));
    } else if (referenced->etype != XML_INTERNAL_PREDEFINED_ENTITY) {
      content.literal_bytes -= 4;
      content.references.push_back(referenced);
    }
  }
  return content;
}

}  // namespace

uint64_t SaturatingAdd(uint64_t a, uint64_t b) { return a > kUnlimited - b ? kUnlimited : a + b; }

uint64_t SaturatingMultiply(uint64_t a, uint64_t b) {
  return (a != 0 && b > kUnlimited / a) ? kUnlimited : a * b;
}

std::string EntityGuard::LimitMessage() const {
  return "Entity expansion exceeds the limit of " + std::to_string(m_limit) + " bytes";
}

void EntityGuard::Declared(const xmlChar* name) {
  const auto waiting = m_waiting.find(reinterpret_cast<const char*>(name));
  if (waiting == m_waiting.end()) return;
  const std::vector<const xmlEntity*> entities = std::move(waiting->second);
  m_waiting.erase(waiting);
  for (const xmlEntity* entity : entities) Forget(entity);
}

void EntityGuard::Forget(const xmlEntity* entity) {
  std::vector<const xmlEntity*> pending{entity};
  while (!pending.empty()) {
    const auto found = m_sizes.find(pending.back());
    pending.pop_back();
    if (found == m_sizes.end() || found->second.settled) continue;
    pending.insert(pending.end(), found->second.dependents.begin(), found->second.dependents.end());
    m_sizes.erase(found);
  }
}

uint64_t EntityGuard::ExpandedSize(xmlDocPtr doc, xmlEntityPtr entity) {
  if (auto found = m_sizes.find(entity); found != m_sizes.end()) return found->second.bytes;

  // Depth-first over the reference graph with an explicit stack: chains of
  // entities may be longer than the call stack is deep. Each entity is
  // scanned once per measurement; the sizes already known end the descent.
  struct Frame {
    xmlEntityPtr entity;
    EntityContent content;
    size_t next = 0;
    uint64_t total = 0;
    bool settled = true;
  };
  std::vector<Frame> stack;
  std::unordered_set<const xmlEntity*> in_progress;
  // Adds a measured reference to the frame that made it.
  const auto include = [](Frame* frame, Size* size) {
    frame->total = SaturatingAdd(frame->total, size->bytes);
    if (!size->settled) {
      frame->settled = false;
      size->dependents.push_back(frame->entity);
    }
    ++frame->next;
  };
  stack.push_back({entity, ScanContent(doc, entity)});
  in_progress.insert(entity);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next < frame.content.references.size()) {
      xmlEntityPtr child = frame.content.references[frame.next];
      if (auto found = m_sizes.find(child); found != m_sizes.end()) {
        include(&frame, &found->second);
      } else if (in_progress.contains(child)) {
        frame.total = kUnlimited;
        ++frame.next;
      } else {
        in_progress.insert(child);
        stack.push_back({child, ScanContent(doc, child)});
      }
      continue;
    }
    Size size;
    size.bytes = SaturatingAdd(frame.total, frame.content.literal_bytes);
    // Unlimited stays unlimited whatever is declared later: a cycle, or
    // more than any limit.
    size.settled = (frame.settled && frame.content.undeclared.empty()) || size.bytes == kUnlimited;
    if (!size.settled) {
      for (std::string& name : frame.content.undeclared) {
        m_waiting[std::move(name)].push_back(frame.entity);
      }
    }
    const xmlEntity* measured = frame.entity;
    in_progress.erase(measured);
    stack.pop_back();
    Size& stored = m_sizes[measured] = std::move(size);
    if (!stack.empty()) include(&stack.back(), &stored);
  }
  return m_sizes[entity].bytes;
}

xmlEntityPtr EntityGuard::Resolve(xmlParserCtxtPtr context, const xmlChar* name,
                                  XmlErrorCapture* capture) {
  xmlEntityPtr entity = xmlSAX2GetEntity(context, name);
  if (entity == nullptr || entity->etype == XML_INTERNAL_PREDEFINED_ENTITY) return entity;
  if (ExpandedSize(context->myDoc, entity) > m_limit) {
    // Stop before the library expands it; our reason is the first error.
    capture->Record(context->input != nullptr ? context->input->line : 0, LimitMessage());
    xmlStopParser(context);
    return nullptr;
  }
  return entity;
}
