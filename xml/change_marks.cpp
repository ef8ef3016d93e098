#include "xml/change_marks.h"

#include <libxml/tree.h>

namespace {

uintptr_t Slot(const void* slot) { return reinterpret_cast<uintptr_t>(slot); }
void* AsSlot(uintptr_t value) { return reinterpret_cast<void*>(value); }

// Sets flag on node and kMarkDescendant on its ancestors, up to the first
// that has it already (its own ancestors have it then too).
void Mark(xmlNodePtr node, uintptr_t flag) {
  node->_private = AsSlot(Slot(node->_private) | flag);
  for (xmlNodePtr up = node->parent; up != nullptr && (Slot(up->_private) & kMarkDescendant) == 0;
       up = up->parent) {
    up->_private = AsSlot(Slot(up->_private) | kMarkDescendant);
  }
}

void SetState(void** slot, bool created) {
  if (Slot(*slot) != kAttributeNew) *slot = AsSlot(created ? kAttributeNew : kAttributeChanged);
}

}  // namespace

size_t SourceOffset(const xmlNode* node) {
  const uintptr_t position = Slot(node->_private) >> kMarkBits;
  return position == 0 ? kNoSource : static_cast<size_t>(position - 1);
}

uintptr_t Marks(const xmlNode* node) {
  return Slot(node->_private) & ((uintptr_t{1} << kMarkBits) - 1);
}

bool IsChanged(const xmlNode* node) { return (Slot(node->_private) & kChangeMarks) != 0; }

void SetSourceOffset(xmlNodePtr node, size_t offset) {
  node->_private = AsSlot((static_cast<uintptr_t>(offset) + 1) << kMarkBits | Marks(node));
}

void SetChildrenMapped(xmlNodePtr parent, bool blank_text_is_node) {
  parent->_private = AsSlot(Slot(parent->_private) | kChildrenMapped |
                            (blank_text_is_node ? kBlankTextIsNode : 0));
}

void MarkChildrenChanged(xmlNodePtr parent) { Mark(parent, kMarkChildren); }

void MarkRewritten(xmlNodePtr node) {
  // Iterative: documents may nest deeper than the call stack allows. The
  // children of an entity reference are the entity's and stay as they are.
  xmlNodePtr at = node;
  while (true) {
    at->_private = nullptr;
    if (at->type == XML_ELEMENT_NODE) {
      for (xmlAttrPtr attribute = at->properties; attribute != nullptr;
           attribute = attribute->next) {
        attribute->_private = nullptr;
      }
      for (xmlNsPtr declaration = at->nsDef; declaration != nullptr;
           declaration = declaration->next) {
        declaration->_private = nullptr;
      }
      if (at->children != nullptr) {
        at = at->children;
        continue;
      }
    }
    while (at != node && at->next == nullptr) at = at->parent;
    if (at == node) break;
    at = at->next;
  }
  MarkNew(node);
}

void MarkContentReplaced(xmlNodePtr node) { Mark(node, kMarkContent); }

void MarkNew(xmlNodePtr node) { node->_private = AsSlot(Slot(node->_private) | kNewNode); }

void MarkAttributeSet(xmlAttrPtr attribute, bool created) {
  SetState(&attribute->_private, created);
  Mark(attribute->parent, kMarkAttributes);
}

void MarkDeclarationSet(xmlNodePtr element, xmlNsPtr declaration, bool created) {
  SetState(&declaration->_private, created);
  Mark(element, kMarkAttributes);
}

void MarkAttributeRemoved(xmlNodePtr element) { Mark(element, kMarkAttributes); }

uintptr_t AttributeState(const xmlAttr* attribute) { return Slot(attribute->_private); }

uintptr_t DeclarationState(const xmlNs* declaration) { return Slot(declaration->_private); }
