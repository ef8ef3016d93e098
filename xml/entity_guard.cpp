#include "xml/entity_guard.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <string_view>
#include <utility>
#include <vector>

#include "xml/xml_library.h"

namespace {

constexpr uint64_t kUnlimited = UINT64_MAX;

// What an entity's replacement text is made of: its own characters and the
// references to other general entities.
struct EntityContent {
  uint64_t literal_bytes = 0;
  std::vector<xmlEntityPtr> references;
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
    const std::string name(text.substr(amp + 1, semicolon - amp - 1));
    xmlEntityPtr referenced = nullptr;
    if (!name.empty() && name[0] != '#') {
      referenced = xmlGetDocEntity(doc, reinterpret_cast<const xmlChar*>(name.c_str()));
    }
    if (referenced != nullptr && referenced->etype != XML_INTERNAL_PREDEFINED_ENTITY) {
      content.references.push_back(referenced);
    } else {
      // Character references and predefined entities stand for a character.
      content.literal_bytes += 4;
    }
    pos = semicolon + 1;
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

uint64_t EntityGuard::ExpandedSize(xmlDocPtr doc, xmlEntityPtr entity) {
  if (auto found = m_sizes.find(entity); found != m_sizes.end()) return found->second;

  // Depth-first over the reference graph with an explicit stack: chains of
  // entities may be longer than the call stack is deep.
  struct Frame {
    xmlEntityPtr entity;
    EntityContent content;
    size_t next = 0;
    uint64_t total = 0;
  };
  std::vector<Frame> stack;
  std::unordered_map<const xmlEntity*, bool> in_progress;
  stack.push_back({entity, ScanContent(doc, entity)});
  in_progress[entity] = true;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next < frame.content.references.size()) {
      xmlEntityPtr child = frame.content.references[frame.next];
      if (auto found = m_sizes.find(child); found != m_sizes.end()) {
        frame.total = SaturatingAdd(frame.total, found->second);
        ++frame.next;
      } else if (in_progress[child]) {
        frame.total = kUnlimited;
        ++frame.next;
      } else {
        in_progress[child] = true;
        stack.push_back({child, ScanContent(doc, child)});
      }
      continue;
    }
    const uint64_t size = SaturatingAdd(frame.total, frame.content.literal_bytes);
    m_sizes[frame.entity] = size;
    in_progress[frame.entity] = false;
    stack.pop_back();
    if (!stack.empty()) {
      stack.back().total = SaturatingAdd(stack.back().total, size);
      ++stack.back().next;
    }
  }
  return m_sizes[entity];
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
