#include "script/error_report.h"

#include <gtest/gtest.h>

#include <vector>

#include "script/script_test_fixture.h"

namespace {

// Tokens from a compact text, one per blank-separated item: "(", ")", ",",
// ";", an operator character, "@name" for a function name, else a word.
std::vector<Token> Tokens(std::string_view text) {
  static const struct {
    std::string_view item;
    TokenKind kind;
    Operator op;
  } kSpecial[] = {
      {"(", TokenKind::OpenParenthesis, Operator::None},
      {")", TokenKind::CloseParenthesis, Operator::None},
      {",", TokenKind::Separator, Operator::None},
      {";", TokenKind::EndOfCommand, Operator::None},
      {"+", TokenKind::Operator, Operator::Add},
      {"-", TokenKind::Operator, Operator::Subtract},
      {"=", TokenKind::Operator, Operator::Assign},
  };
  std::vector<Token> tokens;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(pos, end - pos);
    Token token{TokenKind::Word, false, 1, static_cast<uint32_t>(pos),
                ScriptValue(std::string(item))};
    if (item.starts_with('@')) token.kind = TokenKind::FunctionName;
    for (const auto& special : kSpecial) {
      if (special.item == item) {
        token.kind = special.kind;
        token.value = ScriptValue(static_cast<int32_t>(special.op));
      }
    }
    tokens.push_back(token);
    pos = end + 1;
  }
  return tokens;
}

std::string Rule() { return std::string(76, '-'); }

// A listing as GetErrorListing frames it.
std::string Listing(const std::string& lines) {
  return Rule() + "\n\n" + lines + "\n\n" + Rule() + "\n\n";
}

}  // namespace

TEST(LocatorTest, FindParameterTokenSkipsOperandsAndCallArguments) {
  static const struct {
    const char* tokens;
    size_t parameter;
    size_t first;
    size_t expected;  // 1-based; 0: none
  } cases[] = {
      {"a b ;", 0, 0, 1},
      {"a b ;", 1, 0, 2},
      {"a b ;", 2, 0, 0},
      {"a + b c ;", 1, 0, 4},
      {"a + @f ( x , y ) b ;", 1, 0, 9},
      {"@f ( a , b ) c ;", 1, 0, 7},
      {"x = 5 ;", 1, 0, 3},
      {"set attribute a b ;", 1, 2, 4},
      {";", 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FindParameterToken(Tokens(c.tokens), c.parameter, c.first))
        << c.tokens << " parameter " << c.parameter;
  }
}

TEST(LocatorTest, FindArgumentTokenStaysInsideItsCall) {
  static const struct {
    const char* tokens;
    size_t argument;
    size_t first;
    size_t expected;  // 1-based; 0: none
  } cases[] = {
      {"@f ( a , b ) ;", 0, 1, 3},     {"@f ( a , b ) ;", 1, 1, 5},
      {"@f ( a , b ) ;", 2, 1, 0},     {"@f ( @g ( x , y ) , z ) ;", 1, 1, 10},
      {"@f ( a + b , c ) ;", 1, 1, 7}, {"@f ( ) + @g ( x ) ;", 0, 1, 0},
      {"x @f ( a , b ) ;", 1, 2, 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FindArgumentToken(Tokens(c.tokens), c.argument, c.first))
        << c.tokens << " argument " << c.argument;
  }
}

using ErrorReportTest = ScriptTest;

TEST_F(ErrorReportTest, ListsTheStatementWithTheCaretUnderTheToken) {
  const RunOutcome outcome = Run("var x = 1;\nvar y =\n  \"abc;\n");
  EXPECT_EQ(S_FALSE, outcome.result);
  EXPECT_EQ("Matching quote missing in line 3.", outcome.message);
  EXPECT_EQ(Listing("   2: var y =\n"
                    "   3:   \"abc;\n"
                    "        ^"),
            outcome.listing);
}

TEST_F(ErrorReportTest, TabsAreExpandedInTheListing) {
  const RunOutcome outcome = Run("var x\t= 1;\n\tincrement\ty;");
  EXPECT_EQ("Unknown variable in line 2.", outcome.message);
  EXPECT_EQ(Listing("   2:     increment   y;\n"
                    "                      ^"),
            outcome.listing);
}

TEST_F(ErrorReportTest, WideLineNumbersMoveTheCaret) {
  const RunOutcome outcome = Run(std::string(12344, '\n') + "  bogus;");
  EXPECT_EQ("Unknown command in line 12345.", outcome.message);
  EXPECT_EQ(Listing("12345:   bogus;\n"
                    "         ^"),
            outcome.listing);
}

TEST_F(ErrorReportTest, ListsAtMostSixLines) {
  std::string script =
      std::string(19, '\n') + "set attribute\n" + std::string(19, '\n') + "\"a\" 5;";
  const RunOutcome outcome = Run(script);
  EXPECT_EQ("Invalid parameter type in line 40.", outcome.message);
  EXPECT_EQ(Listing("  35: \n  36: \n  37: \n  38: \n  39: \n"
                    "  40: \"a\" 5;\n"
                    "          ^"),
            outcome.listing);
}

TEST_F(ErrorReportTest, AStatementOverAThousandLinesIsListedFromItsStart) {
  const RunOutcome outcome = Run("bogus\n" + std::string(999, '\n') + ";");
  EXPECT_EQ("Unknown command in line 1.", outcome.message);
  EXPECT_EQ(Listing("   1: bogus\n      ^"), outcome.listing);
}

TEST_F(ErrorReportTest, ExecutionErrorsPointAtTokensOfEarlierLines) {
  const RunOutcome outcome = Run("var\n  x\n  =\n  \"a\" - \"b\"\n;");
  EXPECT_EQ("Invalid parameter type in line 4.", outcome.message);
  EXPECT_EQ(Listing("   1: var\n   2:   x\n   3:   =\n"
                    "   4:   \"a\" - \"b\"\n"
                    "              ^"),
            outcome.listing);
}

TEST_F(ErrorReportTest, UnexpectedEndOfFileIsAtTheStartOfTheLastLine) {
  const RunOutcome outcome = Run("var x = 1;\nvar y\n= 2");
  EXPECT_EQ(S_FALSE, outcome.result);
  EXPECT_EQ("Unexpected end of file in line 3.", outcome.message);
  EXPECT_EQ(Listing("   2: var y\n   3: = 2\n      ^"), outcome.listing);
}

TEST_F(ErrorReportTest, FailuresWithoutALineHaveNoListing) {
  const HRESULT result = m_parser.RunDescriptionFile(m_temp.PathOf("missing.txt"));
  EXPECT_EQ(E_FILE_NOT_FOUND, result);
  RunOutcome outcome = Outcome(result);
  EXPECT_EQ("System error.", outcome.message);
  EXPECT_EQ("", outcome.listing);
  std::string listing = "stale";
  EXPECT_EQ(S_FALSE, m_parser.GetErrorListing(&listing));
  EXPECT_EQ("", listing);

  ASSERT_EQ(S_OK, m_parser.GetDocument().Create());
  outcome = Outcome(m_parser.RunCommandLine("?/a", "x\"; clear; set node \"y"));
  EXPECT_EQ(S_FALSE, outcome.result);
  EXPECT_EQ("Unexpected token", outcome.message);
  EXPECT_EQ(S_FALSE, m_parser.GetErrorListing(&listing));
  EXPECT_EQ("", listing);
}
