#include <gtest/gtest.h>

#include "script/script_test_fixture.h"

namespace {

class CommandLineUpdateTest : public ScriptTest {
 protected:
  // Runs the update on <a><b>old</b></a>; returns the result, the error
  // text after a failure, and the text of /a/b afterwards.
  std::string Update(std::string_view query, std::string_view value) {
    CXmlFile& document = m_parser.GetDocument();
    EXPECT_EQ(S_OK, document.Load(m_temp.Write("doc.xml", "<a><b>old</b></a>")));
    const RunOutcome outcome = Outcome(m_parser.RunCommandLine(query, value));
    std::string text = "(no /a/b)";
    if (document.SelectNode("/a/b") == S_OK) document.GetText(&text);
    if (outcome.result == S_OK) return "ok: " + text;
    return outcome.message + ": " + text;
  }
};

}  // namespace

TEST_F(CommandLineUpdateTest, SetsTheSelectedNodeWithTheStringEscapes) {
  static const struct {
    const char* query;
    const char* value;
    const char* expected;
  } cases[] = {
      {"?/a/b", "new", "ok: new"},
      {"/a/b", "", "ok: "},
      {"?//b[text()=\\\"old\\\"]", "quoted \\\"x\\\"", "ok: quoted \"x\""},
      {"?/a/b", "C:\\data\\\\", "ok: C:\\data\\"},
      {"?/a/b", "C:\\dir\\file", "ok: C:\\dir\\file"},
      {"?/a/b", "one\\ntwo", "ok: one\ntwo"},
      {"?/a/b", "a; b, (c)", "ok: a; b, (c)"},
      {"?/a/b", "C:\\data\\", "Matching quote missing: old"},
      {"?/none", "x", "System error: old"},
      {"\?\?/a/b", "x", "System error: old"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, Update(c.query, c.value)) << c.query << " " << c.value;
  }
}

// Nothing in the query or the value may add statements of its own: the line
// is refused before anything runs and the document stays as it was.
TEST_F(CommandLineUpdateTest, RefusesEveryOtherShapeBeforeRunningAnything) {
  static const struct {
    const char* query;
    const char* value;
  } cases[] = {
      {"?/a/b", "x\"; clear; set node \"y"},
      {"?/a/b", "x\";;\""},
      {"?/a/b", "x\" \"y"},
      {"?/a/b", "x\" + \"y"},
      {"?/a/b", "x\" //"},
      {"?/a/b", "x\" /*"},
      {"/a/b\"; remove node; select node \"/a", "x"},
      {"/a/b\"; set node \"gone\"; //", "x"},
      {"/a\"; remove node \"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ("Unexpected token: old", Update(c.query, c.value)) << c.query << " " << c.value;
    EXPECT_EQ(0u, m_parser.GetExecutedCount()) << c.query << " " << c.value;
  }
}

TEST_F(CommandLineUpdateTest, EveryMatchAndReadingOut) {
  CXmlFile& document = m_parser.GetDocument();
  std::string printed;
  m_parser.SetOutput([&printed](std::string_view text) {
    printed += text;
    return S_OK;
  });
  const auto run = [&](std::string_view query, std::string_view value,
                       CParser::QueryAction action) {
    EXPECT_EQ(S_OK, document.Load(m_temp.Write("doc.xml", "<a><b>1</b><b>2</b></a>")));
    const RunOutcome outcome = Outcome(m_parser.RunCommandLine(query, value, action));
    std::vector<std::string> texts;
    document.GetNodesText("/a/b", &texts);
    std::string result = outcome.result == S_OK ? "ok" : outcome.message;
    for (const std::string& text : texts) result += " " + text;
    return result;
  };
  using Action = CParser::QueryAction;
  EXPECT_EQ("ok x x", run("?/a/b", "x", Action::SetEvery));
  EXPECT_EQ("Expression matched nothing 1 2", run("?/a/c", "x", Action::SetEvery));
  // The value can not smuggle statements in.
  EXPECT_EQ("Unexpected token 1 2", run("?/a/b", "x\"; remove nodes \"/a/b", Action::SetEvery));
  EXPECT_EQ("Unexpected token 1 2",
            run("?/a/b\" text; clear; get child \"/a", "", Action::GetFirst));
  EXPECT_EQ("", printed);
  EXPECT_EQ("ok 1 2", run("?/a/b", "", Action::GetFirst));
  EXPECT_EQ("1\n", printed);
  EXPECT_EQ("ok 1 2", run("?/a/b", "", Action::GetEvery));
  EXPECT_EQ("1\n1\n2\n", printed);
  EXPECT_EQ("Expression matched nothing 1 2", run("?/a/c", "", Action::GetEvery));
  EXPECT_EQ("Command failed 1 2", run("?/a/c", "", Action::GetFirst));
}
