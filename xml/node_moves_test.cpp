// Renaming and moving the current node, seen through the saved document and
// through a reload, which must read back what the tree meant.
#include "xml/xml_test_fixture.h"

using NodeMovesTest = XmlFileTest;

TEST_F(NodeMovesTest, RenameFollowsTheNamespacesInScope) {
  const char* xml = "<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><a x=\"1\" p:y=\"2\"/></r>";
  ExpectRuns({
      // An unprefixed element stays in the default namespace.
      {xml,
       {OP(SelectNode("/_:r/_:a")), OP(Rename("b"))},
       "<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><b x=\"1\" p:y=\"2\"/></r>"},
      {xml,
       {OP(SelectNode("/_:r/_:a")), OP(Rename("p:b"))},
       "<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><p:b x=\"1\" p:y=\"2\"/></r>"},
      {xml,
       {OP(SelectNode("/_:r/_:a/@x")), OP(Rename("p:x"))},
       "<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><a p:x=\"1\" p:y=\"2\"/></r>"},
      // An unprefixed attribute has no namespace.
      {xml,
       {OP(SelectNode("/_:r/_:a/@p:y")), OP(Rename("z"))},
       "<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><a x=\"1\" z=\"2\"/></r>"},
      {xml,
       {OP(SelectNode("/_:r/_:a")), OP(Rename("q:b"))},
       "UNDECLARED_NAME_PREFIX(0) at step 1: unchanged"},
      {xml, {OP(SelectNode("/_:r/_:a")), OP(Rename("1b"))}, "INVALID_NAME(0) at step 1: unchanged"},
      {xml,
       {OP(SelectNode("/_:r/_:a/@x")), OP(Rename("xmlns:q"))},
       "E_INVALIDARG(0) at step 1: unchanged"},
      // Two attributes of one element never share a name.
      {xml,
       {OP(SelectNode("/_:r/_:a/@p:y")), OP(Rename("x"))},
       "E_INVALIDARG(0) at step 1: unchanged"},
      {"<r><!--c--></r>",
       {OP(SelectNode("/r/comment()")), OP(Rename("b"))},
       "CANNOT_RENAME at step 1: unchanged"},
      {"<r/>", {OP(Rename("b"))}, "CANNOT_RENAME at step 0: unchanged"},
  });
}

// A declaration on the element itself counts for its new name.
TEST_F(NodeMovesTest, RenameUsesTheElementsOwnDeclarations) {
  EXPECT_EQ("<r><q:a xmlns:q=\"urn:q\"/></r>",
            Run("<r><a xmlns:q=\"urn:q\"/></r>", {OP(SelectNode("/r/a")), OP(Rename("q:a"))}));
}

TEST_F(NodeMovesTest, MovesToEachPlace) {
  const char* xml = "<r><a>1</a><b/><c/></r>";
  ExpectRuns({
      {xml,
       {OP(SelectNode("/r/a")), OP(Move(Placement::LastChild, "../c"))},
       "<r><b/><c><a>1</a></c></r>"},
      {xml,
       {OP(SelectNode("/r/c")), OP(Move(Placement::Before, "/r/a"))},
       "<r><c/><a>1</a><b/></r>"},
      {xml,
       {OP(SelectNode("/r/a")), OP(Move(Placement::After, "/r/c")), OP(SetText("moved"))},
       "<r><b/><c/><a>moved</a></r>"},
      {xml,
       {OP(SelectNode("/r/a/text()")), OP(Move(Placement::LastChild, "/r/b"))},
       "<r><a/><b>1</b><c/></r>"},
      // The document element may move past the comments beside it.
      {"<!--x--><r/>",
       {OP(SelectRoot()), OP(Move(Placement::Before, "/comment()"))},
       "<r/>\n<!--x-->"},
      {"<!--x--><r/>", {OP(SelectRoot()), OP(Move(Placement::LastChild, "/"))}, "<!--x-->\n<r/>"},
      {xml,
       {OP(SelectNode("/r/a")), OP(Move(Placement::LastChild, "/r/x"))},
       "S_FALSE at step 1: unchanged"},
  });
}

TEST_F(NodeMovesTest, RefusesMovesThatWouldBreakTheDocument) {
  const char* xml = "<r><a><b/></a><c x=\"1\"/><!--k--></r>";
  for (const auto& steps : std::initializer_list<XmlSteps>{
           {OP(SelectNode("/r/a")), OP(Move(Placement::LastChild, "b"))},
           {OP(SelectNode("/r/a")), OP(Move(Placement::Before, "."))},
           {OP(SelectNode("/r/a")), OP(Move(Placement::LastChild, "/r/comment()"))},
           {OP(SelectNode("/r/a")), OP(Move(Placement::After, "/r"))},
           {OP(SelectNode("/r/a")), OP(Move(Placement::After, "/r/c/@x"))},
           {OP(SelectNode("/r/c/@x")), OP(Move(Placement::Before, "/r/a"))},
           {OP(SelectNode("/r/c/@x")), OP(Move(Placement::LastChild, "/r/comment()"))},
           {OP(SelectNode("/r/c")), OP(Move(Placement::Before, "/r"))},
           {OP(SelectNode("/r/a/b")), OP(Move(Placement::LastChild, "/"))},
           {OP(SelectDocument()), OP(Move(Placement::LastChild, "/r"))},
       }) {
    EXPECT_EQ("CANNOT_MOVE at step 1: unchanged", Run(xml, steps));
  }
}

TEST_F(NodeMovesTest, AMovedAttributeKeepsItsNamespace) {
  ExpectRuns({
      {"<r xmlns:p=\"urn:p\"><a p:x=\"1\"/><b/></r>",
       {OP(SelectNode("/r/a/@p:x")), OP(Move(Placement::LastChild, "/r/b"))},
       "<r xmlns:p=\"urn:p\"><a/><b p:x=\"1\"/></r>"},
      {"<r><a xmlns:p=\"urn:p\" p:x=\"1\"/><b/></r>",
       {OP(SelectNode("/r/a/@*")), OP(Move(Placement::LastChild, "/r/b"))},
       "<r><a xmlns:p=\"urn:p\"/><b xmlns:p=\"urn:p\" p:x=\"1\"/></r>"},
      // The prefix means another namespace there, and no other prefix
      // stands for this one.
      {"<r><a xmlns:p=\"urn:p\" p:x=\"1\"/><b xmlns:p=\"urn:q\"/></r>",
       {OP(SelectNode("/r/a/@*")), OP(Move(Placement::LastChild, "/r/b"))},
       "CANNOT_MOVE at step 1: unchanged"},
      {"<r><a x=\"1\"/><b x=\"2\"/></r>",
       {OP(SelectNode("/r/a/@x")), OP(Move(Placement::LastChild, "/r/b"))},
       "CANNOT_MOVE at step 1: unchanged"},
  });
}

// The saved text is the tree's meaning; after a reload, the moved nodes
// are found in the namespaces they had.
TEST_F(NodeMovesTest, AMovedSubtreeMeansTheSameAfterAReload) {
  static const struct {
    const char* xml;
    const char* move_to;
    const char* expected;
    const char* reloaded;  // must select the moved element after a reload
  } cases[] = {
      // The default namespace of the old place travels with the element.
      {"<r><d xmlns=\"urn:d\"><m><k/></m></d><e/></r>", "/r/e",
       "<r><d xmlns=\"urn:d\"/><e><m xmlns=\"urn:d\"><k/></m></e></r>",
       "/r/e/*[namespace-uri()='urn:d']/*[namespace-uri()='urn:d']"},
      // No namespace stays none under a default namespace.
      {"<r><m><k/></m><e xmlns=\"urn:e\"/></r>", "/r/*[2]",
       "<r><e xmlns=\"urn:e\"><m xmlns=\"\"><k/></m></e></r>", "/r/*/m/k"},
      // A prefix bound elsewhere is declared on the moved element.
      {"<r><d xmlns:p=\"urn:p\"><m><p:k p:a=\"1\"/></m></d><e/></r>", "/r/e",
       "<r><d xmlns:p=\"urn:p\"/><e><m xmlns:p=\"urn:p\"><p:k p:a=\"1\"/></m></e></r>",
       "/r/e/m/*[namespace-uri()='urn:p']/@*[namespace-uri()='urn:p']"},
      // The same prefix means another namespace at the new place.
      {"<r><d xmlns:p=\"urn:p\"><m><p:k/></m></d><e xmlns:p=\"urn:q\"/></r>", "/r/e",
       "<r><d xmlns:p=\"urn:p\"/><e xmlns:p=\"urn:q\"><m xmlns:p=\"urn:p\"><p:k/></m></e></r>",
       "/r/e/m/*[namespace-uri()='urn:p']"},
      // Declarations that already mean the same add nothing.
      {"<r xmlns=\"urn:d\"><m/><e/></r>", "/*/*[2]", "<r xmlns=\"urn:d\"><e><m/></e></r>",
       "/_:r/_:e/_:m"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        c.expected,
        Run(c.xml, {OP(SelectNode("//*[local-name()='m']")),
                    [&](CXmlFile& file) { return file.Move(Placement::LastChild, c.move_to); }}))
        << c.xml;
    Load(Saved());
    std::vector<std::string> texts;
    EXPECT_EQ(S_OK, m_file.GetNodesText(c.reloaded, &texts)) << c.xml;
  }
}
