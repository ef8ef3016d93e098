// The executor, seen through whole scripts: how words find their command
// form, and how every failure becomes its message and its failing token.
#include <gtest/gtest.h>

#include <algorithm>

#include "script/script_test_fixture.h"

using ExecutorTest = ScriptTest;

TEST_F(ExecutorTest, WordsMatchCommandsAndQualifiersByPrefix) {
  static const struct {
    const char* script;
    const char* expected;
  } cases[] = {
      {"s n;", "ok"},  // select next: "n" is next before node
      {"s no;", "Not enough command parameters in line 1. @4"},
      {"SELECT NODE \"/*\";", "ok"},
      {"se d;", "ok"},
      {"set n \"x\";", "Unknown qualifier in line 1. @4"},  // "set next"
      {"c;", "ok"},                                         // clear
      {"selects node \"/\";", "Unknown command in line 1. @0"},
      {"s c 0;", "Unknown qualifier in line 1. @2"},  // "c" is cdatasection
      {"s ch 0;", "ok"},
      {"select \"node\" \"/\";", "ok"},
      {"add root r; add \"\" n v;", "ok"},  // an empty qualifier is attribute
      {"add child element x;", "ok"},
      {"add child child x;", "Unknown qualifier in line 1. @10"},
      {"add child comment x;", "Unknown qualifier in line 1. @10"},
      {"select attribute;", "Unknown qualifier in line 1. @7"},
      {"add;", "Unexpected token in line 1. @3"},
      {"5;", "Unexpected token in line 1. @0"},
      {"$1 x;", "Unexpected token in line 1. @0"},
      {"select node \"/a\") ;", "Unexpected token in line 1. @16"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, ErrorAt(c.script)) << c.script;
}

TEST_F(ExecutorTest, ParameterErrorsPointAtTheirToken) {
  static const struct {
    const char* script;
    const char* expected;
  } cases[] = {
      {"clear x;", "Too many command parameters in line 1. @7"},
      {"select node;", "Not enough command parameters in line 1. @11"},
      {"add root r; set attribute \"id\" 5;", "Invalid parameter type in line 1. @31"},
      {"add root r; set attribute \"id\" \"5\";", "ok"},
      {"set node \"a\" = \"b\";", "Unexpected token in line 1. @13"},
      {"var x + 1;", "Unexpected token in line 1. @6"},
      {"select node + \"x\";", "Unexpected token in line 1. @12"},
      {"increment y;", "Unknown variable in line 1. @10"},
      {"var x = \"s\"; increment x;", "Invalid parameter type in line 1. @23"},
      {"var x = 1 / 0;", "Division by zero in line 1. @12"},
      {"var z = 0; var x = 1 / z;", "Division by zero in line 1. @23"},
      {"var \"x\" = 1;", "Invalid parameter type in line 1. @4"},
      {"var $0 = 1;", "Invalid parameter type in line 1. @4"},
      {"var s = \"a\" + 1;", "Invalid parameter type in line 1. @14"},
      {"var s = $3 + 1;", "Invalid parameter type in line 1. @13"},
      {"set node 1 + 2;", "Invalid parameter type in line 1. @9"},
      // A handler's failure lands on its parameter.
      {"load \"missing.xml\";", "System error in line 1. @5"},
      {"load;", "Not enough command parameters in line 1. @4"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, ErrorAt(c.script)) << c.script;
}

TEST_F(ExecutorTest, FunctionErrorsPointIntoTheCall) {
  static const struct {
    const char* script;
    const char* expected;
  } cases[] = {
      {"var v = @Nothing(\"x\");", "Unknown function in line 1. @9"},
      {"var v = @Sizes(x);", "Unknown function in line 1. @9"},
      {"var v = @LowerCase();", "Not enough function parameters in line 1. @19"},
      {"var v = @LowerCase(\"A\", \"B\");", "Too many function parameters in line 1. @27"},
      {"var v = @LowerCase(,);", "Too many function parameters in line 1. @20"},
      {"var v = @u(5);", "Invalid parameter type in line 1. @11"},
      {"var v = @u(\"x\") x;", "Too many command parameters in line 1. @17"},
      // A precision that is a non-empty string is the function's refusal,
      // reported at its first argument.
      {"var v = @Size(\"f\", \"KB\", \"3\");", "Invalid parameter type in line 1. @14"},
      {"var v = \"a\" + @u(@Size(\"f\", \"KB\", \"x\"));", "Invalid parameter type in line 1. @23"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, ErrorAt(c.script)) << c.script;
}

TEST_F(ExecutorTest, SystemErrorsEndTheRunWithTheirStatus) {
  RunOutcome outcome = Run("var x = 1;\nload \"missing.xml\";\nvar x = 2;");
  EXPECT_EQ(E_FILE_NOT_FOUND, outcome.result);
  EXPECT_EQ("System error in line 2.", outcome.message);
  EXPECT_EQ("int:1", Variable("x"));
  EXPECT_EQ(1u, m_parser.GetExecutedCount());

  // Nothing selected: the node command fails and points at the ";".
  outcome = Run("select node \"/none\"; get node v;");
  EXPECT_EQ(XML_E_NO_CURRENT_NODE, outcome.result);
  EXPECT_EQ("System error in line 1. @30", ErrorAt("select node \"/none\"; get node v;"));
}

TEST_F(ExecutorTest, CommandFailedPointsAtTheCommandWord) {
  // Forward slashes: a backslash may start an escape in a script's string.
  std::string path = m_temp.Write("broken.xml", "<a>");
  std::replace(path.begin(), path.end(), '\\', '/');
  const std::string script = "var x = 1;  load \"" + path + "\";";
  EXPECT_EQ("Command failed in line 1. @12", ErrorAt(script));
}

TEST_F(ExecutorTest, VariablesAndArithmeticWrap) {
  static const struct {
    const char* script;
    const char* expected;  // the value of v afterwards
  } cases[] = {
      {"var v = 2147483647 + 1;", "int:-2147483648"},
      {"var v = 0 - 2147483647 - 2;", "int:2147483647"},
      {"var m = 0 - 2147483647 - 1; var d = 0 - 1; var v = m / d;", "int:-2147483648"},
      {"var v = 2147483647; increment v;", "int:-2147483648"},
      {"var v = 0 - 2147483647 - 1; decrement v;", "int:2147483647"},
      {"var v = 1 + 2 * 3;", "int:9"},
      {"var v = 0 - 7 / 2;", "int:-3"},
      {"var v 4;", "int:4"},
      {"var v = b;", "str:b"},
      {"var b = 2; var v = b;", "int:2"},
      {"var V = 1; var v = 2;", "int:2"},
      {"var v = 1; var v = \"one\";", "str:one"},
      {"var v = $0;", "str:brindle"},
  };
  for (const auto& c : cases) {
    const RunOutcome outcome = Run(c.script);
    EXPECT_EQ(S_OK, outcome.result) << c.script << "\n" << outcome.message;
    EXPECT_EQ(c.expected, Variable("v")) << c.script;
  }
}

TEST_F(ExecutorTest, CommandsActOnTheDocumentInOrder) {
  const RunOutcome outcome =
      Run("add root \"r\"; var id = \"key\";\n"
          "add attribute id \"a & <b>\"; get attribute \"key\" text;\n"
          "set node \"x\" + @u(\"y\"); get node node;\n"
          "add child text \"c\" \"z\"; get child \"c\" child; get child 0 first;");
  EXPECT_EQ(S_OK, outcome.result) << outcome.message;
  EXPECT_EQ(9u, m_parser.GetExecutedCount());
  EXPECT_EQ("str:a & <b>", Variable("text"));
  EXPECT_EQ("str:xY", Variable("node"));
  EXPECT_EQ("str:z", Variable("child"));
  EXPECT_EQ("str:xY", Variable("first"));
}

TEST_F(ExecutorTest, GetKeepsTheVariableWhenNothingIsFound) {
  const RunOutcome outcome = Run("add root r; var v = 1; get attribute \"none\" v;");
  EXPECT_EQ("Command failed in line 1.", outcome.message);
  EXPECT_EQ("int:1", Variable("v"));
}

TEST_F(ExecutorTest, ReadsLongTextWhole) {
  const std::string text(300, 't');
  EXPECT_EQ(S_OK, Run("add root r; set node \"" + text + "\"; get node v;").result);
  EXPECT_EQ("str:" + text, Variable("v"));
}

// The text of "add node" is checked before the element is added: the
// refusal leaves no empty element behind, and the element that was current
// stays current.
TEST_F(ExecutorTest, RefusedNodeTextAddsNoElement) {
  EXPECT_EQ("Invalid parameter type in line 1. @37",
            ErrorAt("add root r; add text \"t\"; add node x \"a\x01\";"));
  CXmlFile& document = m_parser.GetDocument();
  std::string text;
  EXPECT_EQ(S_OK, document.GetText(&text));
  EXPECT_EQ("t", text);
  EXPECT_EQ(S_OK, document.SelectRoot());
  EXPECT_EQ(S_OK, document.GetChildText(0, &text));
  EXPECT_EQ(XML_E_POSITION_OUT_OF_RANGE, document.GetChildText(1, &text));
}
