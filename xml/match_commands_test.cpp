// The commands on every match, seen through the saved document.
#include "xml/xml_test_fixture.h"

using MatchCommandsTest = XmlFileTest;

TEST_F(MatchCommandsTest, SetNodesSetsEveryMatchRelativeToTheCurrentNode) {
  ExpectRuns({
      {"<r><a>1</a><b><a>2</a></b><a x=\"o\">3</a></r>",
       {OP(SelectRoot()), OP(SetNodesText("a", "n"))},
       "<r><a>n</a><b><a>2</a></b><a x=\"o\">n</a></r>"},
      {"<r><a>1</a><b><a>2</a></b></r>",
       {OP(SelectRoot()), OP(SetNodesText("//a|//@x", "n"))},
       "<r><a>n</a><b><a>n</a></b></r>"},
      // Attributes and text nodes are set too.
      {"<r><a x=\"1\">t</a><a x=\"2\"/></r>",
       {OP(SelectRoot()), OP(SetNodesText("a/@x | a/text()", "v"))},
       "<r><a x=\"v\">v</a><a x=\"v\"/></r>"},
      // Nested matches: the outer content wins, the attribute of the outer
      // element keeps its own new value.
      {"<r><a k=\"0\"><a>in</a></a></r>",
       {OP(SelectRoot()), OP(SetNodesText("//a | //@k", "v"))},
       "<r><a k=\"v\">v</a></r>"},
      // Every match inside the first is left out, not only those inside the
      // match before it; a later one and its attribute are set.
      {"<r><a><b/><c>x</c></a><c k=\"0\">y</c></r>",
       {OP(SelectRoot()), OP(SetNodesText("//a | //b | //c | //@k", "v"))},
       "<r><a>v</a><c k=\"v\">v</c></r>"},
      {"<r/>", {OP(SelectRoot()), OP(SetNodesText("none", "v"))}, "S_FALSE at step 1: unchanged"},
      {"<r/>", {OP(SetNodesText("/", "v"))}, "CANNOT_APPEND at step 0: unchanged"},
      {"<r/>",
       {OP(SelectRoot()), OP(SetNodesText("count(*)", "v"))},
       "NOT_NODESET at step 1: unchanged"},
  });
}

// Every node is checked before any changes: one that cannot take the text
// refuses the whole command.
TEST_F(MatchCommandsTest, OneRefusedNodeChangesNothing) {
  const char* xml = "<r><a>1</a><!--c--><a>2</a></r>";
  EXPECT_EQ("E_INVALIDARG(1) at step 1: unchanged",
            Run(xml, {OP(SelectRoot()), OP(SetNodesText("node()", "x--y"))}));
  EXPECT_EQ("<r><a>x--y</a><!--c--><a>x--y</a></r>",
            Run(xml, {OP(SelectRoot()), OP(SetNodesText("a", "x--y"))}));
}

TEST_F(MatchCommandsTest, ReplacingTheCurrentNodesAncestorLeavesNoCurrentNode) {
  Load("<r><a><b/></a></r>");
  ASSERT_EQ(S_OK, m_file.SelectNode("/r/a/b"));
  ASSERT_EQ(S_OK, m_file.SetNodesText("/r/a", "t"));
  EXPECT_EQ(XML_E_NO_CURRENT_NODE, m_file.GetText(&m_read));
}

TEST_F(MatchCommandsTest, RemoveNodesRemovesEachMatchOnce) {
  ExpectRuns({
      {"<r><a/><b><a><a/></a></b><c x=\"1\" y=\"2\"/></r>",
       {OP(SelectRoot()), OP(RemoveNodes("//a | //@x")), OP(SelectNode("/r/c")),
        OP(SetAttribute("z", "3"))},
       "<r><b/><c y=\"2\" z=\"3\"/></r>"},
      // An attribute of a removed element goes with it.
      {"<r><a k=\"1\"/><b/></r>", {OP(SelectRoot()), OP(RemoveNodes("//a | //@k | b"))}, "<r/>"},
      {"<r><!--c-->t<?p d?></r>", {OP(SelectRoot()), OP(RemoveNodes("node()"))}, "<r/>"},
      {"<r/>", {OP(SelectRoot()), OP(RemoveNodes("x"))}, "S_FALSE at step 1: unchanged"},
      {"<r/>", {OP(RemoveNodes("/ | /r"))}, "NO_PARENT at step 0: unchanged"},
      {"<r/>", {OP(RemoveNodes("/r/x"))}, "S_FALSE at step 0: unchanged"},
  });
}

// The current node survives, or is the parent of the removed node that
// held it; positions are counted afresh after the removal.
TEST_F(MatchCommandsTest, RemoveNodesKeepsAUsableCurrentNode) {
  ExpectRuns({
      {"<r><a><b/></a><c/></r>",
       {OP(SelectNode("/r/a/b")), OP(RemoveNodes("/r/a")), OP(AddElement("n"))},
       "<r><c/><n/></r>"},
      {"<r><a x=\"1\"/></r>",
       {OP(SelectNode("/r/a/@x")), OP(RemoveNodes(".")), OP(AddElement("n"))},
       "<r><a><n/></a></r>"},
      {"<r><a/><b/><c/></r>",
       {OP(SelectRoot()), OP(SelectChild(2)), OP(SelectParent()), OP(RemoveNodes("a|b")),
        OP(SelectChild(0)), OP(SetText("first"))},
       "<r><c>first</c></r>"},
  });
}

TEST_F(MatchCommandsTest, GetNodesTextReadsEveryMatchInDocumentOrder) {
  Load("<r xmlns=\"urn:d\"><v>1</v><w><v>2</v></w><v a=\"x\">3</v></r>");
  ASSERT_EQ(S_OK, m_file.SelectRoot());
  std::vector<std::string> texts;
  ASSERT_EQ(S_OK, m_file.GetNodesText("//_:v | //@a", &texts));
  EXPECT_EQ((std::vector<std::string>{"1", "2", "3", "x"}), texts);
  EXPECT_EQ(S_FALSE, m_file.GetNodesText("//v", &texts));
  ASSERT_EQ(S_OK, m_file.SetProperty("SelectionNamespaces", "xmlns:d='urn:d'"));
  ASSERT_EQ(S_OK, m_file.GetNodesText("d:w/d:v", &texts));
  EXPECT_EQ((std::vector<std::string>{"2"}), texts);
}
