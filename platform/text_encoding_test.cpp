#include "platform/text_encoding.h"

#include <gtest/gtest.h>

TEST(TextEncodingTest, Utf8Validation) {
  static const struct {
    const char* bytes;
    bool valid;
  } cases[] = {
      {"plain", true},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", true},
      {"caf\xe9", false},           // Latin-1
      {"\xc0\xaf", false},          // overlong "/"
      {"\xed\xa0\x80", false},      // surrogate
      {"\xf4\x90\x80\x80", false},  // above U+10FFFF
      {"\xe2\x82", false},          // cut short
  };
  for (const auto& c : cases) EXPECT_EQ(c.valid, IsValidUtf8(c.bytes)) << c.bytes;
}

TEST(TextEncodingTest, UnmarkedTextIsDecodedOnceForTheWhole) {
  EXPECT_EQ("caf\xc3\xa9", DecodeUnmarkedText("caf\xc3\xa9"));
  // One invalid byte makes every byte Latin-1, the valid pair included.
  EXPECT_EQ("\xc3\x83\xc2\xa9 \xc3\xa9", DecodeUnmarkedText("\xc3\xa9 \xe9"));
}

TEST(TextEncodingTest, Utf16RoundTripWithSurrogatePairs) {
  const std::string text = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
  const std::string utf16 = Utf8ToUtf16Le(text);
  EXPECT_EQ(std::string("a\0\xe9\0\xac\x20\x3d\xd8\x00\xde", 10), utf16);
  EXPECT_EQ(text, Utf16LeToUtf8(utf16));
  EXPECT_EQ("\xef\xbf\xbd", Utf16LeToUtf8(std::string("\x00\xd8", 2)));  // lone surrogate
}

TEST(TextEncodingTest, CharactersAreCountedNotBytes) {
  EXPECT_EQ(4u, CountCharacters("caf\xc3\xa9"));
  EXPECT_EQ(2u, CountCharacters("\xe9\xe9"));  // invalid bytes count one each
}

TEST(TextEncodingTest, CharsetProbeTellsWhatACharacterSetCanHold) {
  CCharsetProbe latin1("ISO-8859-1");
  ASSERT_TRUE(latin1.IsOpen());
  EXPECT_TRUE(latin1.CanHold("caf\xc3\xa9"));
  EXPECT_FALSE(latin1.CanHold("caf\xc3\xa9 \xe2\x82\xac"));
  // Past a full output buffer the conversion goes on to the end.
  EXPECT_FALSE(latin1.CanHold(std::string(1000, 'e') + "\xc3\xa9\xe2\x82\xac"));
  EXPECT_TRUE(latin1.CanHold("\xc3\xa9t\xc3\xa9"));  // a failure leaves no state behind
  CCharsetProbe utf16("utf-16");
  EXPECT_TRUE(utf16.CanHold("\xf0\x9f\x98\x80"));
  EXPECT_FALSE(CCharsetProbe("no-such-charset").IsOpen());
}
