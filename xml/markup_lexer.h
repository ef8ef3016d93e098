// Finds where each piece of markup and character data of a document's text
// begins and ends. The text is one that the parser accepted, so the lexer
// checks nothing the parser checked: it only never reads outside the text,
// and answers Token::Invalid where the text does not have the shape it
// expects (a text decoded otherwise than the parser decoded it).
//
// Positions are byte offsets into the UTF-8 text given to the constructor,
// which must outlive the lexer.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

enum class Token {
  End,              // the end of the text
  Invalid,          // not what a well-formed document holds here
  Text,             // character data, with its character and predefined entity references
  StartTag,         // <name ...>
  EmptyElement,     // <name .../>
  EndTag,           // </name>
  Comment,          // <!-- -->
  Instruction,      // <?target ...?>, the XML declaration included
  CData,            // <![CDATA[ ]]>
  EntityReference,  // &name; for any name but the five predefined ones
  DocumentType,     // <!DOCTYPE ...>, with its internal subset
};

struct Lexeme {
  Token token;
  size_t begin;
  size_t end;
};

// One attribute of a start tag: the white space before it, its name, and
// its value between the quotes (the quote is the byte before value_begin).
struct AttributeSpan {
  size_t space_begin;
  size_t name_begin;
  size_t name_end;
  size_t value_begin;
  size_t value_end;
};

// The parts of a start tag or empty-element tag.
struct StartTagSpans {
  size_t name_begin;
  size_t name_end;
  size_t attributes_end;  // after the last attribute's closing quote, else name_end
  size_t end;             // after ">"
  bool empty;             // "/>"
};

// The pseudo-attributes of the XML declaration that a save may change.
struct DeclarationSpans {
  size_t end = 0;          // after "?>"; 0: the text has no declaration
  size_t version_end = 0;  // after the version's closing quote
  char version_quote = '"';
  size_t encoding_begin = 0;  // the encoding's value between its quotes
  size_t encoding_end = 0;    // equal to encoding_begin when there is none
};

class MarkupLexer {
 public:
  explicit MarkupLexer(std::string_view text) : m_text(text) {}

  std::string_view Text() const { return m_text; }

  // The lexeme that begins at pos. Character data runs up to the next "<"
  // or the next reference to a general entity, which is a node of its own.
  Lexeme Next(size_t pos) const;

  // Where the node that begins at pos ends: after its end tag for a start
  // tag, else after its lexeme. kInvalid when the text ends first.
  size_t NodeEnd(size_t pos) const;

  // Splits the start tag at pos. With attributes, also lists them in order.
  // False when there is no start tag at pos.
  bool SplitStartTag(size_t pos, StartTagSpans* tag, std::vector<AttributeSpan>* attributes) const;

  // The XML declaration at the beginning of the text, if there is one.
  DeclarationSpans SplitDeclaration() const;

  // Whether character data [begin, end) is white space only, as the parser
  // reads it: space, tab, line feed and carriage return, written or as
  // character references.
  bool IsBlank(size_t begin, size_t end) const;

  // The name of the lexeme at begin: an element's after "<" or "</", a
  // processing instruction's target, an entity reference's name.
  std::string_view NameAt(size_t begin) const;

  static constexpr size_t kInvalid = static_cast<size_t>(-1);

 private:
  // Where the text after pos first holds what, or kInvalid.
  size_t Find(size_t pos, std::string_view what) const;
  size_t NameEnd(size_t pos) const;
  size_t SkipSpace(size_t pos) const;
  size_t TextEnd(size_t pos) const;
  size_t TagEnd(size_t pos, bool* empty) const;
  size_t DocumentTypeEnd(size_t pos) const;
  size_t ElementEnd(size_t pos) const;

  std::string_view m_text;
};

inline bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
