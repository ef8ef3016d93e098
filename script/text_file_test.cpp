#include "script/text_file.h"

#include <gtest/gtest.h>

#include "script/script_test_fixture.h"

namespace {

// The lines of a text file, each followed by "|".
HRESULT ReadLines(const std::string& path, std::string* lines) {
  CTextFile file;
  const HRESULT hr = file.Open(path);
  if (FAILED(hr)) return hr;
  std::string line;
  while (file.ReadLine(&line) == S_OK) *lines += line + "|";
  EXPECT_EQ("", line);
  return S_OK;
}

}  // namespace

using TextFileTest = ScriptTest;

TEST_F(TextFileTest, DecodesByMarkOrContentAndSplitsLinesInTextMode) {
  using namespace std::string_literals;
  static const struct {
    std::string bytes;
    std::string expected;
  } cases[] = {
      {"", ""},
      {"a\nb", "a|b|"},
      {"a\r\nb\r\n", "a|b|"},
      {"a\rb\n", "a\rb|"},
      {"a\r\r\nb", "a\r|b|"},
      {"a\n\n", "a||"},
      {std::string(256, 'x'), std::string(256, 'x') + "|"},  // no line end
      {"ab\x1A"
       "cd\nef",
       "ab|"},
      {"\xEF\xBB\xBF"
       "caf\xC3\xA9\n",
       "caf\xC3\xA9|"},
      {"\xEF\xBB\xBF"
       "a\xFF",
       "a\xEF\xBF\xBD|"},
      {"caf\xC3\xA9\n", "caf\xC3\xA9|"},
      // One invalid byte anywhere makes the whole file Latin-1.
      {"caf\xC3\xA9\n\xE9", "caf\xC3\x83\xC2\xA9|\xC3\xA9|"},
      // What follows Ctrl-Z is not read and does not decide the encoding.
      {"caf\xC3\xA9\x1A\xFF", "caf\xC3\xA9|"},
      {"\xFF\xFE"
       "a\0\r\0\n\0\xE9\0"s,
       "a|\xC3\xA9|"},
      {"\xFF\xFE"
       "a\0\x1A\0b\0"s,
       "a|"},
      {"\xFF\xFE\x41\x1A", "\xE1\xA9\x81|"},  // U+1A41 holds a 0x1A byte, not Ctrl-Z
      {"a\0b"s, "a\0b|"s},
  };
  for (const auto& c : cases) {
    std::string lines;
    ASSERT_EQ(S_OK, ReadLines(m_temp.Write("lines.txt", c.bytes), &lines));
    EXPECT_EQ(c.expected, lines) << testing::PrintToString(c.bytes);
  }
}

TEST_F(TextFileTest, RefusesWhatItCannotRead) {
  std::string lines;
  EXPECT_EQ(SCRIPT_E_UTF16BE_FILE, ReadLines(m_temp.Write("be.txt", "\xFE\xFF\0a"), &lines));
  EXPECT_EQ(E_FILE_NOT_FOUND, ReadLines(m_temp.PathOf("missing.txt"), &lines));
  EXPECT_EQ(E_ACCESS_DENIED, ReadLines(m_temp.Path(), &lines));
}
