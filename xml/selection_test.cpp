// The select commands: which node becomes current (told by its text), and
// how results that are not nodes of the tree are kept out.
#include <vector>

#include "xml/xml_test_fixture.h"

using SelectionTest = XmlFileTest;

TEST_F(SelectionTest, MovesTheCurrentNode) {
  constexpr char kXml[] = "<r a=\"A\">t<!--c--><b>b1</b><?p pi?><b>b2</b><![CDATA[cd]]></r>";
  const auto text = [this](CXmlFile& file) { return file.GetText(&m_read); };
  ExpectRuns({
      {kXml, {OP(SelectRoot()), OP(SelectChild(0)), text}, "unchanged => t"},
      {kXml, {OP(SelectRoot()), OP(SelectChild(6)), text}, "NO_CURRENT_NODE at step 2: unchanged"},
      {kXml, {OP(SelectRoot()), OP(SelectChild(-1)), text}, "NO_CURRENT_NODE at step 2: unchanged"},
      {kXml, {OP(SelectRoot()), OP(SelectChild("b[2]")), text}, "unchanged => b2"},
      {kXml, {OP(SelectNode("//b")), OP(SelectChild("/r/@a")), text}, "unchanged => A"},
      {kXml, {OP(SelectNode("//b[2] | //b[1]")), OP(SelectNext()), text}, "unchanged => pi"},
      {kXml, {OP(SelectNode("//b[2]")), OP(SelectPrevious()), text}, "unchanged => pi"},
      {kXml,
       {OP(SelectNode("/r/node()[1]")), OP(SelectPrevious()), text},
       "NO_CURRENT_NODE at step 2: unchanged"},
      {kXml,
       {OP(SelectNode("/r/node()[last()]")), OP(SelectNext()), text},
       "NO_CURRENT_NODE at step 2: unchanged"},
      {kXml,
       {OP(SelectRoot()), OP(SelectParent()), OP(SelectChild(0)), text},
       "unchanged => tb1b2cd"},
      {kXml,
       {OP(SelectRoot()), OP(SelectParent()), OP(SelectParent()), text},
       "NO_CURRENT_NODE at step 3: unchanged"},
      {kXml,
       {OP(SelectNode("/none")), OP(SelectRoot()), OP(SelectChild(1)), text},
       "unchanged => c"},
      // An attribute has no parent, no siblings and no children.
      {kXml,
       {OP(SelectNode("/r/@a")), OP(SelectParent()), text},
       "NO_CURRENT_NODE at step 2: unchanged"},
      {kXml,
       {OP(SelectNode("/r/@a")), OP(SelectChild(0)), text},
       "NO_CURRENT_NODE at step 2: unchanged"},
      // Namespace nodes are never current.
      {kXml, {OP(SelectNode("/r/namespace::*")), text}, "NO_CURRENT_NODE at step 1: unchanged"},
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
       "NO_CURRENT_NODE at step 3: " + saved},
      {kXml,
       {OP(SelectChild(1)), OP(SelectChild(0)), OP(SelectChild("descendant::x")),
        READ(GetText(&m_read))},
       "NO_CURRENT_NODE at step 3: " + saved},
      {kXml,
       {OP(SelectChild(0)), OP(SelectChild("descendant::x")), READ(GetText(&m_read))},
       "NO_CURRENT_NODE at step 2: " + saved},
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
    EXPECT_EQ(XML_E_NO_CURRENT_NODE, m_file.SelectChild(0));
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
    EXPECT_EQ(XML_E_NO_CURRENT_NODE, step(m_file));
  }
}

// Positions in any order, and after changes to the children, find the same
// child as a walk from the first one would.
TEST_F(SelectionTest, ChildrenByPositionInAnyOrder) {
  Load("<r><a>0</a><a>1</a><a>2</a><a>3</a><a>4</a><a>5</a><a>6</a><a>7</a><a>8</a></r>");
  std::vector<std::string> children = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};
  // Both ways to reach a child by position.
  const auto expect_child = [&](int32_t position) {
    const bool exists = position >= 0 && static_cast<size_t>(position) < children.size();
    const std::string expected = exists ? children[static_cast<size_t>(position)] : "";
    ASSERT_EQ(S_OK, m_file.SelectRoot());
    EXPECT_EQ(exists ? S_OK : XML_E_POSITION_OUT_OF_RANGE, m_file.GetChildText(position, &m_read))
        << position;
    if (exists) {
      EXPECT_EQ(expected, m_read) << position;
    }
    ASSERT_EQ(S_OK, m_file.SelectChild(position));
    EXPECT_EQ(exists ? S_OK : XML_E_NO_CURRENT_NODE, m_file.GetText(&m_read)) << position;
    if (exists) {
      EXPECT_EQ(expected, m_read) << position;
    }
  };
  for (int32_t position : {0, 1, 2, 8, 7, 3, 5, 4, 0, 9, -1, 6, 6, 1}) expect_child(position);

  ASSERT_EQ(S_OK, m_file.SelectRoot());
  ASSERT_EQ(S_OK, m_file.RemoveChild(4));
  children.erase(children.begin() + 4);
  for (int32_t position : {5, 4, 3, 7, 8}) expect_child(position);
  ASSERT_EQ(S_OK, m_file.SelectRoot());
  ASSERT_EQ(S_OK, m_file.SetChildText(6, "new"));
  children[6] = "new";
  for (int32_t position : {6, 5}) expect_child(position);
  ASSERT_EQ(S_OK, m_file.SelectRoot());
  ASSERT_EQ(S_OK, m_file.AddChildText("a", "last"));
  children.push_back("last");
  for (int32_t position : {8, 7}) expect_child(position);
  ASSERT_EQ(S_OK, m_file.SelectRoot());
  ASSERT_EQ(S_OK, m_file.SetText("only"));
  children = {"only"};
  for (int32_t position : {0, 1}) expect_child(position);
  // The document's own children: a new document element takes the old
  // one's place.
  ASSERT_EQ(S_OK, m_file.SelectDocument());
  ASSERT_EQ(S_OK, m_file.SelectChild(0));
  ASSERT_EQ(S_OK, m_file.AddRoot("n"));
  ASSERT_EQ(S_OK, m_file.AddText("root"));
  ASSERT_EQ(S_OK, m_file.SelectDocument());
  ASSERT_EQ(S_OK, m_file.SelectChild(0));
  EXPECT_EQ(S_OK, m_file.GetText(&m_read));
  EXPECT_EQ("root", m_read);
}
