// The layout of a document's text, read from the text itself, so that a
// node a command adds looks like its neighbours: the line end, the step of
// indentation between nesting levels, and what a line begins with.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class TextLayout {
 public:
  explicit TextLayout(std::string_view text) : m_text(text) {}

  // The text's first line end: "\r\n" when it is one, else "\n" (also for a
  // text of one line).
  const std::string& LineEnd();

  // What one more level of nesting adds to the indentation: the most common
  // increase from a line that opens an element to a line below it that
  // opens another, over the first lines of the text; else a tab when the
  // text indents with tabs, else two spaces.
  const std::string& IndentStep();

  // How the text closes an empty element: " />" when most of its empty
  // elements end so, else "/>".
  std::string_view EmptyElementEnd();

  // The quote character most of the text's attribute values stand in.
  char AttributeQuote();

  // The indentation of the line on which pos lies: its leading spaces and
  // tabs.
  std::string_view IndentationAt(size_t pos) const;

  // Whether only spaces and tabs stand between the line's beginning and pos.
  bool StartsLine(size_t pos) const;

  // The white space right before pos, from its last line end on (the line
  // end included), or all of it when it holds no line end: what separates
  // the node at pos from the one before it.
  std::string_view SeparatorBefore(size_t pos) const;

 private:
  // Where the line holding pos begins, looking back no further than
  // kLongestLine (a document of one huge line has no indentation).
  size_t LineBegin(size_t pos) const;

  // Counts what EmptyElementEnd and AttributeQuote choose from.
  void CountTagStyles();

  std::string_view m_text;
  std::string m_lineEnd;
  std::string m_indentStep;
  bool m_tagStylesCounted = false;
  bool m_spaceBeforeSlash = false;
  char m_quote = '"';
};
