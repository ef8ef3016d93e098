#include "xml/markup_lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* TokenName(Token token) {
  switch (token) {
    case Token::End:
      return "end";
    case Token::Invalid:
      return "invalid";
    case Token::Text:
      return "text";
    case Token::StartTag:
      return "start";
    case Token::EmptyElement:
      return "empty";
    case Token::EndTag:
      return "endtag";
    case Token::Comment:
      return "comment";
    case Token::Instruction:
      return "pi";
    case Token::CData:
      return "cdata";
    case Token::EntityReference:
      return "ref";
    case Token::DocumentType:
      return "doctype";
  }
  return "?";
}

// The text split into lexemes, each as "kind[text]", up to the end or the
// first invalid one.
std::string Lexemes(std::string_view text) {
  const MarkupLexer lexer(text);
  std::string out;
  size_t pos = 0;
  while (true) {
    const Lexeme lexeme = lexer.Next(pos);
    out += TokenName(lexeme.token);
    if (lexeme.token == Token::End || lexeme.token == Token::Invalid) return out;
    out += "[" + std::string(text.substr(lexeme.begin, lexeme.end - lexeme.begin)) + "] ";
    pos = lexeme.end;
  }
}

TEST(MarkupLexerTest, SplitsTextIntoLexemes) {
  static const struct {
    const char* text;
    const char* expected;
  } kCases[] = {
      {"<a x='>' y=\"/>\">t</a>", "start[<a x='>' y=\"/>\">] text[t] endtag[</a>] end"},
      {"<a/><b />", "empty[<a/>] empty[<b />] end"},
      // Character and predefined references are text; other references are
      // nodes of their own.
      {"a&amp;b&#60;&#x3C;&e;c&f;", "text[a&amp;b&#60;&#x3C;] ref[&e;] text[c] ref[&f;] end"},
      {"<!-- <a> -- x --><?p <b>?><![CDATA[<c>]]]]>",
       "comment[<!-- <a> -- x -->] pi[<?p <b>?>] cdata[<![CDATA[<c>]]]]>] end"},
      {"<!DOCTYPE a [<!ENTITY e \"]>\"><!-- ] --><?p ]?>]>\n<a/>",
       "doctype[<!DOCTYPE a [<!ENTITY e \"]>\"><!-- ] --><?p ]?>]>] text[\n] empty[<a/>] end"},
      {"<!DOCTYPE a PUBLIC \"-//x>\" 'y'><a/>",
       "doctype[<!DOCTYPE a PUBLIC \"-//x>\" 'y'>] empty[<a/>] end"},
      // Texts the parser would have refused.
      {"<a x='1", "invalid"},
      {"<!-- x", "invalid"},
      {"&e", "invalid"},
      {"<", "invalid"},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.expected, Lexemes(c.text)) << c.text;
}

TEST(MarkupLexerTest, FindsWhereNodesEnd) {
  static const struct {
    const char* text;
    size_t end;
  } kCases[] = {
      {"<a><a><!--</a>--><![CDATA[</a>]]><?p </a>?><b/></a></a>tail", 55},
      {"<a x='</a>'>x</a >tail", 18},
      {"<a/>tail", 4},
      {"text<a/>", 4},
      {"<a><b></a>", MarkupLexer::kInvalid},
      {"</a>", MarkupLexer::kInvalid},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.end, MarkupLexer(c.text).NodeEnd(0)) << c.text;
}

TEST(MarkupLexerTest, SplitsStartTags) {
  const std::string text = "<p:a  x = 'a>b'\n  y=\"\" />";
  const MarkupLexer lexer(text);
  StartTagSpans tag;
  std::vector<AttributeSpan> attributes;
  ASSERT_TRUE(lexer.SplitStartTag(0, &tag, &attributes));
  EXPECT_EQ("p:a", text.substr(tag.name_begin, tag.name_end - tag.name_begin));
  EXPECT_TRUE(tag.empty);
  EXPECT_EQ(text.size(), tag.end);
  EXPECT_EQ(" />", text.substr(tag.attributes_end));
  ASSERT_EQ(2u, attributes.size());
  EXPECT_EQ("  x = 'a>b'", text.substr(attributes[0].space_begin,
                                       attributes[0].value_end + 1 - attributes[0].space_begin));
  EXPECT_EQ("a>b", text.substr(attributes[0].value_begin,
                               attributes[0].value_end - attributes[0].value_begin));
  EXPECT_EQ("\n  y", text.substr(attributes[1].space_begin,
                                 attributes[1].name_end - attributes[1].space_begin));
  EXPECT_EQ(attributes[1].value_begin, attributes[1].value_end);
  EXPECT_FALSE(MarkupLexer("<a x>").SplitStartTag(0, &tag, &attributes));
  EXPECT_FALSE(MarkupLexer("</a>").SplitStartTag(0, &tag, &attributes));
}

TEST(MarkupLexerTest, SplitsTheDeclaration) {
  std::string text = "<?xml version='1.0'  encoding=\"latin1\"?><a/>";
  DeclarationSpans spans = MarkupLexer(text).SplitDeclaration();
  EXPECT_EQ(text.find("<a/>"), spans.end);
  EXPECT_EQ("'1.0'", text.substr(spans.version_end - 5, 5));
  EXPECT_EQ('\'', spans.version_quote);
  EXPECT_EQ("latin1", text.substr(spans.encoding_begin, spans.encoding_end - spans.encoding_begin));
  text = "<?xml version=\"1.0\"?>";
  spans = MarkupLexer(text).SplitDeclaration();
  EXPECT_EQ(text.size(), spans.end);
  EXPECT_EQ(spans.encoding_begin, spans.encoding_end);
  EXPECT_EQ(0u, MarkupLexer("<?xml-stylesheet href='a'?><a/>").SplitDeclaration().end);
  EXPECT_EQ(0u, MarkupLexer("<a/>").SplitDeclaration().end);
}

TEST(MarkupLexerTest, TellsBlankText) {
  static const struct {
    const char* text;
    bool blank;
  } kCases[] = {
      {" \t\r\n", true}, {"&#32;&#x9;&#10;&#xD;", true},
      {"", true},        {" x ", false},
      {"&#33;", false},  {"&amp;", false},
      {"&#;", false},    {"&#xZ;", false},
  };
  for (const auto& c : kCases) {
    const std::string text = c.text;
    EXPECT_EQ(c.blank, MarkupLexer(text).IsBlank(0, text.size())) << text;
  }
}

}  // namespace
