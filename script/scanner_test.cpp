#include "script/scanner.h"

#include <gtest/gtest.h>

#include "script/script_test_fixture.h"

TEST(ScannerTest, ExpandsTabsToColumnsOfFourCharacters) {
  static const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"\tx", "    x"},
      {"ab\tx", "ab  x"},
      {"abc\tx", "abc x"},
      {"abcd\tx", "abcd    x"},
      {"\t\t", "        "},
      // Columns count characters: "é" is two bytes and one column.
      {"\xC3\xA9\tx", "\xC3\xA9   x"},
      // A byte that starts no valid sequence is one column.
      {"\xFF\tx", "\xFF   x"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, ExpandTabs(c.text)) << c.text;
}

TEST(ScannerTest, UnescapesInOnePass) {
  static const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {R"(a\nb)", "a\nb"},  {R"(\t\r)", "\t\r"},      {R"(say \"hi\")", "say \"hi\""},
      {R"(\\)", "\\"},      {R"(C:\dir)", "C:\\dir"}, {R"(\\n)", "\\n"},
      {R"(end\)", "end\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, Unescape(c.text)) << c.text;
}

using ScanTest = ScriptTest;

// Each script fails while it is scanned: the message and the caret's column.
TEST_F(ScanTest, ScanningErrorsStandWhereTheirRuleStarted) {
  static const struct {
    const char* script;
    const char* expected;
  } cases[] = {
      {"@u(\"a\");", "Command missing in line 1. @0"},
      {"set node @f x;", "Opening parenthesis missing in line 1. @12"},
      {"set node @f;", "Opening parenthesis missing in line 1. @11"},
      {"set node @f(a b);", "Parameter separator (,) missing in line 1. @14"},
      {"set node @f(a;", "Closing parenthesis missing in line 1. @13"},
      {"set node \"abc;", "Matching quote missing in line 1. @9"},
      {"set node \"ab\\\";", "Matching quote missing in line 1. @9"},
      {"set node $4;", "Argument out of range in line 1. @9"},
      {"set node $99999999999;", "Argument out of range in line 1. @9"},
      {"\"set\" node;", "Unexpected token in line 1. @0"},
      {"set node @\"f\"();", "Unexpected token in line 1. @10"},
      {"set node $;", "Unexpected token in line 1. @9"},
      {"set node #;", "Unexpected token in line 1. @9"},
      {"set node #x;", "Unexpected token in line 1. @9"},
      {"set + 1;", "Unexpected token in line 1. @4"},
      {"set node 1 +;", "Unexpected token in line 1. @12"},
      {"set node 1 + + 2;", "Unexpected token in line 1. @13"},
      {"set node (1);", "Unexpected token in line 1. @9"},
      {"set node 1, 2;", "Unexpected token in line 1. @10"},
      {"set node @f(1 +, 2);", "Unexpected token in line 1. @15"},
      {"set node @f(1 +);", "Unexpected token in line 1. @15"},
      // Tabs count to the next multiple of four.
      {"set\tnode\t\"x;", "Matching quote missing in line 1. @12"},
      // Columns count characters, not bytes.
      {"var \xC3\xA9 = \"x;", "Matching quote missing in line 1. @8"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, ErrorAt(c.script)) << c.script;
}

// What the scanner makes of a text, seen through the value var stores.
TEST_F(ScanTest, TokensBecomeTheValuesTheirRulesSay) {
  static const struct {
    const char* script;
    const char* expected;
  } cases[] = {
      {"var v = #12;", "int:12"},
      {"var v = 99999999999;", "int:2147483647"},
      {"var v = \"a;b\";", "str:a;b"},
      {"var v = \"tab\\there\\\\\";", "str:tab\there\\"},
      {"var v = a\"b;", "str:a\"b"},
      {"var v = x$1#2@3;", "str:x$1#2@3"},
      {"var v = $3;", "str:alpha"},
      {"var v = 7/*c*/+/**/1;", "int:8"},
      {"var v /*/ = 5;", "int:5"},
      {"var v = a//b;\n;", "str:a"},
      {"var v = \"\xC3\xA9\\n\";", "str:\xC3\xA9\n"},
      {"var\n  v\n  =\n  3\n;", "int:3"},
      {"var v = 1;; var w = v;", "int:1"},
      {"var v = 1; /* a comment\n that runs on */ var v = 2;", "int:2"},
      {"var v = @u(\"a\") + @L(\"B\");", "str:Ab"},
      {"var v = @u(\"a\" + \"b\");", "str:AB"},
  };
  for (const auto& c : cases) {
    const RunOutcome outcome = Run(c.script);
    EXPECT_EQ(S_OK, outcome.result) << c.script << "\n" << outcome.message;
    EXPECT_EQ(c.expected, Variable("v")) << c.script;
  }
}

TEST_F(ScanTest, NulIsAWordCharacter) {
  const std::string script("var v = a\0b;", 12);
  EXPECT_EQ(S_OK, Run(script).result);
  EXPECT_EQ(std::string("str:a\0b", 7), Variable("v"));
}

TEST_F(ScanTest, EmptyAndCommentLinesDoNothing) {
  const RunOutcome outcome = Run("\n   \n// note\n/* block */\n;\n/* open\n to the end");
  EXPECT_EQ(S_OK, outcome.result) << outcome.message;
  EXPECT_EQ(0u, m_parser.GetExecutedCount());
}

TEST_F(ScanTest, LongLinesAndDeepNestingNeitherCrashNorOverflow) {
  std::string value(100000, 'x');
  EXPECT_EQ(S_OK, Run("var v = \"" + value + "\";").result);
  EXPECT_EQ("str:" + value, Variable("v"));

  std::string nested = "var v = ";
  for (int i = 0; i < 20000; ++i) nested += "@u(";
  nested += "\"a\"" + std::string(20000, ')') + ";";
  const RunOutcome outcome = Run(nested);
  EXPECT_EQ(SCRIPT_E_NESTING_TOO_DEEP, outcome.result);
  EXPECT_EQ("System error in line 1.", outcome.message);
}

// The scanner on its own: where it stops, and what each token records.
TEST(ScannerTest, StopsAtEachStatementAndAtTheEndOfTheLine) {
  CScanner scanner;
  scanner.Reset();
  scanner.SetArgumentCount(1);
  // Each token as kind@line:column; kinds by number: 2 command word, 8 system
  // variable, 16 number, 2048 ";".
  const auto tokens = [&scanner] {
    std::string text;
    for (const Token& token : scanner.Tokens()) {
      text += std::to_string(static_cast<uint32_t>(token.kind)) + "@" + std::to_string(token.line) +
              ":" + std::to_string(token.column) + " ";
    }
    return text;
  };

  scanner.BeginLine("a 1; b /* c", 1);
  EXPECT_EQ(CScanner::Stop::StatementComplete, scanner.Scan());
  EXPECT_EQ("2@1:0 16@1:2 2048@1:3 ", tokens());
  scanner.ResetStatement();
  EXPECT_EQ(CScanner::Stop::EndOfLine, scanner.Scan());
  EXPECT_TRUE(scanner.HasPendingStatement());
  scanner.EndLine();

  // The comment goes on into the next line; the statement too.
  scanner.BeginLine("\t*/ $0;;", 2);
  EXPECT_EQ(CScanner::Stop::StatementComplete, scanner.Scan());
  EXPECT_EQ("2@1:5 8@2:7 2048@2:9 ", tokens());
  EXPECT_EQ(1u, scanner.GetStatementLine());
  scanner.ResetStatement();
  EXPECT_EQ(CScanner::Stop::StatementComplete, scanner.Scan());
  EXPECT_FALSE(scanner.HasPendingStatement());  // a lone ";"
  scanner.ResetStatement();
  EXPECT_EQ(CScanner::Stop::EndOfLine, scanner.Scan());

  scanner.BeginLine("x $1;", 3);
  EXPECT_EQ(CScanner::Stop::Error, scanner.Scan());
  EXPECT_EQ(ScriptError::ArgumentOutOfRange, scanner.GetError());
  EXPECT_EQ(2u, scanner.GetColumn());
}
