// Namespace declarations on elements, kept so that the tree in memory always
// means what its saved text will mean when the parser reads it back: every
// prefixed element or attribute points to the declaration that its prefix
// finds in scope, and every unprefixed element to the default namespace in
// scope (or to none).
#pragma once

#include <string_view>

#include "platform/status.h"

struct _xmlNode;
struct _xmlNs;

// The namespace that prefix means at node (an element or the document); an
// empty prefix asks for the default namespace. nullptr when the prefix is
// not declared there, and for the default namespace when there is none or
// it was undeclared with xmlns="".
_xmlNs* NamespaceInScope(_xmlNode* node, std::string_view prefix);

// The declaration of prefix (empty: the default namespace) that element
// itself carries, or nullptr.
_xmlNs* OwnDeclaration(_xmlNode* element, std::string_view prefix);

// "xml" and "xmlns", which no declaration may bind.
bool IsReservedPrefix(std::string_view prefix);

// Whether a declaration of prefix (empty: the default namespace) as uri
// reads back without error: a URI the parser accepts, not one of the two
// reserved namespace names, and empty only for the default namespace.
bool IsDeclarableNamespace(std::string_view prefix, std::string_view uri);

// Declares prefix (empty: the default namespace) as uri on element, in place
// of element's own declaration of that prefix if any. Element and the nodes
// of its subtree that the declaration covers are bound to it, as a reload
// would bind them. REQUIRES: !IsReservedPrefix(prefix) and
// IsDeclarableNamespace(prefix, uri).
HRESULT DeclareNamespace(_xmlNode* element, std::string_view prefix, std::string_view uri);

// Removes element's own declaration of prefix (S_OK when there is none); the
// nodes it covered are bound to the declaration in scope around element.
// Fails with XML_E_NAMESPACE_IN_USE, changing nothing, when that would leave
// a prefixed element or attribute with its prefix undeclared.
HRESULT RemoveNamespaceDeclaration(_xmlNode* element, std::string_view prefix);

// After element was moved to another place of its document: binds every
// element and attribute of its subtree to the declaration in scope at the
// new place that gives it the namespace it had, and declares on element
// each prefix (or the default namespace, or its absence: xmlns="") whose
// meaning the new place lacks or changes, so that the saved text means
// what the tree meant before the move. Declarations that the subtree
// carries itself travelled with it and stay as they are.
HRESULT KeepNamespaces(_xmlNode* element);
