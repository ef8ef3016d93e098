// Tree operations that keep clear of the XML library's traps: appending
// never merges text nodes, frees the new node or builds a second document
// element; and content is always stored literally, never parsed for entity
// references.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

struct _xmlDoc;
struct _xmlNode;

// The kinds of node that the add commands create.
enum class NodeKind { Element, Text, CData, Comment };

// Whether text can be the content of a new node of kind (an element's text
// for Element) so that the saved document reads back.
bool IsAcceptableContent(std::string_view text, NodeKind kind);

// Whether parent can take a new last child of kind with the document staying
// well-formed: an element takes every kind; the document takes comments, and
// an element while it has no document element; other nodes take none.
bool CanHold(const _xmlNode* parent, NodeKind kind);

// Whether a new node of kind can go beside anchor, a node with a parent, as
// its previous (before) or next sibling, the document staying well-formed:
// CanHold for the parent, and a document element never before the document
// type. leaving: a node of the tree that is moved there, so counts as gone.
bool CanGoBeside(const _xmlNode* anchor, bool before, NodeKind kind, const _xmlNode* leaving);

// A new text, CDATA section or comment node of doc holding text literally,
// or nullptr when memory runs out. REQUIRES: kind is not Element.
_xmlNode* NewContentNode(_xmlDoc* doc, NodeKind kind, std::string_view text);

// The kind whose place rules (CanHold) apply to node: an element; a text,
// CDATA section or entity reference as a text; a comment or processing
// instruction as a comment. False for other nodes (attributes, the
// document, a document type), which no command moves.
bool HoldingKind(const _xmlNode* node, NodeKind* kind);

// Links child, a new node of parent's document that is in no tree yet, as
// parent's last child. REQUIRES: CanHold(parent, kind of child).
void AppendChild(_xmlNode* parent, _xmlNode* child);

// Links node, a node of anchor's document that is in no tree, as anchor's
// previous (before) or next sibling. Unlike the library's own sibling
// operations, it never merges text nodes nor frees the node. REQUIRES:
// anchor has a parent that can hold node.
void LinkBeside(_xmlNode* anchor, _xmlNode* node, bool before);

// Whether node is of a kind that the node commands change: an element, an
// attribute, a text, a CDATA section, a comment or a processing
// instruction; not the document, nor anything of a document type.
bool IsEditableNode(const _xmlNode* node);

// Whether node lies in the content of ancestor, that is in the subtree of
// one of its children (an attribute of ancestor itself does not; one of a
// descendant does): what ReplaceContent on an element frees.
bool IsInContentOf(const _xmlNode* node, const _xmlNode* ancestor);

// Unlinks node from its parent and frees it with its subtree. REQUIRES: node
// is no attribute and no document type (entity references point into it).
void RemoveSubtree(_xmlNode* node);

// The text of a node and its descendants (entity references expanded), an
// attribute's value, whole.
void ReadNodeText(const _xmlNode* node, std::string* text);

// Whether ReplaceContent(node, text) would succeed: S_OK, XML_E_CANNOT_APPEND
// for a node of another kind, E_INVALIDARG for a text node can not hold.
HRESULT CheckContent(const _xmlNode* node, std::string_view text);

// Replaces the content of node with text, stored literally: all children of
// an element (none for an empty text), an attribute's value, the text of a
// text, CDATA, comment or processing-instruction node. Fails with
// XML_E_CANNOT_APPEND for other nodes, and E_INVALIDARG, changing nothing,
// when the node can not hold text.
HRESULT ReplaceContent(_xmlNode* node, std::string_view text);
