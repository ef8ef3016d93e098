#include "xml/node_tree.h"

#include <libxml/tree.h>

#include <memory>
#include <string>

#include "xml/change_marks.h"
#include "xml/xml_chars.h"
#include "xml/xml_names.h"

namespace {

struct XmlStringFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

bool IsAcceptableNodeText(const xmlNode* node, std::string_view text) {
  switch (node->type) {
    case XML_CDATA_SECTION_NODE:
      return IsCDataText(text);
    case XML_COMMENT_NODE:
      return IsCommentText(text);
    case XML_PI_NODE:
      return IsProcessingInstructionData(text);
    default:
      return IsXmlText(text);
  }
}

}  // namespace

bool IsAcceptableContent(std::string_view text, NodeKind kind) {
  switch (kind) {
    case NodeKind::CData:
      return IsCDataText(text);
    case NodeKind::Comment:
      return IsCommentText(text);
    case NodeKind::Element:
    case NodeKind::Text:
      break;
  }
  return IsXmlText(text);
}

bool CanHold(const xmlNode* parent, NodeKind kind) {
  if (parent->type == XML_ELEMENT_NODE) return true;
  if (parent->type != XML_DOCUMENT_NODE) return false;
  if (kind == NodeKind::Comment) return true;
  return kind == NodeKind::Element &&
         xmlDocGetRootElement(reinterpret_cast<const xmlDoc*>(parent)) == nullptr;
}

bool CanGoBeside(const xmlNode* anchor, bool before, NodeKind kind, const xmlNode* leaving) {
  const xmlNode* parent = anchor->parent;
  if (parent->type != XML_DOCUMENT_NODE || kind != NodeKind::Element) {
    return CanHold(parent, kind);
  }
  const xmlNode* root = xmlDocGetRootElement(reinterpret_cast<const xmlDoc*>(parent));
  if (root != nullptr && root != leaving) return false;
  for (const xmlNode* after = before ? anchor : anchor->next; after != nullptr;
       after = after->next) {
    if (after->type == XML_DTD_NODE) return false;
  }
  return true;
}

xmlNodePtr NewContentNode(xmlDocPtr doc, NodeKind kind, std::string_view text) {
  const std::string content(text);
  switch (kind) {
    case NodeKind::CData:
      return xmlNewCDataBlock(doc, AsXmlChars(content), static_cast<int>(content.size()));
    case NodeKind::Comment:
      return xmlNewDocComment(doc, AsXmlChars(content));
    case NodeKind::Element:
    case NodeKind::Text:
      break;
  }
  return xmlNewDocText(doc, AsXmlChars(content));
}

bool HoldingKind(const xmlNode* node, NodeKind* kind) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
      *kind = NodeKind::Element;
      return true;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
      *kind = NodeKind::Text;
      return true;
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      *kind = NodeKind::Comment;
      return true;
    default:
      return false;
  }
}

namespace {

// Links child into parent's children before next (nullptr: at the end).
void LinkBefore(xmlNodePtr parent, xmlNodePtr next, xmlNodePtr child) {
  child->parent = parent;
  child->next = next;
  child->prev = next != nullptr ? next->prev : parent->last;
  if (child->prev != nullptr) {
    child->prev->next = child;
  } else {
    parent->children = child;
  }
  if (next != nullptr) {
    next->prev = child;
  } else {
    parent->last = child;
  }
}

}  // namespace

void AppendChild(xmlNodePtr parent, xmlNodePtr child) {
  LinkBefore(parent, nullptr, child);
  MarkNew(child);
  MarkChildrenChanged(parent);
}

void LinkBeside(xmlNodePtr anchor, xmlNodePtr node, bool before) {
  node->doc = anchor->doc;
  LinkBefore(anchor->parent, before ? anchor : anchor->next, node);
}

bool IsEditableNode(const xmlNode* node) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return true;
    default:
      return false;
  }
}

bool IsInContentOf(const xmlNode* node, const xmlNode* ancestor) {
  for (; node->parent != nullptr; node = node->parent) {
    if (node->parent == ancestor) return node->type != XML_ATTRIBUTE_NODE;
  }
  return false;
}

void RemoveSubtree(xmlNodePtr node) {
  MarkChildrenChanged(node->parent);
  xmlUnlinkNode(node);
  xmlFreeNode(node);
}

void ReadNodeText(const xmlNode* node, std::string* text) {
  std::unique_ptr<xmlChar, XmlStringFree> content(xmlNodeGetContent(node));
  text->assign(content ? AsChars(content.get()) : "");
}

HRESULT CheckContent(const xmlNode* node, std::string_view text) {
  if (!IsEditableNode(node)) return XML_E_CANNOT_APPEND;
  return IsAcceptableNodeText(node, text) ? S_OK : E_INVALIDARG;
}

HRESULT ReplaceContent(xmlNodePtr node, std::string_view text) {
  const HRESULT checked = CheckContent(node, text);
  if (checked != S_OK) return checked;
  const std::string content(text);
  if (node->type == XML_ATTRIBUTE_NODE) {
    // Looks the attribute up by namespace and name, which identify it, and
    // stores the value as one text node (unparsed), keeping ID tables right.
    xmlAttrPtr attribute = xmlSetNsProp(node->parent, node->ns, node->name, AsXmlChars(content));
    if (attribute == nullptr) return E_OUTOFMEMORY;
    MarkAttributeSet(attribute, false);
    return S_OK;
  }
  MarkContentReplaced(node);
  if (node->type != XML_ELEMENT_NODE) {
    // For these kinds the library copies the text as it stands.
    xmlNodeSetContent(node, AsXmlChars(content));
    return node->content != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  xmlNodePtr text_node = nullptr;
  if (!text.empty()) {
    text_node = xmlNewDocText(node->doc, AsXmlChars(content));
    if (text_node == nullptr) return E_OUTOFMEMORY;
  }
  xmlNodePtr children = node->children;
  node->children = nullptr;
  node->last = nullptr;
  xmlFreeNodeList(children);
  if (text_node != nullptr) AppendChild(node, text_node);
  return S_OK;
}
