#include "xml/node_tree.h"

#include <libxml/tree.h>

#include <string>

#include "xml/xml_chars.h"
#include "xml/xml_names.h"

namespace {

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

void AppendChild(xmlNodePtr parent, xmlNodePtr child) {
  child->parent = parent;
  child->prev = parent->last;
  child->next = nullptr;
  if (parent->last != nullptr) {
    parent->last->next = child;
  } else {
    parent->children = child;
  }
  parent->last = child;
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
  xmlUnlinkNode(node);
  xmlFreeNode(node);
}

HRESULT ReplaceContent(xmlNodePtr node, std::string_view text) {
  if (!IsEditableNode(node)) return XML_E_CANNOT_APPEND;
  if (!IsAcceptableNodeText(node, text)) return E_INVALIDARG;
  const std::string content(text);
  if (node->type == XML_ATTRIBUTE_NODE) {
    // Looks the attribute up by namespace and name, which identify it, and
    // stores the value as one text node (unparsed), keeping ID tables right.
    return xmlSetNsProp(node->parent, node->ns, node->name, AsXmlChars(content)) != nullptr
               ? S_OK
               : E_OUTOFMEMORY;
  }
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
