// The add, get, remove and set commands on the current node.
#include <libxml/tree.h>

#include <string>

#include "xml/change_marks.h"
#include "xml/namespace_scope.h"
#include "xml/node_tree.h"
#include "xml/xml_chars.h"
#include "xml/xml_file.h"
#include "xml/xml_names.h"

namespace {

bool IsElement(const xmlNode* node) { return node != nullptr && node->type == XML_ELEMENT_NODE; }

// An empty text adds no node: an empty text node would vanish on reload and
// stops the writer from indenting its element.
HRESULT AppendContent(xmlNodePtr parent, std::string_view text, NodeKind kind) {
  if (kind == NodeKind::Text && text.empty()) return S_OK;
  xmlNodePtr node = NewContentNode(parent->doc, kind, text);
  if (node == nullptr) return E_OUTOFMEMORY;
  AppendChild(parent, node);
  return S_OK;
}

}  // namespace

HRESULT CXmlFile::ResolveElementName(xmlNodePtr scope, std::string_view name,
                                     ElementName* resolved) {
  QualifiedName parts;
  if (!SplitQualifiedName(name, &parts)) return Refuse(0, XML_E_INVALID_NAME);
  // Without a prefix the element joins the default namespace in scope, so
  // that the saved file needs no xmlns="" and means what the tree means.
  resolved->ns = NamespaceInScope(scope, parts.prefix);
  if (resolved->ns == nullptr && !parts.prefix.empty()) {
    return Refuse(0, XML_E_UNDECLARED_NAME_PREFIX);
  }
  resolved->local = parts.local;
  return S_OK;
}

xmlNodePtr CXmlFile::NewElement(const ElementName& name) {
  return xmlNewDocNode(m_doc.get(), name.ns, AsXmlChars(name.local), nullptr);
}

HRESULT CXmlFile::FindParentFor(Placement place, NodeKind kind, xmlNodePtr* parent) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  if (place == Placement::LastChild) {
    if (!CanHold(m_current, kind)) return XML_E_CANNOT_APPEND;
    *parent = m_current;
    return S_OK;
  }
  if (m_current->type == XML_ATTRIBUTE_NODE || m_current->parent == nullptr) {
    return XML_E_NO_PARENT;
  }
  if (!CanGoBeside(m_current, place == Placement::Before, kind, nullptr)) {
    return XML_E_CANNOT_APPEND;
  }
  *parent = m_current->parent;
  return S_OK;
}

// Appending keeps the child cursor and the attribute index right; a sibling
// shifts the positions after it. The parent's children get their source
// offsets while they are still as loaded.
void CXmlFile::Place(Placement place, xmlNodePtr parent, xmlNodePtr node) {
  BeforeChildrenChange(parent);
  if (place == Placement::LastChild) {
    AppendChild(parent, node);
    return;
  }
  TreeChanged();
  LinkBeside(m_current, node, place == Placement::Before);
  MarkNew(node);
  MarkChildrenChanged(parent);
}

// Places an element holding text (none when empty and kind is Text). Both
// arguments are checked before anything is added, so that a refusal leaves
// the document unchanged.
HRESULT CXmlFile::PlaceNewElement(Placement place, std::string_view name, std::string_view text,
                                  NodeKind kind, xmlNodePtr* element) {
  xmlNodePtr parent = nullptr;
  HRESULT hr = FindParentFor(place, NodeKind::Element, &parent);
  if (FAILED(hr)) return hr;
  ElementName resolved;
  hr = ResolveElementName(parent, name, &resolved);
  if (FAILED(hr)) return hr;
  if (!IsAcceptableContent(text, kind)) return Refuse(1);
  *element = NewElement(resolved);
  if (*element == nullptr) return E_OUTOFMEMORY;
  Place(place, parent, *element);
  return AppendContent(*element, text, kind);
}

HRESULT CXmlFile::InsertContent(Placement place, NodeKind kind, std::string_view text) {
  xmlNodePtr parent = nullptr;
  const HRESULT hr = FindParentFor(place, kind, &parent);
  if (FAILED(hr)) return hr;
  if (!IsAcceptableContent(text, kind)) return Refuse(0);
  if (kind == NodeKind::Text && text.empty()) return S_OK;
  xmlNodePtr node = NewContentNode(m_doc.get(), kind, text);
  if (node == nullptr) return E_OUTOFMEMORY;
  Place(place, parent, node);
  return S_OK;
}

HRESULT CXmlFile::InsertElement(Placement side, std::string_view name, std::string_view text) {
  xmlNodePtr element = nullptr;
  const HRESULT hr = PlaceNewElement(side, name, text, NodeKind::Text, &element);
  if (SUCCEEDED(hr)) m_current = element;
  return hr;
}

HRESULT CXmlFile::AddElement(std::string_view name) {
  return InsertElement(Placement::LastChild, name, {});
}

HRESULT CXmlFile::AddText(std::string_view text) {
  return InsertContent(Placement::LastChild, NodeKind::Text, text);
}

HRESULT CXmlFile::AddComment(std::string_view text) {
  return InsertContent(Placement::LastChild, NodeKind::Comment, text);
}

HRESULT CXmlFile::AddCDataSection(std::string_view text) {
  return InsertContent(Placement::LastChild, NodeKind::CData, text);
}

HRESULT CXmlFile::AddRoot(std::string_view name) {
  if (!m_doc) return E_POINTER;
  ElementName resolved;
  HRESULT hr = ResolveElementName(reinterpret_cast<xmlNodePtr>(m_doc.get()), name, &resolved);
  if (FAILED(hr)) return hr;
  xmlNodePtr element = NewElement(resolved);
  if (element == nullptr) return E_OUTOFMEMORY;
  TreeChanged();
  BeforeChildrenChange(reinterpret_cast<xmlNodePtr>(m_doc.get()));
  // The current node may lie inside the element being replaced.
  m_current = element;
  xmlNodePtr replaced = xmlDocSetRootElement(m_doc.get(), element);
  if (replaced != nullptr) xmlFreeNode(replaced);
  MarkNew(element);
  MarkChildrenChanged(reinterpret_cast<xmlNodePtr>(m_doc.get()));
  return S_OK;
}

HRESULT CXmlFile::AddChildElement(std::string_view name) {
  xmlNodePtr element = nullptr;
  return PlaceNewElement(Placement::LastChild, name, {}, NodeKind::Text, &element);
}

HRESULT CXmlFile::AddChildText(std::string_view name, std::string_view text) {
  xmlNodePtr element = nullptr;
  return PlaceNewElement(Placement::LastChild, name, text, NodeKind::Text, &element);
}

HRESULT CXmlFile::AddChildCDataSection(std::string_view name, std::string_view text) {
  xmlNodePtr element = nullptr;
  return PlaceNewElement(Placement::LastChild, name, text, NodeKind::CData, &element);
}

HRESULT CXmlFile::ResolveAttributeName(xmlNodePtr element, std::string_view name,
                                       AttributeName* resolved) {
  QualifiedName parts;
  if (!SplitQualifiedName(name, &parts)) return Refuse(0, XML_E_INVALID_NAME);
  if (parts.prefix == "xmlns" || (parts.prefix.empty() && parts.local == "xmlns")) {
    resolved->is_declaration = true;
    resolved->local = parts.prefix.empty() ? std::string_view() : parts.local;
    return S_OK;
  }
  resolved->local = parts.local;
  // An unprefixed attribute is in no namespace, whatever the default.
  if (parts.prefix.empty()) return S_OK;
  resolved->ns = NamespaceInScope(element, parts.prefix);
  return resolved->ns != nullptr ? S_OK : Refuse(0, XML_E_UNDECLARED_NAME_PREFIX);
}

HRESULT CXmlFile::SetAttribute(std::string_view name, std::string_view value) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  if (!IsElement(m_current)) return XML_E_NO_ATTRIBUTES;
  AttributeName resolved;
  HRESULT hr = ResolveAttributeName(m_current, name, &resolved);
  if (FAILED(hr)) return hr;
  if (!IsXmlText(value)) return Refuse(1);
  if (resolved.is_declaration) {
    if (IsReservedPrefix(resolved.local)) return Refuse(0);
    if (!IsDeclarableNamespace(resolved.local, value)) return Refuse(1);
    TreeChanged();  // rebinding moves attributes to other namespaces
    return DeclareNamespace(m_current, resolved.local, value);
  }
  // Replaces the attribute of the same namespace and local name, whatever
  // its prefix.
  return m_attributes.Set(m_current, resolved.ns, resolved.local, value) != nullptr ? S_OK
                                                                                    : E_OUTOFMEMORY;
}

HRESULT CXmlFile::GetAttribute(std::string_view name, std::string* value) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  if (m_current->type != XML_ELEMENT_NODE) return XML_E_NO_ATTRIBUTES;
  AttributeName resolved;
  HRESULT hr = ResolveAttributeName(m_current, name, &resolved);
  if (FAILED(hr)) return hr;
  if (resolved.is_declaration) {
    const xmlNs* declaration = OwnDeclaration(m_current, resolved.local);
    if (declaration == nullptr) return S_FALSE;
    value->assign(AsChars(declaration->href));
    return S_OK;
  }
  const xmlAttr* attribute = m_attributes.Find(m_current, resolved.ns, resolved.local);
  if (attribute == nullptr) return S_FALSE;
  ReadNodeText(reinterpret_cast<const xmlNode*>(attribute), value);
  return S_OK;
}

HRESULT CXmlFile::GetText(std::string* text) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  ReadNodeText(m_current, text);
  return S_OK;
}

HRESULT CXmlFile::GetChildText(int32_t position, std::string* text) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  const xmlNode* child = m_children.ChildAt(m_current, position);
  if (child == nullptr) return XML_E_POSITION_OUT_OF_RANGE;
  ReadNodeText(child, text);
  return S_OK;
}

HRESULT CXmlFile::GetChildText(std::string_view expression, std::string* text) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  xmlNodePtr found = nullptr;
  const HRESULT hr = FindFrom(m_current, expression, &found);
  if (FAILED(hr)) return hr;
  if (found == nullptr) return S_FALSE;
  ReadNodeText(found, text);
  return S_OK;
}

HRESULT CXmlFile::RemoveAttribute(std::string_view name) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  if (!IsElement(m_current)) return XML_E_NO_ATTRIBUTES;
  AttributeName resolved;
  HRESULT hr = ResolveAttributeName(m_current, name, &resolved);
  if (FAILED(hr)) return hr;
  if (resolved.is_declaration) {
    TreeChanged();
    return RemoveNamespaceDeclaration(m_current, resolved.local);
  }
  xmlAttrPtr attribute = m_attributes.Find(m_current, resolved.ns, resolved.local);
  if (attribute != nullptr) m_attributes.Remove(attribute);
  return S_OK;
}

// The document type stays: entity references point into its declarations.
HRESULT CXmlFile::RemoveChildNode(xmlNodePtr child) {
  if (child->type == XML_DTD_NODE) return XML_E_CANNOT_REMOVE;
  TreeChanged();
  BeforeChildrenChange(child->parent);
  RemoveSubtree(child);
  return S_OK;
}

HRESULT CXmlFile::RemoveChild(int32_t position) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  xmlNodePtr child = m_children.ChildAt(m_current, position);
  if (child == nullptr) return Refuse(0);
  return RemoveChildNode(child);
}

HRESULT CXmlFile::RemoveChild(std::string_view expression) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  xmlNodePtr found = nullptr;
  const HRESULT hr = FindFrom(m_current, expression, &found);
  if (FAILED(hr)) return hr;
  if (found == nullptr) return S_FALSE;
  if (found->type == XML_ATTRIBUTE_NODE || found->parent != m_current) return XML_E_NOT_CHILD;
  return RemoveChildNode(found);
}

HRESULT CXmlFile::RemoveNode() {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  xmlNodePtr parent = m_current->parent;
  if (m_current->type == XML_ATTRIBUTE_NODE || parent == nullptr) return XML_E_NO_PARENT;
  const HRESULT hr = RemoveChildNode(m_current);
  if (SUCCEEDED(hr)) m_current = parent;
  return hr;
}

// When the target is an ancestor of the current node, replacing its content
// frees the current node: there is no current node afterwards.
HRESULT CXmlFile::SetContent(xmlNodePtr target, std::string_view text, int argument) {
  const bool frees_current = IsInContentOf(m_current, target);
  TreeChanged();
  const HRESULT hr = ReplaceContent(target, text);
  if (hr == E_INVALIDARG) return Refuse(argument);
  if (SUCCEEDED(hr) && frees_current) m_current = nullptr;
  return hr;
}

HRESULT CXmlFile::SetText(std::string_view text) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  return SetContent(m_current, text, 0);
}

HRESULT CXmlFile::SetChildText(int32_t position, std::string_view text) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  xmlNodePtr child = m_children.ChildAt(m_current, position);
  if (child == nullptr) return XML_E_POSITION_OUT_OF_RANGE;
  return SetContent(child, text, 1);
}

HRESULT CXmlFile::SetChildText(std::string_view expression, std::string_view text) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  xmlNodePtr found = nullptr;
  const HRESULT hr = FindFrom(m_current, expression, &found);
  if (FAILED(hr)) return hr;
  if (found == nullptr) return S_FALSE;
  return SetContent(found, text, 1);
}
