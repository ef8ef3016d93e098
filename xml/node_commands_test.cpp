// The add, get, remove and set commands, seen through the saved document.
#include "xml/node_tree.h"
#include "xml/xml_test_fixture.h"

using NodeCommandsTest = XmlFileTest;

TEST_F(NodeCommandsTest, TextIsStoredLiterally) {
  ExpectRuns(
      {{"<r/>",
        {OP(SelectRoot()), OP(SetText("a & b < c &amp; &#65;")),
         OP(SetAttribute("v", "\"x\" & <y>\t"))},
        "<r v=\"&quot;x&quot; &amp; &lt;y&gt;&#9;\">a &amp; b &lt; c &amp;amp; &amp;#65;</r>"}});
  for (std::string_view text : {"a & b < c > \"d\" 'e'", "&amp; &#65; ]]>", "\r\n\t caf\xC3\xA9"}) {
    Load("<r><c/></r>");
    ASSERT_EQ(S_OK, m_file.SelectRoot());
    ASSERT_EQ(S_OK, m_file.SetAttribute("a", text));
    ASSERT_EQ(S_OK, m_file.AddChildText("t", text));
    ASSERT_EQ(S_OK, m_file.SetChildText(0, text));
    ASSERT_EQ(S_OK, m_file.AddElement("n"));
    ASSERT_EQ(S_OK, m_file.AddText(text));
    for (int pass = 0; pass < 2; ++pass) {  // in memory, then read back from the saved file
      ASSERT_EQ(S_OK, m_file.SelectRoot());
      EXPECT_EQ(S_OK, m_file.GetAttribute("a", &m_read));
      EXPECT_EQ(text, m_read) << pass;
      for (int32_t position = 0; position < 3; ++position) {
        EXPECT_EQ(S_OK, m_file.GetChildText(position, &m_read));
        EXPECT_EQ(text, m_read) << position << ", " << pass;
      }
      Load(Saved());
    }
  }
  const std::string text(100000, 'x');  // read whole
  ExpectRuns({{"<r/>",
               {OP(SelectRoot()), [&](CXmlFile& file) { return file.SetText(text); },
                READ(GetText(&m_read))},
               "<r>" + text + "</r> => " + text}});
}

// A refused name or text changes nothing and names the argument at fault,
// and why: a name that is no XML name, a prefix that nothing declares, or
// (E_INVALIDARG) a text that cannot be written.
TEST_F(NodeCommandsTest, RefusesWhatWouldNotReadBack) {
  const std::pair<XmlStep, const char*> refusals[] = {
      {OP(AddElement("1abc")), "INVALID_NAME(0)"},
      {OP(AddElement("p:a")), "UNDECLARED_NAME_PREFIX(0)"},
      {OP(AddRoot("a b")), "INVALID_NAME(0)"},
      {OP(AddText("\x01")), "E_INVALIDARG(0)"},
      {OP(AddText(std::string_view("a\0b", 3))), "E_INVALIDARG(0)"},
      {OP(AddComment("a-")), "E_INVALIDARG(0)"},
      {OP(AddCDataSection("a]]>b")), "E_INVALIDARG(0)"},
      {OP(SetAttribute("p:a", "v")), "UNDECLARED_NAME_PREFIX(0)"},
      {OP(SetText("\xC3")), "E_INVALIDARG(0)"},
      {OP(AddChildText("1x", "\x02")), "INVALID_NAME(0)"},
      {OP(RemoveAttribute("p:a")), "UNDECLARED_NAME_PREFIX(0)"},
      {OP(GetAttribute("p:a", nullptr)), "UNDECLARED_NAME_PREFIX(0)"},
      {OP(SetAttribute("a:", "v")), "INVALID_NAME(0)"},
  };
  for (const auto& [step, why] : refusals) {
    EXPECT_EQ(std::string(why) + " at step 1: unchanged",
              Run("<r><!--c--></r>", {OP(SelectRoot()), step}));
  }
  for (const auto& step :
       XmlSteps{OP(AddChildText("ok", "\x02")), OP(AddChildCDataSection("ok", "]]>")),
                OP(SetAttribute("a", "\x0B")), OP(SetChildText(0, "x--"))}) {
    EXPECT_EQ("E_INVALIDARG(1) at step 1: unchanged",
              Run("<r><!--c--></r>", {OP(SelectRoot()), step}));
  }
}

TEST_F(NodeCommandsTest, AddCommands) {
  ExpectRuns({
      {"<r/>", {OP(AddText("x"))}, "CANNOT_APPEND at step 0: unchanged"},
      {"<r/>", {OP(AddElement("x"))}, "CANNOT_APPEND at step 0: unchanged"},
      {"<r/>", {OP(AddComment("c"))}, "<r/>\n<!--c-->"},
      {"<r>t</r>",
       {OP(SelectNode("//text()")), OP(AddElement("x"))},
       "CANNOT_APPEND at step 1: unchanged"},
      {"<r a=\"1\"/>",
       {OP(SelectNode("//@a")), OP(AddText("x"))},
       "CANNOT_APPEND at step 1: unchanged"},
      // A text next to a text stays a node of its own.
      {"<r>a</r>",
       {OP(SelectRoot()), OP(AddText("b")), READ(GetChildText(1, &m_read))},
       "<r>ab</r> => b"},
      {"<r/>",
       {OP(SelectRoot()), OP(AddChildElement("a")), OP(AddChildElement("b"))},
       "<r><a/><b/></r>"},
      {"<r/>",
       {OP(SelectRoot()), OP(AddElement("a")), OP(AddElement("b")), OP(AddText("x"))},
       "<r><a><b>x</b></a></r>"},
      {"<r/>",
       {OP(SelectRoot()), OP(AddChildText("a", "x")), OP(AddChildCDataSection("b", "")),
        OP(AddChildText("c", "")), OP(AddText("z"))},
       "<r><a>x</a><b><![CDATA[]]></b><c/>z</r>"},
      {"<r><a/></r>", {OP(SelectNode("//a")), OP(AddRoot("n")), OP(AddText("x"))}, "<n>x</n>"},
  });
}

TEST_F(NodeCommandsTest, GetCommands) {
  constexpr char kXml[] =
      "<!DOCTYPE r [<!ENTITY e \"&amp;\"><!ATTLIST r d CDATA \"x\">]>"
      "<r a=\"1 &e; 2\">a<!--c--><b>b&e;c</b><e x=\"y\">d</e></r>";
  const std::string saved =
      "<!DOCTYPE r [\n<!ENTITY e \"&amp;\">\n<!ATTLIST r d CDATA \"x\">\n]>\n"
      "<r a=\"1 &e; 2\">a<!--c--><b>b&e;c</b><e x=\"y\">d</e></r>";
  ExpectRuns({
      {kXml, {OP(SelectRoot()), READ(GetText(&m_read))}, saved + " => ab&cd"},
      {kXml, {OP(SelectRoot()), READ(GetAttribute("a", &m_read))}, saved + " => 1 & 2"},
      {kXml, {OP(SelectRoot()), READ(GetChildText(1, &m_read))}, saved + " => c"},
      {kXml, {OP(SelectRoot()), READ(GetChildText("e/@x", &m_read))}, saved + " => y"},
      // A default that the document type declares is no attribute.
      {kXml, {OP(SelectRoot()), READ(GetAttribute("d", &m_read))}, "S_FALSE at step 1: " + saved},
      {kXml,
       {OP(SelectRoot()), READ(GetChildText(4, &m_read))},
       "OUT_OF_RANGE at step 1: " + saved},
      {kXml, {OP(SelectRoot()), READ(GetChildText("x", &m_read))}, "S_FALSE at step 1: " + saved},
      {kXml, {READ(GetAttribute("a", &m_read))}, "NO_ATTRIBUTES at step 0: " + saved},
      {kXml,
       {OP(SelectNode("//@x")), READ(GetAttribute("x", &m_read))},
       "NO_ATTRIBUTES at step 1: " + saved},
  });
}

TEST_F(NodeCommandsTest, RemoveCommands) {
  ExpectRuns({
      {"<r xmlns:p=\"u\" a=\"1\" p:a=\"2\"/>",
       {OP(SelectRoot()), OP(RemoveAttribute("p:a"))},
       "<r xmlns:p=\"u\" a=\"1\"/>"},
      {"<r a=\"1\"/>", {OP(SelectRoot()), OP(RemoveAttribute("b"))}, "unchanged"},
      {"<r>t<a/></r>", {OP(SelectRoot()), OP(RemoveChild(0))}, "<r><a/></r>"},
      {"<r>t</r>", {OP(SelectRoot()), OP(RemoveChild(1))}, "E_INVALIDARG(0) at step 1: unchanged"},
      {"<r><a/><b/></r>", {OP(SelectRoot()), OP(RemoveChild("b"))}, "<r><a/></r>"},
      {"<r><a/></r>", {OP(SelectRoot()), OP(RemoveChild("c"))}, "S_FALSE at step 1: unchanged"},
      {"<r><a><b/></a></r>",
       {OP(SelectRoot()), OP(RemoveChild("a/b"))},
       "NOT_CHILD at step 1: unchanged"},
      {"<r a=\"1\"/>", {OP(SelectRoot()), OP(RemoveChild("@a"))}, "NOT_CHILD at step 1: unchanged"},
      {"<r a=\"1\"/>",
       {OP(SelectNode("//@a")), OP(RemoveNode())},
       "NO_PARENT at step 1: unchanged"},
      {"<r/>", {OP(RemoveNode())}, "NO_PARENT at step 0: unchanged"},
      // Entity references point into the document type.
      {"<!DOCTYPE r><r/>", {OP(RemoveChild(0))}, "CANNOT_REMOVE at step 0: <!DOCTYPE r>\n<r/>"},
  });
}

TEST_F(NodeCommandsTest, SetCommands) {
  ExpectRuns({
      {"<r>a<b>c</b><!--d--></r>", {OP(SelectRoot()), OP(SetText("x"))}, "<r>x</r>"},
      {"<r>a<b>c</b></r>", {OP(SelectRoot()), OP(SetText(""))}, "<r/>"},
      {"<r a=\"1\"/>", {OP(SelectRoot()), OP(SetChildText("@a", "2"))}, "<r a=\"2\"/>"},
      {"<r><!--c--><![CDATA[d]]><?p e?></r>",
       {OP(SelectRoot()), OP(SetChildText(0, "x")), OP(SetChildText(1, "y")),
        OP(SetChildText(2, "z"))},
       "<r><!--x--><![CDATA[y]]><?p z?></r>"},
      {"<r><?p e?></r>",
       {OP(SelectRoot()), OP(SetChildText(0, "?>"))},
       "E_INVALIDARG(1) at step 1: unchanged"},
      {"<r/>", {OP(SelectRoot()), OP(SetChildText(0, "y"))}, "OUT_OF_RANGE at step 1: unchanged"},
      {"<r/>", {OP(SelectRoot()), OP(SetChildText("a", "y"))}, "S_FALSE at step 1: unchanged"},
      {"<r/>", {OP(SetText("x"))}, "CANNOT_APPEND at step 0: unchanged"},
      {"<r/>", {OP(SetAttribute("a", "1"))}, "NO_ATTRIBUTES at step 0: unchanged"},
  });
}

// An element with many attributes: each is found by namespace and name
// wherever it stands, replaced in place, and new ones go last.
TEST_F(NodeCommandsTest, ManyAttributes) {
  Load("<r xmlns:p=\"u\" xmlns:q=\"u\" a0=\"0\" p:a0=\"p0\"/>");
  ASSERT_EQ(S_OK, m_file.SelectRoot());
  for (int i = 1; i < 20; ++i) {
    ASSERT_EQ(S_OK, m_file.SetAttribute("a" + std::to_string(i), std::to_string(i)));
    if (i == 10) {
      ASSERT_EQ(S_OK, m_file.AddChildElement("c"));  // moves no attribute
    }
  }
  const auto set = [this](std::string_view name, std::string_view value) {
    EXPECT_EQ(S_OK, m_file.SetAttribute(name, value)) << name;
  };
  set("a5", "five");
  set("q:a0", "q0");  // the same namespace as p:a0
  set("a0", "zero");
  set("a19", "nineteen");
  set("p:a7", "p7");  // new: not a7
  for (std::string_view name : {"a0", "a10", "a19", "none"}) {
    EXPECT_EQ(S_OK, m_file.RemoveAttribute(name)) << name;
  }
  set("a19", "back");
  set("a10", "ten");
  set("a1", "one");
  for (const auto& [name, value] : {std::pair{"a1", "one"},
                                    {"p:a0", "q0"},
                                    {"q:a7", "p7"},
                                    {"a18", "18"},
                                    {"a19", "back"},
                                    {"a7", "7"}}) {
    EXPECT_EQ(S_OK, m_file.GetAttribute(name, &m_read)) << name;
    EXPECT_EQ(value, m_read) << name;
  }
  EXPECT_EQ(S_FALSE, m_file.GetAttribute("a0", &m_read));
  std::string expected = "<r xmlns:p=\"u\" xmlns:q=\"u\" q:a0=\"q0\" a1=\"one\"";
  for (int i = 2; i < 19; ++i) {
    if (i == 10) continue;
    const std::string value = i == 5 ? "five" : std::to_string(i);
    expected += " a" + std::to_string(i) + "=\"" + value + "\"";
  }
  expected += " p:a7=\"p7\" a19=\"back\" a10=\"ten\"><c/></r>";
  EXPECT_EQ(expected, Saved());

  // Declaring the prefix anew moves its attributes to the new namespace;
  // the same names find them there.
  set("xmlns:p", "v");
  set("p:a0", "v0");
  set("p:a7", "v7");
  EXPECT_EQ(S_FALSE, m_file.GetAttribute("q:a7", &m_read));
  set("q:a7", "u7");
  std::string rebound = expected;
  rebound.replace(rebound.find("\"u\""), 3, "\"v\"");
  rebound.replace(rebound.find("\"p7\""), 4, "\"v7\"");
  rebound.replace(rebound.find("><c/>"), 1, " p:a0=\"v0\" q:a7=\"u7\">");
  EXPECT_EQ(rebound, Saved());
}

// Each chain frees the current node or an ancestor of it; the sanitizer
// build reports any later use of the freed memory.
TEST_F(NodeCommandsTest, CurrentNodeNeverOutlivesItsNode) {
  constexpr char kXml[] = "<r><a><b><c/></b></a><d/></r>";
  ExpectRuns({
      {kXml,
       {OP(SelectNode("//c")), OP(RemoveNode()), OP(RemoveNode()), OP(RemoveNode()),
        OP(RemoveNode()), OP(AddElement("n"))},
       "<n/>"},
      {kXml,
       {OP(SelectNode("//c")), OP(SetChildText("/r/a", "t")), READ(GetText(&m_read))},
       "NO_CURRENT_NODE at step 2: <r><a>t</a><d/></r>"},
      {kXml,
       {OP(SelectNode("//c")), OP(SetChildText("..", "t")), OP(SelectParent())},
       "NO_CURRENT_NODE at step 2: <r><a><b>t</b></a><d/></r>"},
      {kXml,
       {OP(SelectNode("//b")), OP(SetText("t")), OP(SelectChild(0)), OP(SetText("u"))},
       "<r><a><b>u</b></a><d/></r>"},
      {kXml, {OP(SelectNode("//c")), OP(AddRoot("n")), OP(AddText("x"))}, "<n>x</n>"},
      {"<r a=\"1\"><b/></r>",
       {OP(SelectNode("//@a")), OP(SetChildText("..", "t")), READ(GetText(&m_read))},
       "<r a=\"1\">t</r> => 1"},
      {kXml, {OP(SelectNode("//c")), OP(Create()), OP(AddElement("n"))}, "<n/>"},
      {kXml,
       {OP(SelectNode("/r")), OP(RemoveChild("a")), OP(RemoveChild(0)), OP(AddText("x"))},
       "<r>x</r>"},
  });
}

// Every walk over a subtree is iterative: a million levels fit no stack.
TEST_F(NodeCommandsTest, DeepDocuments) {
  constexpr size_t kDepth = 1000000;
  std::string xml;
  for (size_t i = 0; i < kDepth; ++i) xml += "<a>";
  xml += "deep";
  for (size_t i = 0; i < kDepth; ++i) xml += "</a>";
  ExpectRuns({{xml.c_str(),
               {OP(SelectRoot()), OP(SetAttribute("xmlns", "u")), OP(SelectNode("//_:a[not(*)]")),
                READ(GetText(&m_read)), OP(SelectRoot()), OP(SetText("x"))},
               "<a xmlns=\"u\">x</a> => deep"}});
}

TEST_F(NodeCommandsTest, InsertsBesideTheCurrentNode) {
  const char* xml = "<r><a/><b/></r>";
  ExpectRuns({
      // The new element becomes current.
      {xml,
       {OP(SelectNode("/r/b")), OP(InsertElement(Placement::Before, "n", "")),
        OP(SetAttribute("k", "v"))},
       "<r><a/><n k=\"v\"/><b/></r>"},
      {xml,
       {OP(SelectNode("/r/a")), OP(InsertElement(Placement::After, "n", "t")), OP(SelectNext()),
        OP(SetText("b"))},
       "<r><a/><n>t</n><b>b</b></r>"},
      // Content nodes leave the current node where it was.
      {xml,
       {OP(SelectNode("/r/a")), OP(InsertContent(Placement::Before, NodeKind::Comment, "c")),
        OP(InsertContent(Placement::After, NodeKind::CData, "<d>")),
        OP(InsertContent(Placement::After, NodeKind::Text, "t")), OP(SetText("a"))},
       "<r><!--c--><a>a</a>t<![CDATA[<d>]]><b/></r>"},
      // Positions count the inserted nodes.
      {xml,
       {OP(SelectNode("/r/a")), OP(SelectParent()), OP(SelectChild(1)),
        OP(InsertContent(Placement::Before, NodeKind::Comment, "c")), OP(SelectParent()),
        OP(SelectChild(2)), OP(SetText("b"))},
       "<r><a/><!--c--><b>b</b></r>"},
      {"<!--x--><r/>",
       {OP(SelectRoot()), OP(InsertContent(Placement::Before, NodeKind::Comment, "c"))},
       "<!--x-->\n<!--c-->\n<r/>"},
  });
}

// Beside the document element go only comments and processing
// instructions; the document and attributes have no siblings.
TEST_F(NodeCommandsTest, InsertsOnlyWhereTheDocumentStaysWellFormed) {
  const char* xml = "<r x=\"1\"><a/></r>";
  ExpectRuns({
      {xml,
       {OP(SelectRoot()), OP(InsertContent(Placement::After, NodeKind::Text, "t"))},
       "CANNOT_APPEND at step 1: unchanged"},
      {xml,
       {OP(SelectRoot()), OP(InsertContent(Placement::Before, NodeKind::CData, "t"))},
       "CANNOT_APPEND at step 1: unchanged"},
      {xml,
       {OP(SelectRoot()), OP(InsertElement(Placement::Before, "s", ""))},
       "CANNOT_APPEND at step 1: unchanged"},
      {xml,
       {OP(SelectNode("/r/@x")), OP(InsertElement(Placement::Before, "s", ""))},
       "NO_PARENT at step 1: unchanged"},
      {xml,
       {OP(InsertContent(Placement::After, NodeKind::Comment, "c"))},
       "NO_PARENT at step 0: unchanged"},
      {xml,
       {OP(SelectNode("/r/a")), OP(InsertContent(Placement::After, NodeKind::Comment, "-"))},
       "E_INVALIDARG(0) at step 1: unchanged"},
      {xml,
       {OP(SelectNode("/r/a")), OP(InsertElement(Placement::After, "p:s", ""))},
       "UNDECLARED_NAME_PREFIX(0) at step 1: unchanged"},
      {xml,
       {OP(SelectNode("/r/a")), OP(InsertElement(Placement::After, "s", "\x01"))},
       "E_INVALIDARG(1) at step 1: unchanged"},
  });
}

// An inserted element is named where it goes: in its parent's default
// namespace, with the prefixes in scope there.
TEST_F(NodeCommandsTest, InsertedElementsJoinTheNamespacesOfTheirParent) {
  EXPECT_EQ("<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><n/><p:m/><a/></r>",
            Run("<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><a/></r>",
                {OP(SelectNode("/_:r/_:a")), OP(InsertElement(Placement::Before, "n", "")),
                 OP(InsertElement(Placement::After, "p:m", ""))}));
}
