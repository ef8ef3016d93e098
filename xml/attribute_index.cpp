#include "xml/attribute_index.h"

#include <libxml/tree.h>

#include "xml/change_marks.h"
#include "xml/xml_chars.h"

namespace {

// For as long as it lives, element's attribute list seems to begin at
// start: the library's own set function walks the list from its head,
// looking for the attribute and then for the place to append a new one,
// and so starts where the index knows the answer lies.
class ListStart {
 public:
  ListStart(xmlNodePtr element, xmlAttrPtr start)
      : m_element(element), m_head(element->properties) {
    if (start != nullptr) element->properties = start;
  }
  ~ListStart() {
    if (m_head != nullptr) m_element->properties = m_head;
  }
  ListStart(const ListStart&) = delete;
  ListStart& operator=(const ListStart&) = delete;

 private:
  xmlNodePtr m_element;
  xmlAttrPtr m_head;
};

bool Matches(const xmlAttr* attribute, const xmlNs* ns, std::string_view local) {
  if (AsChars(attribute->name) != local) return false;
  return ns == nullptr ? attribute->ns == nullptr
                       : attribute->ns != nullptr && xmlStrEqual(attribute->ns->href, ns->href);
}

}  // namespace

std::string AttributeIndex::Key(const xmlNs* ns, std::string_view local) {
  // A local name holds no "{": the namespace in braces keeps keys apart.
  if (ns == nullptr || ns->href == nullptr) return std::string(local);
  std::string key = "{";
  key += AsChars(ns->href);
  key += '}';
  key += local;
  return key;
}

void AttributeIndex::Forget() {
  m_element = nullptr;
  m_byName.clear();
  m_last = nullptr;
}

void AttributeIndex::Build(xmlNodePtr element) {
  Forget();
  m_element = element;
  for (xmlAttrPtr attribute = element->properties; attribute != nullptr;
       attribute = attribute->next) {
    m_byName.emplace(Key(attribute->ns, AsChars(attribute->name)), attribute);
    m_last = attribute;
  }
}

xmlAttrPtr AttributeIndex::Find(xmlNodePtr element, const xmlNs* ns, std::string_view local) {
  if (element == m_element) {
    const auto found = m_byName.find(Key(ns, local));
    return found == m_byName.end() ? nullptr : found->second;
  }
  xmlAttrPtr match = nullptr;
  size_t count = 0;
  for (xmlAttrPtr attribute = element->properties; attribute != nullptr;
       attribute = attribute->next, ++count) {
    if (match == nullptr && Matches(attribute, ns, local)) match = attribute;
  }
  if (count >= kIndexFrom) Build(element);
  return match;
}

xmlAttrPtr AttributeIndex::Set(xmlNodePtr element, xmlNsPtr ns, std::string_view local,
                               std::string_view value) {
  xmlAttrPtr found = Find(element, ns, local);
  xmlAttrPtr start = found;
  if (start == nullptr && element == m_element) start = m_last;
  const std::string name(local);
  const std::string text(value);
  xmlAttrPtr attribute = nullptr;
  {
    const ListStart list(element, start);
    attribute = xmlSetNsProp(element, ns, AsXmlChars(name), AsXmlChars(text));
  }
  if (attribute != nullptr) MarkAttributeSet(attribute, found == nullptr);
  if (attribute != nullptr && found == nullptr && element == m_element) {
    m_byName.emplace(Key(ns, local), attribute);
    m_last = attribute;
  }
  return attribute;
}

void AttributeIndex::Remove(xmlAttrPtr attribute) {
  if (attribute->parent == m_element) {
    m_byName.erase(Key(attribute->ns, AsChars(attribute->name)));
    if (m_last == attribute) m_last = attribute->prev;
  }
  MarkAttributeRemoved(attribute->parent);
  // Not xmlRemoveProp, which walks the list to find the attribute's place.
  xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(attribute));
  xmlFreeProp(attribute);
}
