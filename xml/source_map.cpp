#include "xml/source_map.h"

#include <libxml/tree.h>

#include "xml/change_marks.h"
#include "xml/markup_lexer.h"
#include "xml/xml_chars.h"

namespace {

// Whether qualified is the name of element, prefix included.
bool IsNameOf(std::string_view qualified, const xmlNode* element) {
  if (element->ns != nullptr && element->ns->prefix != nullptr) {
    const std::string_view prefix = AsChars(element->ns->prefix);
    if (!qualified.starts_with(prefix) || qualified.size() <= prefix.size() ||
        qualified[prefix.size()] != ':') {
      return false;
    }
    qualified.remove_prefix(prefix.size() + 1);
  }
  return qualified == AsChars(element->name);
}

// The kind of node that a lexeme must be, or -1 for none.
int NodeTypeOf(Token token) {
  switch (token) {
    case Token::StartTag:
    case Token::EmptyElement:
      return XML_ELEMENT_NODE;
    case Token::Text:
      return XML_TEXT_NODE;
    case Token::Comment:
      return XML_COMMENT_NODE;
    case Token::Instruction:
      return XML_PI_NODE;
    case Token::CData:
      return XML_CDATA_SECTION_NODE;
    case Token::EntityReference:
      return XML_ENTITY_REF_NODE;
    case Token::DocumentType:
      return XML_DTD_NODE;
    default:
      return -1;
  }
}

}  // namespace

HRESULT MapSource(xmlDocPtr doc, std::string_view text) {
  const MarkupLexer lexer(text);
  const auto document = reinterpret_cast<xmlNodePtr>(doc);
  SetSourceOffset(document, 0);
  // The walk: node is the next child of parent that the text must show.
  xmlNodePtr parent = document;
  xmlNodePtr node = doc->children;
  size_t pos = lexer.SplitDeclaration().end;
  while (true) {
    const Lexeme lexeme = lexer.Next(pos);
    if (lexeme.token == Token::End) {
      return parent == document && node == nullptr ? S_OK : XML_E_SOURCE_MISMATCH;
    }
    if (lexeme.token == Token::Invalid) return XML_E_SOURCE_MISMATCH;
    pos = lexeme.end;
    if (lexeme.token == Token::EndTag) {
      if (node != nullptr || parent == document) return XML_E_SOURCE_MISMATCH;
      node = parent->next;
      parent = parent->parent;
      continue;
    }
    if (lexeme.token == Token::Text && (node == nullptr || node->type != XML_TEXT_NODE)) {
      // White space that the load dropped: layout, left in the text.
      if (!lexer.IsBlank(lexeme.begin, lexeme.end)) return XML_E_SOURCE_MISMATCH;
      continue;
    }
    if (node == nullptr || static_cast<int>(node->type) != NodeTypeOf(lexeme.token)) {
      return XML_E_SOURCE_MISMATCH;
    }
    SetSourceOffset(node, lexeme.begin);
    switch (lexeme.token) {
      case Token::Text:
        if (lexer.IsBlank(lexeme.begin, lexeme.end)) SetBlankTextIsNode(parent);
        break;
      case Token::StartTag:
      case Token::EmptyElement:
        if (!IsNameOf(lexer.NameAt(lexeme.begin), node)) return XML_E_SOURCE_MISMATCH;
        if (lexeme.token == Token::StartTag) {
          parent = node;
          node = node->children;
          continue;
        }
        if (node->children != nullptr) return XML_E_SOURCE_MISMATCH;
        break;
      case Token::Instruction:
      case Token::EntityReference:
        if (lexer.NameAt(lexeme.begin) != AsChars(node->name)) return XML_E_SOURCE_MISMATCH;
        break;
      default:
        break;
    }
    node = node->next;
  }
}
