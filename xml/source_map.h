// Maps the nodes of a tree onto the text it was parsed from, one level at a
// time and only where needed: the children of an element or of the
// document get their source offsets (change_marks.h) just before a command
// adds or removes one of them, and at a save for the elements whose
// content the save must walk. What the text holds between the children,
// white space the load dropped, stays in the text for the writer to copy.
//
// A level is mapped by reading its content with the lexer and matching
// each node it holds with the next child in the tree; a child's own
// content is skipped over, so no node below is touched.
#pragma once

#include <string_view>

#include "platform/status.h"
#include "xml/markup_lexer.h"

struct _xmlNode;

class SourceMap {
 public:
  // text must be the text the tree was parsed from, and outlive the map.
  explicit SourceMap(std::string_view text) : m_lexer(text) {}

  // Gives the children of parent (an element or the document) their source
  // offsets, mapping first every ancestor whose children have none, from
  // the top down. Does nothing for a node without a source, an element whose
  // content a command replaced, and children mapped already.
  //
  // REQUIRES: no child was added to or removed from parent, nor from an
  // ancestor whose children are not mapped yet, since the tree was parsed.
  // Fails with XML_E_SOURCE_MISMATCH, mapping nothing more, when the text
  // does not hold the children of the tree in their order.
  HRESULT MapChildren(_xmlNode* parent);

  // A level read step by step, for a writer that maps the children of an
  // element as it writes them: where the content of parent (an element or
  // the document, whose own offset is known) begins, or kNoSource for an
  // empty-element tag; then each child in turn from there; then the end.
  size_t ContentBegin(const _xmlNode* parent) const;
  // Matches child with the next node of the text from *pos on, past the
  // white space before it, and records its offset. Returns the node's
  // lexeme, with end after the whole element when skip_content, else after
  // its start tag; Token::Invalid when the text does not match.
  Lexeme MapNext(_xmlNode* child, size_t* pos, bool skip_content);
  // After the last child: the end tag of parent's content (Token::End for
  // the document), past the white space before it; Token::Invalid when
  // anything else stands there.
  Lexeme MapEnd(const _xmlNode* parent, size_t pos) const;

 private:
  // Maps the children of parent, whose own offset is known.
  HRESULT MapLevel(_xmlNode* parent);

  MarkupLexer m_lexer;
};
