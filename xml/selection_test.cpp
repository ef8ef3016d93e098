// The select commands: which node becomes current (told by its text), and
// how results that are not nodes of the tree are kept out.
#include "xml/xml_test_fixture.h"

using SelectionTest = XmlFileTest;

TEST_F(SelectionTest, MovesTheCurrentNode) {
  constexpr char kXml[] = "<r a=\"A\">t<!--c--><b>b1</b><?p pi?><b>b2</b><![CDATA[cd]]></r>";
  const auto text = [this](CXmlFile& file) { return file.GetText(&m_read); };
  ExpectRuns({
      {kXml, {OP(SelectRoot()), OP(SelectChild(0)), text}, "unchanged => t"},
      {kXml, {OP(SelectRoot()), OP(SelectChild(6)), text}, "E_POINTER at step 2: unchanged"},
      {kXml, {OP(SelectRoot()), OP(SelectChild(-1)), text}, "E_POINTER at step 2: unchanged"},
      {kXml, {OP(SelectRoot()), OP(SelectChild("b[2]")), text}, "unchanged => b2"},
      {kXml, {OP(SelectNode("//b")), OP(SelectChild("/r/@a")), text}, "unchanged => A"},
      {kXml, {OP(SelectNode("//b[2] | //b[1]")), OP(SelectNext()), text}, "unchanged => pi"},
      {kXml, {OP(SelectNode("//b[2]")), OP(SelectPrevious()), text}, "unchanged => pi"},
      {kXml,
       {OP(SelectNode("/r/node()[1]")), OP(SelectPrevious()), text},
       "E_POINTER at step 2: unchanged"},
      {kXml,
       {OP(SelectNode("/r/node()[last()]")), OP(SelectNext()), text},
       "E_POINTER at step 2: unchanged"},
      {kXml,
       {OP(SelectRoot()), OP(SelectParent()), OP(SelectChild(0)), text},
       "unchanged => tb1b2cd"},
      {kXml,
       {OP(SelectRoot()), OP(SelectParent()), OP(SelectParent()), text},
       "E_POINTER at step 3: unchanged"},
      {kXml,
       {OP(SelectNode("/none")), OP(SelectRoot()), OP(SelectChild(1)), text},
       "unchanged => c"},
      // An attribute has no parent, no siblings and no children.
      {kXml, {OP(SelectNode("/r/@a")), OP(SelectParent()), text}, "E_POINTER at step 2: unchanged"},
      {kXml, {OP(SelectNode("/r/@a")), OP(SelectChild(0)), text}, "E_POINTER at step 2: unchanged"},
      // Namespace nodes are never current.
      {kXml, {OP(SelectNode("/r/namespace::*")), text}, "E_POINTER at step 1: unchanged"},
      {kXml, {OP(SelectNode("//namespace::* | //b[2]")), text}, "unchanged => b2"},
  });
}

// Navigation reaches an entity reference (XPath does not), but nothing of
// the entity's replacement or of the document type's declarations.
TEST_F(SelectionTest, StaysInTheDocumentTree) {
  constexpr char kXml[] = "<!DOCTYPE r [<!ENTITY e \"<x>in</x>\">]><r>&e;</r>";
  const std::string saved = "<!DOCTYPE r [\n<!ENTITY e \"<x>in</x>\">\n]>\n<r>&e;</r>";
  ExpectRuns({
      {kXml, {OP(SelectChild(1)), OP(SelectChild(0)), READ(GetText(&m_read))}, saved + " => in"},
      {kXml,
       {OP(SelectChild(1)), OP(SelectChild(0)), OP(SelectChild(0)), READ(GetText(&m_read))},
       "E_POINTER at step 3: " + saved},
      {kXml,
       {OP(SelectChild(1)), OP(SelectChild(0)), OP(SelectChild("descendant::x")),
        READ(GetText(&m_read))},
       "E_POINTER at step 3: " + saved},
      {kXml,
       {OP(SelectChild(0)), OP(SelectChild("descendant::x")), READ(GetText(&m_read))},
       "E_POINTER at step 2: " + saved},
  });
}

// A failed select node leaves no current node; a failed select child leaves
// the current node as it was.
TEST_F(SelectionTest, FailedSelections) {
  static const struct {
    std::string_view expression;
    const char* expected;
  } cases[] = {
      {"count(//b)", "NOT_NODESET"},      {"1+1", "NOT_NODESET"},
      {"//b[", "INVALID_XPATH"},          {"", "INVALID_XPATH"},
      {"nosuch()", "INVALID_XPATH"},      {"$v", "INVALID_XPATH"},
      {{"/r\0x", 4}, "INVALID_XPATH"},    {"/p:r", "UNDECLARED_PREFIX"},
      {"/none/p:r", "UNDECLARED_PREFIX"},
  };
  for (const auto& c : cases) {
    Load("<r><b/></r>");
    ASSERT_EQ(S_OK, m_file.SelectRoot());
    EXPECT_EQ(c.expected, StatusName(m_file.SelectChild(c.expression))) << c.expression;
    EXPECT_EQ(S_OK, m_file.SelectChild(0));
    EXPECT_EQ(c.expected, StatusName(m_file.SelectNode(c.expression))) << c.expression;
    EXPECT_EQ(E_POINTER, m_file.SelectChild(0));
  }
}

TEST_F(SelectionTest, EveryCommandNeedsADocumentAndMostACurrentNode) {
  for (const auto& step : XmlSteps{OP(SelectDocument()), OP(SelectRoot()), OP(SelectNode("/")),
                                   OP(AddRoot("a")), OP(SetProperty("ProhibitDTD", "true"))}) {
    EXPECT_EQ(E_POINTER, step(m_file));
  }
  Load("<r/>");
  ASSERT_EQ(S_OK, m_file.SelectNode("/none"));
  for (const auto& step :
       XmlSteps{OP(SelectChild(0)), OP(SelectChild("*")), OP(SelectParent()), OP(SelectNext()),
                OP(SelectPrevious()), OP(AddElement("a")), OP(RemoveNode()), OP(SetText("x")),
                OP(SetAttribute("a", "b")), READ(GetText(&m_read))}) {
    EXPECT_EQ(E_POINTER, step(m_file));
  }
}
