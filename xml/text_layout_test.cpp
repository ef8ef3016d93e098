#include "xml/text_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextLayoutTest, LineEndIsTheTextsOwn) {
  EXPECT_EQ("\r\n", TextLayout("<a>\r\n<b/>\n</a>").LineEnd());
  EXPECT_EQ("\n", TextLayout("<a>\n<b/>\r\n</a>").LineEnd());
  EXPECT_EQ("\n", TextLayout("<a/>").LineEnd());
}

TEST(TextLayoutTest, IndentStepIsTheMostCommonIncrease) {
  static const struct {
    const char* text;
    const char* step;
  } kCases[] = {
      {"<a>\n    <b>\n        <c/>\n    </b>\n    <d>\n        <e/>\n    </d>\n</a>", "    "},
      {"<a>\n\t<b>\n\t\t<c/>\n\t</b>\n</a>", "\t"},
      // One odd line does not outweigh the rest; end tags and text lines
      // are no openings.
      {"<a>\n  <b>\n     <c/>\n  </b>\n  <d>\n    <e/>\n  </d>\n  <f>\n    text\n  </f>\n</a>",
       "  "},
      {"<a><b/></a>", "  "},
      {"<a>\n\t<b/>\n\t<c/>\n</a>", "\t"},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.step, TextLayout(c.text).IndentStep()) << c.text;
}

TEST(TextLayoutTest, TagStylesAreTheMostCommon) {
  TextLayout spaced("<a x='1'><b y='2' /><c /><d/></a>");
  EXPECT_EQ(" />", spaced.EmptyElementEnd());
  EXPECT_EQ('\'', spaced.AttributeQuote());
  TextLayout tight("<a x=\"1\" y = '2' z=\"3\"><b/></a>");
  EXPECT_EQ("/>", tight.EmptyElementEnd());
  EXPECT_EQ('"', tight.AttributeQuote());
  TextLayout none("<a>text</a>");
  EXPECT_EQ("/>", none.EmptyElementEnd());
  EXPECT_EQ('"', none.AttributeQuote());
}

TEST(TextLayoutTest, LinesAndSeparators) {
  const std::string text = "<a>\r\n\t\t<b/> <c/>\n\n   <d/><e/>";
  const TextLayout layout(text);
  const size_t b = text.find("<b/>");
  const size_t c = text.find("<c/>");
  const size_t d = text.find("<d/>");
  const size_t e = text.find("<e/>");
  EXPECT_TRUE(layout.StartsLine(0));
  EXPECT_TRUE(layout.StartsLine(b));
  EXPECT_FALSE(layout.StartsLine(c));
  EXPECT_TRUE(layout.StartsLine(d));
  EXPECT_EQ("\t\t", layout.IndentationAt(b));
  EXPECT_EQ("\t\t", layout.IndentationAt(c));
  EXPECT_EQ("   ", layout.IndentationAt(e));
  EXPECT_EQ("\r\n\t\t", layout.SeparatorBefore(b));
  EXPECT_EQ(" ", layout.SeparatorBefore(c));
  EXPECT_EQ("\n   ", layout.SeparatorBefore(d));
  EXPECT_EQ("", layout.SeparatorBefore(e));
}

}  // namespace
