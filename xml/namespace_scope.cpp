#include "xml/namespace_scope.h"

#include <libxml/tree.h>
#include <libxml/uri.h>

#include <string>

#include "xml/change_marks.h"
#include "xml/xml_chars.h"

namespace {

constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

// A prefix as the library takes it: nullptr for the default namespace.
class LibraryPrefix {
 public:
  explicit LibraryPrefix(std::string_view prefix) : m_text(prefix) {}
  const xmlChar* Get() const { return m_text.empty() ? nullptr : AsXmlChars(m_text); }

 private:
  std::string m_text;
};

// prefix is nullptr for the default namespace.
bool HasPrefix(const xmlNs* ns, const xmlChar* prefix) {
  if (prefix == nullptr) return ns->prefix == nullptr;
  return ns->prefix != nullptr && xmlStrEqual(ns->prefix, prefix);
}

bool Declares(const xmlNode* element, const xmlChar* prefix) {
  for (const xmlNs* ns = element->nsDef; ns != nullptr; ns = ns->next) {
    if (HasPrefix(ns, prefix)) return true;
  }
  return false;
}

// An element without a namespace counts as unprefixed; attributes never take
// the default namespace.
bool UsesPrefix(const xmlNs* ns, const xmlChar* prefix) {
  if (ns == nullptr) return prefix == nullptr;
  return HasPrefix(ns, prefix);
}

// Calls visit with the namespace slot of every element and attribute under
// element (element included) whose prefix the declaration scope at element
// resolves; descendants that declare the prefix again are skipped with their
// subtrees. Iterative: documents may be nested deeper than the stack.
template <typename Visit>
void ForEachBoundNode(xmlNodePtr element, const xmlChar* prefix, Visit visit) {
  xmlNodePtr node = element;
  while (node != nullptr) {
    bool descend = false;
    if (node->type == XML_ELEMENT_NODE && (node == element || !Declares(node, prefix))) {
      if (UsesPrefix(node->ns, prefix)) visit(&node->ns);
      if (prefix != nullptr) {
        for (xmlAttrPtr attribute = node->properties; attribute != nullptr;
             attribute = attribute->next) {
          if (attribute->ns != nullptr && HasPrefix(attribute->ns, prefix)) visit(&attribute->ns);
        }
      }
      descend = node->children != nullptr;
    }
    if (descend) {
      node = node->children;
      continue;
    }
    while (node != element && node->next == nullptr) node = node->parent;
    if (node == element) break;
    node = node->next;
  }
}

}  // namespace

xmlNsPtr NamespaceInScope(xmlNodePtr node, std::string_view prefix) {
  xmlNsPtr ns = xmlSearchNs(node->doc, node, LibraryPrefix(prefix).Get());
  // xmlns="" is recorded as a declaration of the empty name: no namespace.
  if (ns != nullptr && (ns->href == nullptr || ns->href[0] == 0)) return nullptr;
  return ns;
}

xmlNsPtr OwnDeclaration(xmlNodePtr element, std::string_view prefix) {
  const LibraryPrefix wanted(prefix);
  for (xmlNsPtr ns = element->nsDef; ns != nullptr; ns = ns->next) {
    if (HasPrefix(ns, wanted.Get())) return ns;
  }
  return nullptr;
}

bool IsReservedPrefix(std::string_view prefix) { return prefix == "xml" || prefix == "xmlns"; }

bool IsDeclarableNamespace(std::string_view prefix, std::string_view uri) {
  if (uri.empty()) return prefix.empty();
  if (uri == AsChars(XML_XML_NAMESPACE) || uri == kXmlnsNamespace) return false;
  // Loading reports a declaration whose URI this parser refuses as an error.
  const std::string text(uri);
  xmlURIPtr parsed = xmlParseURI(text.c_str());
  if (parsed == nullptr) return false;
  xmlFreeURI(parsed);
  return true;
}

HRESULT DeclareNamespace(xmlNodePtr element, std::string_view prefix, std::string_view uri) {
  const LibraryPrefix wanted(prefix);
  const std::string uri_text(uri);
  xmlNsPtr declaration = OwnDeclaration(element, prefix);
  const bool created = declaration == nullptr;
  if (declaration != nullptr) {
    xmlChar* href = xmlStrdup(AsXmlChars(uri_text));
    if (href == nullptr) return E_OUTOFMEMORY;
    xmlFree(const_cast<xmlChar*>(declaration->href));
    declaration->href = href;
  } else {
    declaration = xmlNewNs(element, AsXmlChars(uri_text), wanted.Get());
    if (declaration == nullptr) return E_OUTOFMEMORY;
  }
  MarkDeclarationSet(element, declaration, created);
  xmlNsPtr bound = uri.empty() ? nullptr : declaration;
  ForEachBoundNode(element, wanted.Get(), [bound](xmlNsPtr* slot) { *slot = bound; });
  return S_OK;
}

HRESULT RemoveNamespaceDeclaration(xmlNodePtr element, std::string_view prefix) {
  xmlNsPtr declaration = OwnDeclaration(element, prefix);
  if (declaration == nullptr) return S_OK;
  const LibraryPrefix wanted(prefix);
  xmlNsPtr outer = element->parent != nullptr ? NamespaceInScope(element->parent, prefix) : nullptr;
  if (outer == nullptr && !prefix.empty()) {
    bool used = false;
    ForEachBoundNode(element, wanted.Get(), [&used](xmlNsPtr*) { used = true; });
    if (used) return XML_E_NAMESPACE_IN_USE;
  }
  ForEachBoundNode(element, wanted.Get(), [outer](xmlNsPtr* slot) { *slot = outer; });
  MarkAttributeRemoved(element);
  xmlNsPtr* link = &element->nsDef;
  while (*link != declaration) link = &(*link)->next;
  *link = declaration->next;
  declaration->next = nullptr;
  xmlFreeNs(declaration);
  return S_OK;
}

namespace {

// The URI a namespace slot means: "" for none.
const xmlChar* MeaningOf(const xmlNs* ns) {
  return ns != nullptr && ns->href != nullptr ? ns->href : AsXmlChars("");
}

}  // namespace

HRESULT KeepNamespaces(xmlNodePtr element) {
  // Rebinds one slot whose prefix is looked up from scope.
  const auto keep = [element](xmlNodePtr scope, xmlNsPtr* slot) -> HRESULT {
    const xmlChar* prefix = *slot != nullptr ? (*slot)->prefix : nullptr;
    const xmlChar* meaning = MeaningOf(*slot);
    xmlNsPtr found = xmlSearchNs(scope->doc, scope, prefix);
    if (!xmlStrEqual(MeaningOf(found), meaning)) {
      // No declaration inside the subtree binds this prefix for the slot's
      // node (it would have travelled along and still mean the same), so
      // one on element covers exactly the nodes that relied on the old
      // place's declaration.
      found = xmlNewNs(element, meaning, prefix);
      if (found == nullptr) return E_OUTOFMEMORY;
    }
    *slot = meaning[0] == 0 ? nullptr : found;
    return S_OK;
  };
  xmlNodePtr node = element;
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE) {
      HRESULT hr = keep(node, &node->ns);
      for (xmlAttrPtr attribute = node->properties; SUCCEEDED(hr) && attribute != nullptr;
           attribute = attribute->next) {
        // An unprefixed attribute is in no namespace wherever it is.
        if (attribute->ns != nullptr) hr = keep(node, &attribute->ns);
      }
      if (FAILED(hr)) return hr;
      if (node->children != nullptr) {
        node = node->children;
        continue;
      }
    }
    while (node != element && node->next == nullptr) node = node->parent;
    if (node == element) break;
    node = node->next;
  }
  return S_OK;
}
