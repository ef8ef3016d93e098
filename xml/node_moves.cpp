// The commands that give the current node a new name or a new place.
#include <libxml/tree.h>

#include "xml/change_marks.h"
#include "xml/namespace_scope.h"
#include "xml/node_tree.h"
#include "xml/xml_chars.h"
#include "xml/xml_file.h"

namespace {

// Whether node lies in the subtree of top (top itself included; an
// attribute lies in its element's subtree).
bool IsWithin(const xmlNode* node, const xmlNode* top) {
  for (; node != nullptr; node = node->parent) {
    if (node == top) return true;
  }
  return false;
}

}  // namespace

HRESULT CXmlFile::Rename(std::string_view name) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  if (m_current->type == XML_ELEMENT_NODE) {
    // Resolved at the element itself, whose own declarations count.
    ElementName resolved;
    const HRESULT hr = ResolveElementName(m_current, name, &resolved);
    if (FAILED(hr)) return hr;
    // Mapped while the element still has the name its text gives.
    RewriteInPlace(m_current);
    xmlNodeSetName(m_current, AsXmlChars(resolved.local));
    m_current->ns = resolved.ns;
    return S_OK;
  }
  if (m_current->type != XML_ATTRIBUTE_NODE) return XML_E_CANNOT_RENAME;
  xmlNodePtr element = m_current->parent;
  AttributeName resolved;
  const HRESULT hr = ResolveAttributeName(element, name, &resolved);
  if (FAILED(hr)) return hr;
  if (resolved.is_declaration) return Refuse(0);
  const xmlAttr* same = m_attributes.Find(element, resolved.ns, resolved.local);
  if (same != nullptr && same != reinterpret_cast<xmlAttrPtr>(m_current)) return Refuse(0);
  TreeChanged();
  const std::string local(resolved.local);
  xmlNodeSetName(m_current, AsXmlChars(local));
  m_current->ns = resolved.ns;
  // Saved as a new attribute; the old name's is dropped as removed.
  MarkAttributeSet(reinterpret_cast<xmlAttrPtr>(m_current), true);
  return S_OK;
}

// An attribute moves onto another element under a prefix that means its
// namespace there: one declared in scope for that URI, or its own prefix
// declared anew on the element when that binds nothing there yet.
HRESULT CXmlFile::MoveAttribute(xmlNodePtr target) {
  xmlAttrPtr attribute = reinterpret_cast<xmlAttrPtr>(m_current);
  if (target->type != XML_ELEMENT_NODE || target == m_current->parent) return XML_E_CANNOT_MOVE;
  const std::string local(AsChars(attribute->name));
  xmlNsPtr ns = nullptr;
  if (attribute->ns != nullptr) {
    ns = xmlSearchNsByHref(target->doc, target, attribute->ns->href);
    if (ns == nullptr || ns->prefix == nullptr) {
      if (xmlSearchNs(target->doc, target, attribute->ns->prefix) != nullptr) {
        return XML_E_CANNOT_MOVE;
      }
      ns = xmlNewNs(target, attribute->ns->href, attribute->ns->prefix);
      if (ns == nullptr) return E_OUTOFMEMORY;
      MarkDeclarationSet(target, ns, true);
    }
  }
  if (m_attributes.Find(target, ns, local) != nullptr) return XML_E_CANNOT_MOVE;
  TreeChanged();
  MarkAttributeRemoved(m_current->parent);
  xmlUnlinkNode(m_current);
  attribute->ns = ns;
  attribute->parent = target;
  attribute->doc = target->doc;
  attribute->next = nullptr;
  attribute->prev = nullptr;
  if (target->properties == nullptr) {
    target->properties = attribute;
  } else {
    xmlAttrPtr last = target->properties;
    while (last->next != nullptr) last = last->next;
    last->next = attribute;
    attribute->prev = last;
  }
  MarkAttributeSet(attribute, true);
  return S_OK;
}

HRESULT CXmlFile::Move(Placement place, std::string_view expression) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  xmlNodePtr target = nullptr;
  HRESULT hr = FindFrom(m_current, expression, &target);
  if (FAILED(hr)) return hr;
  if (target == nullptr) return S_FALSE;
  if (m_current->type == XML_ATTRIBUTE_NODE) {
    return place == Placement::LastChild ? MoveAttribute(target) : XML_E_CANNOT_MOVE;
  }
  NodeKind kind;
  if (!HoldingKind(m_current, &kind) || IsWithin(target, m_current)) return XML_E_CANNOT_MOVE;
  if (place == Placement::LastChild) {
    const bool holds = CanHold(target, kind) || (target->type == XML_DOCUMENT_NODE &&
                                                 xmlDocGetRootElement(m_doc.get()) == m_current);
    if (!holds) return XML_E_CANNOT_MOVE;
  } else if (target->type == XML_ATTRIBUTE_NODE || target->parent == nullptr ||
             !CanGoBeside(target, place == Placement::Before, kind, m_current)) {
    return XML_E_CANNOT_MOVE;
  }
  TreeChanged();
  // Both levels are mapped while the tree is as loaded; the subtree then
  // leaves its text behind and is saved as new where it lands.
  xmlNodePtr destination = place == Placement::LastChild ? target : target->parent;
  BeforeChildrenChange(m_current->parent);
  BeforeChildrenChange(destination);
  MarkChildrenChanged(m_current->parent);
  xmlUnlinkNode(m_current);
  MarkRewritten(m_current);
  if (place == Placement::LastChild) {
    AppendChild(target, m_current);
  } else {
    LinkBeside(target, m_current, place == Placement::Before);
    MarkChildrenChanged(destination);
  }
  return m_current->type == XML_ELEMENT_NODE ? KeepNamespaces(m_current) : S_OK;
}
