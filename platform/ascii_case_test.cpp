#include "platform/ascii_case.h"

#include <gtest/gtest.h>

#include "platform/name_match.h"

TEST(AsciiCaseTest, OnlyTheAsciiLettersChange) {
  // "É" (C3 89) and "é" (C3 A9) are no ASCII letters; neither is "@" or "[",
  // which stand next to A and Z.
  const std::string text = "@AZ[az{\xC3\x89\xC3\xA9 09";
  EXPECT_EQ("@az[az{\xC3\x89\xC3\xA9 09", LowerCaseAscii(text));
  EXPECT_EQ("@AZ[AZ{\xC3\x89\xC3\xA9 09", UpperCaseAscii(text));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("ProductName", "PRODUCTname"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\x89", "\xC3\xA9"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("name", "names"));
}

TEST(NameMatchTest, TheFirstRowThatTheTextBeginsWins) {
  struct Row {
    std::string_view name;
  };
  static constexpr Row kRows[] = {{"select"}, {"set"}, {"Size"}};
  static const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"s", "select"}, {"SET", "set"},      {"si", "Size"},
      {"", "select"},  {"selects", "none"}, {"x", "none"},
  };
  for (const auto& c : cases) {
    const Row* row = FindByNamePrefix(std::span<const Row>(kRows), c.text);
    EXPECT_EQ(c.expected, row == nullptr ? "none" : row->name) << c.text;
  }
}
