// Selection and navigation: the operations that move the current node.
#include <libxml/tree.h>

#include "xml/xml_file.h"
#include "xml/xpath_query.h"

HRESULT CXmlFile::FindFrom(xmlNodePtr context, std::string_view expression, xmlNodePtr* found) {
  return SelectFirstNode(m_doc.get(), context, expression, m_properties.selection_namespaces,
                         found);
}

// An attribute has no parent and no siblings here, as in the DOM; the
// document node has neither.
HRESULT CXmlFile::SelectLinked(xmlNodePtr _xmlNode::*link) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  m_current = m_current->type == XML_ATTRIBUTE_NODE ? nullptr : m_current->*link;
  return S_OK;
}

HRESULT CXmlFile::SelectDocument() {
  if (!m_doc) return E_POINTER;
  m_current = reinterpret_cast<xmlNodePtr>(m_doc.get());
  return S_OK;
}

HRESULT CXmlFile::SelectRoot() {
  if (!m_doc) return E_POINTER;
  m_current = xmlDocGetRootElement(m_doc.get());
  return S_OK;
}

HRESULT CXmlFile::SelectNode(std::string_view expression) {
  if (!m_doc) return E_POINTER;
  // Whatever the outcome, the node that was current is no longer.
  return FindFrom(reinterpret_cast<xmlNodePtr>(m_doc.get()), expression, &m_current);
}

HRESULT CXmlFile::SelectChild(int32_t position) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  m_current = m_children.ChildAt(m_current, position);
  return S_OK;
}

HRESULT CXmlFile::SelectChild(std::string_view expression) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  xmlNodePtr found = nullptr;
  const HRESULT hr = FindFrom(m_current, expression, &found);
  if (SUCCEEDED(hr)) m_current = found;
  return hr;
}

HRESULT CXmlFile::SelectParent() { return SelectLinked(&xmlNode::parent); }

HRESULT CXmlFile::SelectNext() { return SelectLinked(&xmlNode::next); }

HRESULT CXmlFile::SelectPrevious() { return SelectLinked(&xmlNode::prev); }
