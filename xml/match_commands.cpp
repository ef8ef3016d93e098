// The commands on every node an expression selects: set, remove and read
// them all, each checked before any is changed.
#include <libxml/tree.h>

#include <unordered_set>

#include "xml/node_tree.h"
#include "xml/xml_file.h"
#include "xml/xpath_query.h"

namespace {

// What a command does to the nodes under a selected node: replacing an
// element's content keeps its attributes, removing it takes them along.
enum class Reach { Content, Subtree };

// Whether node lies in holder (itself excluded): in its content, or with
// Reach::Subtree in the element or its attributes.
bool LiesIn(const xmlNode* node, Reach reach, const xmlNode* holder) {
  const xmlNode* above = node->parent;
  if (reach == Reach::Content && node->type == XML_ATTRIBUTE_NODE) above = above->parent;
  for (; above != nullptr; above = above->parent) {
    if (above == holder) return true;
  }
  return false;
}

// The nodes of nodes (in document order) that lie in no other of them: what
// a command that replaces or removes whole subtrees works on, each once.
// In document order everything that lies in a node follows it before
// anything that does not, so a node that lies in a selected one lies in the
// last element or other non-attribute node kept: one node to compare with,
// however many are selected. An attribute is never that node, since its
// element's children follow it.
std::vector<xmlNodePtr> OutermostNodes(const std::vector<xmlNodePtr>& nodes, Reach reach) {
  std::vector<xmlNodePtr> outermost;
  const xmlNode* last = nullptr;
  for (xmlNodePtr node : nodes) {
    if (last != nullptr && LiesIn(node, reach, last)) continue;
    outermost.push_back(node);
    if (node->type != XML_ATTRIBUTE_NODE) last = node;
  }
  return outermost;
}

// The node of removed (disjoint subtrees) that is node or holds it, or
// nullptr.
const xmlNode* RemovedHolder(const xmlNode* node, const std::vector<xmlNodePtr>& removed) {
  std::unordered_set<const xmlNode*> node_and_above;
  for (const xmlNode* at = node; at != nullptr; at = at->parent) node_and_above.insert(at);
  for (const xmlNode* candidate : removed) {
    if (node_and_above.contains(candidate)) return candidate;
  }
  return nullptr;
}

}  // namespace

HRESULT CXmlFile::SelectMatches(std::string_view expression, std::vector<xmlNodePtr>* nodes) {
  if (m_current == nullptr) return XML_E_NO_CURRENT_NODE;
  const HRESULT hr =
      SelectNodes(m_doc.get(), m_current, expression, m_properties.selection_namespaces, nodes);
  if (FAILED(hr)) return hr;
  return nodes->empty() ? S_FALSE : S_OK;
}

HRESULT CXmlFile::SetNodesText(std::string_view expression, std::string_view text) {
  std::vector<xmlNodePtr> nodes;
  HRESULT hr = SelectMatches(expression, &nodes);
  if (hr != S_OK) return hr;
  for (const xmlNode* node : nodes) {
    hr = CheckContent(node, text);
    if (hr == E_INVALIDARG) return Refuse(1);
    if (FAILED(hr)) return hr;
  }
  // An element's new content replaces whatever of the selection lies in it;
  // attributes of the element itself keep their own new values.
  nodes = OutermostNodes(nodes, Reach::Content);
  bool frees_current = false;
  for (const xmlNode* node : nodes) frees_current = frees_current || IsInContentOf(m_current, node);
  TreeChanged();
  for (xmlNodePtr node : nodes) {
    hr = ReplaceContent(node, text);
    if (FAILED(hr)) return hr;  // only memory can run out here
  }
  if (frees_current) m_current = nullptr;
  return S_OK;
}

HRESULT CXmlFile::RemoveNodes(std::string_view expression) {
  std::vector<xmlNodePtr> nodes;
  HRESULT hr = SelectMatches(expression, &nodes);
  if (hr != S_OK) return hr;
  for (const xmlNode* node : nodes) {
    if (node->parent == nullptr) return XML_E_NO_PARENT;
  }
  nodes = OutermostNodes(nodes, Reach::Subtree);
  if (const xmlNode* holder = RemovedHolder(m_current, nodes)) m_current = holder->parent;
  TreeChanged();
  // Every level is mapped before the first removal, while it is as loaded.
  for (xmlNodePtr node : nodes) {
    if (node->type != XML_ATTRIBUTE_NODE) BeforeChildrenChange(node->parent);
  }
  for (xmlNodePtr node : nodes) {
    if (node->type == XML_ATTRIBUTE_NODE) {
      m_attributes.Remove(reinterpret_cast<xmlAttrPtr>(node));
    } else {
      RemoveSubtree(node);
    }
  }
  return S_OK;
}

HRESULT CXmlFile::GetNodesText(std::string_view expression, std::vector<std::string>* texts) {
  std::vector<xmlNodePtr> nodes;
  const HRESULT hr = SelectMatches(expression, &nodes);
  if (hr != S_OK) return hr;
  texts->clear();
  texts->reserve(nodes.size());
  for (const xmlNode* node : nodes) ReadNodeText(node, &texts->emplace_back());
  return S_OK;
}
