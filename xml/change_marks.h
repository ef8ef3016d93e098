// Where each node of a loaded document came from in its text, and what the
// node commands changed since, so that a save can copy every byte that no
// command touched (preserving_writer.h).
//
// Both live in the application slot (_private) of the library's nodes,
// attributes and namespace declarations, which nothing else in the program
// uses, so that a node carries them through every command and they die with
// it. A node's slot holds its source offset plus one (0: the node has no
// source, or none mapped yet: source_map.h) shifted left by kMarkBits, over
// the mark bits below. An attribute's or a declaration's slot holds only
// kAttributeNew or kAttributeChanged (0: as in the source).
//
// The marks are kept for every document, loaded with its source or not: a
// mark costs a few bit operations and a walk up to the first ancestor that
// already carries one.
//
// Invariant: every ancestor of a node that carries a mark carries
// kMarkDescendant, so a node without marks heads a subtree that no command
// changed.
#pragma once

#include <cstddef>
#include <cstdint>

struct _xmlAttr;
struct _xmlNode;
struct _xmlNs;

// Mark bits of a node.
constexpr uintptr_t kMarkAttributes = 1;  // an attribute or declaration of the element changed
constexpr uintptr_t kMarkContent = 2;     // the content was replaced: all children are new
constexpr uintptr_t kMarkChildren = 4;    // a child was added or removed
constexpr uintptr_t kMarkDescendant = 8;  // a node below changed
// Set with the offsets of the children (source_map.h), not changes: the
// children of the element or document have their offsets, and
// whitespace-only text in its source content was a text node
// (xml:space="preserve"), not layout.
constexpr uintptr_t kChildrenMapped = 16;
constexpr uintptr_t kBlankTextIsNode = 32;
// A node that a command made: it has no source, nor has anything below it.
constexpr uintptr_t kNewNode = 64;
constexpr int kMarkBits = 7;
constexpr uintptr_t kChangeMarks = kMarkAttributes | kMarkContent | kMarkChildren | kMarkDescendant;

// States of an attribute or namespace declaration.
constexpr uintptr_t kAttributeNew = 1;
constexpr uintptr_t kAttributeChanged = 2;

constexpr size_t kNoSource = static_cast<size_t>(-1);

// The offset in the source text where node begins, or kNoSource.
size_t SourceOffset(const _xmlNode* node);
uintptr_t Marks(const _xmlNode* node);
bool IsChanged(const _xmlNode* node);

// Records where node begins in the source text; its marks stay.
void SetSourceOffset(_xmlNode* node, size_t offset);
// Adds kChildrenMapped, and kBlankTextIsNode with blank_text_is_node.
void SetChildrenMapped(_xmlNode* parent, bool blank_text_is_node);

// What the node commands call for each change, with the node changed:
// a child appended to or removed from parent (an element or the document);
void MarkChildrenChanged(_xmlNode* parent);
// a node made by a command put into the tree;
void MarkNew(_xmlNode* node);
// node, with everything below it, to be written as a command made it: a
// node that moved, or an element renamed (its source is forgotten, so
// that its place must be marked on its parent as for a new node);
void MarkRewritten(_xmlNode* node);
// node's content replaced (an element's children, or the text of a text,
// CDATA, comment or processing-instruction node);
void MarkContentReplaced(_xmlNode* node);
// an attribute's value set, or the attribute created;
void MarkAttributeSet(_xmlAttr* attribute, bool created);
// a namespace declaration of element set, or created;
void MarkDeclarationSet(_xmlNode* element, _xmlNs* declaration, bool created);
// an attribute or declaration of element removed.
void MarkAttributeRemoved(_xmlNode* element);

uintptr_t AttributeState(const _xmlAttr* attribute);
uintptr_t DeclarationState(const _xmlNs* declaration);
