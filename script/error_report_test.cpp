#include <gtest/gtest.h>

#include <string>

#include "script/script_test_fixture.h"

namespace {

std::string Rule() { return std::string(76, '-'); }

// A listing as GetErrorListing frames it.
std::string Listing(const std::string& lines) {
  return Rule() + "\n\n" + lines + "\n\n" + Rule() + "\n\n";
}

}  // namespace

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
