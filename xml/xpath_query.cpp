#include "xml/xpath_query.h"

#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>

#include "xml/node_tree.h"
#include "xml/xml_chars.h"

namespace {

constexpr char kDefaultNamespacePrefix[] = "_";

struct ContextFree {
  void operator()(xmlXPathContextPtr context) const { xmlXPathFreeContext(context); }
};
struct CompiledFree {
  void operator()(xmlXPathCompExprPtr compiled) const { xmlXPathFreeCompExpr(compiled); }
};
struct ObjectFree {
  void operator()(xmlXPathObjectPtr object) const { xmlXPathFreeObject(object); }
};

// Whether a node of a result belongs to the document's own tree: the
// library also reaches the declarations inside a document type and the
// replacement of an entity reference, which no command may touch.
bool IsTreeNode(const xmlNode* node) {
  if (node->type == XML_DOCUMENT_NODE) return true;
  if (!IsEditableNode(node)) return false;
  const xmlNode* above = node->parent;
  if (node->type == XML_ATTRIBUTE_NODE) {
    if (above == nullptr || above->type != XML_ELEMENT_NODE) return false;
    above = above->parent;
  }
  for (; above != nullptr; above = above->parent) {
    if (above->type == XML_DOCUMENT_NODE) return true;
    if (above->type != XML_ELEMENT_NODE) return false;
  }
  return false;
}

bool RegisterNamespace(xmlXPathContextPtr context, const char* prefix, const xmlChar* uri) {
  return xmlXPathRegisterNs(context, AsXmlChars(prefix), uri) == 0;
}

bool RegisterNamespaces(xmlXPathContextPtr context, xmlDocPtr doc, const NamespaceBindings& extra) {
  if (const xmlNode* root = xmlDocGetRootElement(doc)) {
    const xmlNs* default_namespace = nullptr;
    bool declares_default_prefix = false;
    for (const xmlNs* ns = root->nsDef; ns != nullptr; ns = ns->next) {
      if (ns->prefix == nullptr) {
        default_namespace = ns;
        continue;
      }
      declares_default_prefix |= xmlStrEqual(ns->prefix, AsXmlChars(kDefaultNamespacePrefix));
      if (xmlXPathRegisterNs(context, ns->prefix, ns->href) != 0) return false;
    }
    if (default_namespace != nullptr && !declares_default_prefix &&
        default_namespace->href != nullptr && default_namespace->href[0] != 0 &&
        !RegisterNamespace(context, kDefaultNamespacePrefix, default_namespace->href)) {
      return false;
    }
  }
  for (const auto& [prefix, uri] : extra) {
    if (!RegisterNamespace(context, prefix.c_str(), AsXmlChars(uri.c_str()))) return false;
  }
  return true;
}

// Evaluates expression and gives its tree nodes in document order, at most
// limit of them (0: every one).
HRESULT SelectTreeNodes(xmlDocPtr doc, xmlNodePtr context_node, std::string_view expression,
                        const NamespaceBindings& extra, size_t limit,
                        std::vector<xmlNodePtr>* found) {
  found->clear();
  // The library reads the expression up to its first NUL; anything after it
  // would be silently ignored.
  if (expression.find('\0') != std::string_view::npos) return XML_E_INVALID_XPATH;
  std::unique_ptr<xmlXPathContext, ContextFree> context(xmlXPathNewContext(doc));
  if (!context || !RegisterNamespaces(context.get(), doc, extra)) return E_OUTOFMEMORY;
  context->node = context_node;
  // Reuses the evaluation's own objects instead of allocating and freeing
  // one per node a predicate tests: a fifth less work for a predicate over
  // a large document.
  xmlXPathContextSetCache(context.get(), 1, -1, 0);

  const std::string text(expression);
  std::unique_ptr<xmlXPathCompExpr, CompiledFree> compiled(
      xmlXPathCtxtCompile(context.get(), AsXmlChars(text)));
  if (!compiled) return XML_E_INVALID_XPATH;
  std::unique_ptr<xmlXPathObject, ObjectFree> result(
      xmlXPathCompiledEval(compiled.get(), context.get()));
  if (!result) {
    return context->lastError.code == XML_XPATH_UNDEF_PREFIX_ERROR ? XML_E_UNDECLARED_PREFIX
                                                                   : XML_E_INVALID_XPATH;
  }
  if (result->type != XPATH_NODESET) return XML_E_XPATH_NOT_NODESET;
  const xmlNodeSet* nodes = result->nodesetval;
  for (int index = 0; nodes != nullptr && index < nodes->nodeNr; ++index) {
    // Namespace nodes are copies that the result owns (xmlNs, not xmlNode):
    // read nothing but their type.
    xmlNodePtr node = nodes->nodeTab[index];
    if (node->type != XML_NAMESPACE_DECL && IsTreeNode(node)) {
      found->push_back(node);
      if (found->size() == limit) break;
    }
  }
  return S_OK;
}

}  // namespace

HRESULT SelectFirstNode(xmlDocPtr doc, xmlNodePtr context_node, std::string_view expression,
                        const NamespaceBindings& extra, xmlNodePtr* found) {
  std::vector<xmlNodePtr> nodes;
  const HRESULT hr = SelectTreeNodes(doc, context_node, expression, extra, 1, &nodes);
  *found = nodes.empty() ? nullptr : nodes.front();
  return hr;
}

HRESULT SelectNodes(xmlDocPtr doc, xmlNodePtr context_node, std::string_view expression,
                    const NamespaceBindings& extra, std::vector<xmlNodePtr>* found) {
  return SelectTreeNodes(doc, context_node, expression, extra, 0, found);
}
