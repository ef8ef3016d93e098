#include "xml/load_pass.h"

#include <libxml/entities.h>
#include <libxml/tree.h>

#include <cstring>
#include <vector>

#include "xml/entity_guard.h"

namespace {

bool IsBlank(const xmlChar* text) {
  if (text == nullptr) return true;
  for (; *text != 0; ++text) {
    if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') return false;
  }
  return true;
}

// The xml:space setting of an element: 1 preserve, 0 default, -1 inherited.
int SpaceSetting(xmlNodePtr element) {
  for (xmlAttrPtr attribute = element->properties; attribute != nullptr;
       attribute = attribute->next) {
    if (attribute->ns == nullptr || attribute->ns->href == nullptr ||
        std::strcmp(reinterpret_cast<const char*>(attribute->ns->href),
                    reinterpret_cast<const char*>(XML_XML_NAMESPACE)) != 0 ||
        std::strcmp(reinterpret_cast<const char*>(attribute->name), "space") != 0) {
      continue;
    }
    const xmlNodePtr value = attribute->children;
    if (value == nullptr || value->type != XML_TEXT_NODE || value->content == nullptr) return -1;
    const char* text = reinterpret_cast<const char*>(value->content);
    if (std::strcmp(text, "preserve") == 0) return 1;
    if (std::strcmp(text, "default") == 0) return 0;
  }
  return -1;
}

class LoadWalk {
 public:
  LoadWalk(xmlDocPtr doc, EntityGuard* guard) : m_doc(doc), m_guard(guard) {}

  uint64_t ExpansionOf(xmlNodePtr first) {
    uint64_t total = 0;
    for (xmlNodePtr node = first; node != nullptr; node = node->next) {
      if (node->type != XML_ENTITY_REF_NODE) continue;
      xmlEntityPtr entity = xmlGetDocEntity(m_doc, node->name);
      if (entity != nullptr) total = SaturatingAdd(total, m_guard->ExpandedSize(m_doc, entity));
    }
    return total;
  }

  bool Run(int32_t max_depth, int* line, std::string* reason) {
    std::vector<bool> preserve;  // one entry per open element
    uint64_t expansion = 0;
    xmlNodePtr node = m_doc->children;
    while (node != nullptr) {
      xmlNodePtr next = nullptr;
      bool descend = false;
      switch (node->type) {
        case XML_ELEMENT_NODE: {
          if (max_depth > 0 && preserve.size() >= static_cast<size_t>(max_depth)) {
            *line = static_cast<int>(xmlGetLineNo(node));
            *reason = "Element depth exceeds the limit of " + std::to_string(max_depth);
            return false;
          }
          for (xmlAttrPtr attribute = node->properties; attribute != nullptr;
               attribute = attribute->next) {
            expansion = SaturatingAdd(expansion, ExpansionOf(attribute->children));
          }
          descend = node->children != nullptr;
          if (descend) {
            const int setting = SpaceSetting(node);
            const bool inherited = !preserve.empty() && preserve.back();
            preserve.push_back(setting < 0 ? inherited : setting == 1);
          }
          break;
        }
        case XML_TEXT_NODE:
          if ((preserve.empty() || !preserve.back()) && IsBlank(node->content)) {
            next = NextAfter(node, &preserve);
            xmlUnlinkNode(node);
            xmlFreeNode(node);
            node = next;
            continue;
          }
          break;
        case XML_ENTITY_REF_NODE: {
          xmlEntityPtr entity = xmlGetDocEntity(m_doc, node->name);
          if (entity != nullptr) {
            expansion = SaturatingAdd(expansion, m_guard->ExpandedSize(m_doc, entity));
          }
          break;
        }
        default:
          break;
      }
      node = descend ? node->children : NextAfter(node, &preserve);
    }
    if (expansion > m_guard->Limit()) {
      xmlNodePtr root = xmlDocGetRootElement(m_doc);
      *line = root != nullptr ? static_cast<int>(xmlGetLineNo(root)) : 0;
      *reason = m_guard->LimitMessage();
      return false;
    }
    return true;
  }

 private:
  // The node after node in document order, skipping node's children, and
  // closing the elements the walk climbs out of.
  static xmlNodePtr NextAfter(xmlNodePtr node, std::vector<bool>* preserve) {
    while (node != nullptr) {
      if (node->next != nullptr) return node->next;
      node = node->parent;
      if (node == nullptr || node->type != XML_ELEMENT_NODE) return nullptr;
      preserve->pop_back();
    }
    return nullptr;
  }

  xmlDocPtr m_doc;
  EntityGuard* m_guard;
};

}  // namespace

bool RunLoadPass(xmlDocPtr doc, EntityGuard* guard, int32_t max_depth, int* line,
                 std::string* reason) {
  return LoadWalk(doc, guard).Run(max_depth, line, reason);
}
