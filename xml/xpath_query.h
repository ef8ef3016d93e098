// Evaluating an XPath 1.0 expression for the select, get, remove and set
// commands.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/status.h"

struct _xmlDoc;
struct _xmlNode;

// Prefixes and the namespace URIs they stand for in expressions.
using NamespaceBindings = std::vector<std::pair<std::string, std::string>>;

// Evaluates expression with context (a node of doc) as context node and
// gives the first node of the result, in document order, that can be the
// current node: never a namespace node, nor a node outside the document's
// own tree. The expression knows the prefixes declared on the document
// element as it is now, its default namespace as "_" unless it declares
// "_" itself, then extra, which adds prefixes or overrides them. The result
// is freed before returning, so the caller may change the tree.
// Returns S_OK with *found (nullptr when no such node is selected),
// XML_E_INVALID_XPATH for a malformed expression or one that fails to
// evaluate, XML_E_UNDECLARED_PREFIX, XML_E_XPATH_NOT_NODESET when the result
// is a number, string or boolean, or E_OUTOFMEMORY.
HRESULT SelectFirstNode(_xmlDoc* doc, _xmlNode* context, std::string_view expression,
                        const NamespaceBindings& extra, _xmlNode** found);

// The same, giving every such node of the result in document order (none:
// an empty list) instead of the first.
HRESULT SelectNodes(_xmlDoc* doc, _xmlNode* context, std::string_view expression,
                    const NamespaceBindings& extra, std::vector<_xmlNode*>* found);
