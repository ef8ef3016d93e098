#include "xml/source_map.h"

#include <libxml/tree.h>

#include <vector>

#include "xml/change_marks.h"
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

bool IsDocument(const xmlNode* node) { return node->type == XML_DOCUMENT_NODE; }

}  // namespace

HRESULT SourceMap::MapChildren(xmlNodePtr parent) {
  // The nodes whose children have no offsets yet, up to the first that has
  // them (or the document), the nearest first.
  std::vector<xmlNodePtr> unmapped;
  for (xmlNodePtr node = parent; node != nullptr; node = node->parent) {
    const uintptr_t marks = Marks(node);
    // In new content every node is new.
    if ((marks & (kNewNode | kMarkContent)) != 0) return S_OK;
    if ((marks & kChildrenMapped) != 0) break;
    unmapped.push_back(node);
  }
  for (auto level = unmapped.rbegin(); level != unmapped.rend(); ++level) {
    const HRESULT hr = MapLevel(*level);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

size_t SourceMap::ContentBegin(const xmlNode* parent) const {
  if (IsDocument(parent)) return m_lexer.SplitDeclaration().end;
  const size_t offset = SourceOffset(parent);
  if (offset == kNoSource) return kNoSource;
  const Lexeme tag = m_lexer.Next(offset);
  return tag.token == Token::StartTag ? tag.end : kNoSource;
}

Lexeme SourceMap::MapNext(xmlNodePtr child, size_t* pos, bool skip_content) {
  constexpr Lexeme kMismatch{Token::Invalid, 0, 0};
  Lexeme lexeme = m_lexer.Next(*pos);
  // White space that the load dropped is layout, left in the text.
  if (lexeme.token == Token::Text && child->type != XML_TEXT_NODE) {
    if (!m_lexer.IsBlank(lexeme.begin, lexeme.end)) return kMismatch;
    lexeme = m_lexer.Next(lexeme.end);
  }
  if (static_cast<int>(child->type) != NodeTypeOf(lexeme.token)) return kMismatch;
  switch (lexeme.token) {
    case Token::StartTag:
    case Token::EmptyElement:
      if (!IsNameOf(m_lexer.NameAt(lexeme.begin), child)) return kMismatch;
      if (lexeme.token == Token::StartTag && skip_content) {
        lexeme.end = m_lexer.NodeEnd(lexeme.begin);
        if (lexeme.end == MarkupLexer::kInvalid) return kMismatch;
      }
      break;
    case Token::Instruction:
    case Token::EntityReference:
      if (m_lexer.NameAt(lexeme.begin) != AsChars(child->name)) return kMismatch;
      break;
    default:
      break;
  }
  SetSourceOffset(child, lexeme.begin);
  *pos = lexeme.end;
  return lexeme;
}

Lexeme SourceMap::MapEnd(const xmlNode* parent, size_t pos) const {
  Lexeme lexeme = m_lexer.Next(pos);
  if (lexeme.token == Token::Text && m_lexer.IsBlank(lexeme.begin, lexeme.end)) {
    lexeme = m_lexer.Next(lexeme.end);
  }
  const Token end = IsDocument(parent) ? Token::End : Token::EndTag;
  return lexeme.token == end ? lexeme : Lexeme{Token::Invalid, 0, 0};
}

HRESULT SourceMap::MapLevel(xmlNodePtr parent) {
  if (!IsDocument(parent) && m_lexer.Next(SourceOffset(parent)).token == Token::EmptyElement) {
    SetChildrenMapped(parent, false);
    return S_OK;
  }
  size_t pos = ContentBegin(parent);
  if (pos == kNoSource) return XML_E_SOURCE_MISMATCH;
  bool blank_text_is_node = false;
  for (xmlNodePtr child = parent->children; child != nullptr; child = child->next) {
    const Lexeme lexeme = MapNext(child, &pos, true);
    if (lexeme.token == Token::Invalid) return XML_E_SOURCE_MISMATCH;
    blank_text_is_node = blank_text_is_node ||
                         (lexeme.token == Token::Text && m_lexer.IsBlank(lexeme.begin, lexeme.end));
  }
  if (MapEnd(parent, pos).token == Token::Invalid) return XML_E_SOURCE_MISMATCH;
  SetChildrenMapped(parent, blank_text_is_node);
  return S_OK;
}
