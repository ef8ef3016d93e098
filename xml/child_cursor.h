// Children by position in time linear in the walk a script makes. The
// library keeps children in a linked list, so the child at position n costs
// a walk of n nodes; the cursor remembers the child it found last and walks
// from there when that is nearer, so that visiting children 0, 1, 2, ...
// (or n, n-1, ...) costs one step each.
//
// The cursor knows nothing of changes to the tree: its owner calls Forget()
// whenever a child list may have changed.
#pragma once

#include <cstdint>

struct _xmlNode;

class ChildCursor {
 public:
  // The child at a zero-based position among all children of an element or
  // the document, counting every kind of node, or nullptr. Other nodes have
  // no children here: an attribute's value, an entity reference's
  // replacement and the declarations of a document type are not nodes of
  // the tree.
  _xmlNode* ChildAt(_xmlNode* parent, int32_t position);

  void Forget() { m_parent = nullptr; }

 private:
  _xmlNode* m_parent = nullptr;  // nullptr: nothing remembered
  int32_t m_position = 0;
  _xmlNode* m_child = nullptr;  // m_parent's child at m_position
};
