#include "xml/child_cursor.h"

#include <libxml/tree.h>

xmlNodePtr ChildCursor::ChildAt(xmlNodePtr parent, int32_t position) {
  if (position < 0 || (parent->type != XML_ELEMENT_NODE && parent->type != XML_DOCUMENT_NODE)) {
    return nullptr;
  }
  xmlNodePtr child = parent->children;
  int32_t index = 0;
  // From the remembered child when it is no farther than the first one.
  if (m_parent == parent && position >= m_position - position) {
    child = m_child;
    index = m_position;
    for (; index > position; --index) child = child->prev;
  }
  for (; child != nullptr && index < position; ++index) child = child->next;
  if (child != nullptr) {
    m_parent = parent;
    m_position = position;
    m_child = child;
  }
  return child;
}
