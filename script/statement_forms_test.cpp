// The statements added to the language after its first vocabulary: every
// match, insertion beside a node, rename, move and print, seen through
// whole scripts; and the abbreviations that were typed before them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "script/script_test_fixture.h"

namespace {

// The word tables as they stood before any word was added after them, in
// matching order: every prefix of each word must keep selecting what it
// selected then.
struct OldWord {
  const char* name;
  StatementId identifier;
};
constexpr OldWord kOldCommands[] = {
    {"add", kAdd},
    {"get", kGet},
    {"remove", kRemove},
    {"select", kSelect},
    {"set", kSet},
    {"load", kLoad},
    {"clear", kClear},
    {"var", kVar},
    {"increment", kIncrement},
    {"decrement", kDecrement},
};
constexpr OldWord kOldQualifiers[] = {
    {"attribute", kAttribute}, {"cdatasection", kCDataSection},
    {"child", kChild},         {"comment", kComment},
    {"document", kDocument},   {"element", kElement},
    {"next", kNext},           {"node", kNode},
    {"parent", kParent},       {"previous", kPrevious},
    {"property", kProperty},   {"root", kRoot},
    {"text", kText},
};

template <size_t N>
StatementId FirstOldMatch(const OldWord (&table)[N], std::string_view text) {
  for (const OldWord& word : table) {
    if (std::string_view(word.name).starts_with(text)) return word.identifier;
  }
  return 0;
}

class StatementFormsTest : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    m_parser.SetOutput([this](std::string_view text) {
      m_printed += text;
      return m_outputStatus;
    });
  }

  // Runs script on the document xml; returns ErrorAt's outcome, then the
  // document saved without declaration.
  std::string RunOn(std::string_view xml, std::string_view script) {
    // The script loads the document itself, since Run starts from an empty
    // one; "/" separators, as a backslash would start an escape in its string.
    const std::string path = std::filesystem::path(m_temp.Write("doc.xml", xml)).generic_string();
    const std::string outcome = ErrorAt("load \"" + path + "\";\n" + std::string(script));
    const std::string saved = m_temp.PathOf("saved.xml");
    if (m_parser.GetDocument().Save(saved, "", SaveFlags::NoDeclaration) != S_OK) {
      return outcome + ": no save";
    }
    std::ifstream in(saved, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return outcome + ": " + text;
  }

  std::string m_printed;
  HRESULT m_outputStatus = S_OK;
};

}  // namespace

TEST_F(StatementFormsTest, EveryEarlierAbbreviationKeepsItsWord) {
  for (const OldWord& word : kOldCommands) {
    for (size_t length = 0; length <= std::string_view(word.name).size(); ++length) {
      const std::string_view prefix = std::string_view(word.name).substr(0, length);
      EXPECT_EQ(FirstOldMatch(kOldCommands, prefix), FindCommandWord(prefix)) << prefix;
    }
  }
  for (const OldWord& word : kOldQualifiers) {
    for (size_t length = 0; length <= std::string_view(word.name).size(); ++length) {
      const std::string_view prefix = std::string_view(word.name).substr(0, length);
      EXPECT_EQ(FirstOldMatch(kOldQualifiers, prefix), FindQualifierWord(prefix)) << prefix;
    }
  }
  // The new words by their shortest abbreviations.
  EXPECT_EQ(kRename, FindCommandWord("ren"));
  EXPECT_EQ(kMove, FindCommandWord("m"));
  EXPECT_EQ(kPrint, FindCommandWord("p"));
  EXPECT_EQ(kNodes, FindQualifierWord("nodes"));
  EXPECT_EQ(kBefore, FindQualifierWord("b"));
  EXPECT_EQ(kAfter, FindQualifierWord("af"));
}

TEST_F(StatementFormsTest, EveryMatchFormsWorkFromTheCurrentNode) {
  const char* xml = "<r><a>1</a><b><a>2</a></b><a>3</a></r>";
  EXPECT_EQ("ok: <r><a>x</a><b><a>2</a></b><a>x</a></r>",
            RunOn(xml, "select root; set nodes \"a\" \"x\";"));
  EXPECT_EQ("ok: <r><b/></r>", RunOn(xml, "select root; remove nodes \"//a\";"));
  EXPECT_EQ("ok: <r><a>1</a><b><a>2</a></b><a>3</a></r>",
            RunOn(xml, "select root; get nodes \"//a\" v; print v;"));
  EXPECT_EQ("1\n2\n3\n", m_printed);
  EXPECT_EQ("str:1\n2\n3", Variable("v"));
  // Abbreviated: "rem" is remove, "nodes" stays apart from "node".
  EXPECT_EQ("ok: <r><b/></r>", RunOn(xml, "rem nodes \"//a\";"));
  EXPECT_EQ("Too many command parameters in line 2. @14: " + std::string(xml),
            RunOn(xml, "rem node \"//a\";"));
}

// Nothing selected is an error of its own, at the expression; a refused
// node changes nothing.
TEST_F(StatementFormsTest, NothingMatchedPointsAtTheExpression) {
  static const struct {
    const char* script;
    const char* error;
  } cases[] = {
      {"set nodes \"//x\" \"v\";", "Expression matched nothing in line 2. @10"},
      {"remove nodes \"//x\";", "Expression matched nothing in line 2. @13"},
      {"select root; get nodes \"x\" v;", "Expression matched nothing in line 2. @23"},
      {"select root; move node \"x\";", "Expression matched nothing in line 2. @23"},
      {"set nodes \"//node()\" \"a--b\";", "Invalid parameter type in line 2. @21"},
      {"set nodes \"//[\" \"v\";", "System error in line 2. @10"},
  };
  const char* xml = "<r><a>1</a><!--c--></r>";
  for (const auto& c : cases) {
    EXPECT_EQ(std::string(c.error) + ": " + xml, RunOn(xml, c.script)) << c.script;
  }
}

TEST_F(StatementFormsTest, InsertsBeforeAndAfter) {
  const char* xml = "<m><p/><application/></m>";
  EXPECT_EQ("ok: <m><p/><uses n=\"x\"/><!--c--><application/>t<![CDATA[d]]><e>v</e></m>",
            RunOn(xml,
                  "select node \"/m/application\"; add before element uses; set attribute n x;\n"
                  "select next; add before comment \"c\"; add after node e \"v\";\n"
                  "select previous; add after cdatasection \"d\"; add after text \"t\";"));
  EXPECT_EQ("Unknown qualifier in line 2. @11: <m><p/><application/></m>",
            RunOn(xml, "add before child x;"));
  EXPECT_EQ("System error in line 2. @28: <m><p/><application/></m>",
            RunOn(xml, "select root; add after text \"t\";"));
}

TEST_F(StatementFormsTest, RenamesAndMoves) {
  const char* xml = "<r xmlns:p=\"urn:p\"><a k=\"1\"/><b/></r>";
  EXPECT_EQ("ok: <r xmlns:p=\"urn:p\"><b><p:z p:k=\"1\"/></b></r>",
            RunOn(xml,
                  "select node \"/r/a\"; rename node p:z; select child \"@k\"; rename node p:k;\n"
                  "select node \"/r/p:z\"; move node \"/r/b\";"));
  EXPECT_EQ("ok: <r xmlns:p=\"urn:p\"><b/><a k=\"1\"/></r>",
            RunOn(xml, "select node \"/r/b\"; move before \"../a\";"));
  EXPECT_EQ("ok: <r xmlns:p=\"urn:p\"><b/><a k=\"1\"/></r>",
            RunOn(xml, "select node \"/r/a\"; move after \"../b\";"));
  EXPECT_EQ("Namespace prefix not declared in line 2. @32: " + std::string(xml),
            RunOn(xml, "select node \"/r/a\"; rename node q:z;"));
  EXPECT_EQ("Not a valid XML name in line 2. @32: " + std::string(xml),
            RunOn(xml, "select node \"/r/a\"; rename node \"q:\";"));
  EXPECT_EQ("System error in line 2. @30: " + std::string(xml),
            RunOn(xml, "select node \"/r/a\"; move node \".\";"));
}

TEST_F(StatementFormsTest, PrintWritesValuesWhatever) {
  EXPECT_EQ("ok", ErrorAt("print \"a\" + \"b\"; print 6 * 7; var s = \"\"; print s;"));
  EXPECT_EQ("ab\n42\n\n", m_printed);
  // A write that fails fails the run.
  m_outputStatus = E_ACCESS_DENIED;
  EXPECT_EQ("System error in line 1. @6", ErrorAt("print \"a\";"));
}
