// Namespaces on realistic documents: the document in memory always means
// what its saved text means when read back, and XPath knows the document
// element's prefixes.
#include "xml/xml_test_fixture.h"

using NamespaceTest = XmlFileTest;

TEST_F(NamespaceTest, RealDocuments) {
  constexpr char kPom[] =
      "<project xmlns=\"http://maven.apache.org/POM/4.0.0\"><version>1.0</version></project>";
  constexpr char kManifest[] =
      "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\" "
      "android:versionCode=\"1\"><application android:label=\"L\"/></manifest>";
  constexpr char kPage[] =
      "<html xmlns=\"http://www.w3.org/1999/xhtml\"><p><b>x</b> <i>y</i></p>"
      "<p xml:space=\"preserve\"><b>x</b> <i>y</i></p></html>";
  ExpectRuns({
      {kPom,
       {OP(SelectNode("/_:project/_:version")), OP(SetText("2.0")), OP(SelectParent()),
        OP(AddChildText("name", "n")), OP(SelectNode("/_:project/_:name")), READ(GetText(&m_read))},
       "<project xmlns=\"http://maven.apache.org/POM/4.0.0\"><version>2.0</version>"
       "<name>n</name></project> => n"},
      {kPom, {OP(SelectRoot()), OP(SetChildText("version", "x"))}, "S_FALSE at step 1: unchanged"},
      {kPom,
       {OP(SetProperty("SelectionNamespaces", "xmlns:m='http://maven.apache.org/POM/4.0.0'")),
        OP(SelectNode("/m:project/m:version")), READ(GetText(&m_read))},
       "unchanged => 1.0"},
      {kManifest,
       {OP(SelectRoot()), OP(SetAttribute("android:versionCode", "2")),
        OP(SetAttribute("versionCode", "3")), OP(SelectNode("//application[@android:label]")),
        OP(SetAttribute("android:label", "M")), OP(SelectParent()),
        READ(GetAttribute("android:versionCode", &m_read))},
       "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\" "
       "android:versionCode=\"2\" versionCode=\"3\"><application android:label=\"M\"/>"
       "</manifest> => 2"},
      {kManifest,
       {OP(SelectRoot()), OP(RemoveAttribute("android:versionCode"))},
       "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\">"
       "<application android:label=\"L\"/></manifest>"},
      {kPage,
       {OP(SelectNode("//_:p[1]")), OP(AddElement("span")), OP(SetAttribute("class", "s")),
        OP(SelectNode("//_:span[@class='s']")), OP(AddText("z"))},
       "<html xmlns=\"http://www.w3.org/1999/xhtml\"><p><b>x</b><i>y</i><span class=\"s\">z"
       "</span></p><p xml:space=\"preserve\"><b>x</b> <i>y</i></p></html>"},
      // Two prefixes for one namespace name one attribute.
      {"<r xmlns:a=\"u\" xmlns:b=\"u\" a:x=\"1\"/>",
       {OP(SelectRoot()), OP(SetAttribute("b:x", "2"))},
       "<r xmlns:a=\"u\" xmlns:b=\"u\" b:x=\"2\"/>"},
      // "_" is the document's own when it declares it.
      {"<r xmlns=\"u\" xmlns:_=\"v\"><_:a/></r>",
       {OP(SelectNode("/*/_:a")), READ(GetText(&m_read)), OP(SelectNode("/_:r")),
        READ(GetText(&m_read))},
       "NO_CURRENT_NODE at step 3: unchanged"},
  });
}

// Each case checks the saved text, and that the probe selects a node both in
// memory and after the saved text is read back.
TEST_F(NamespaceTest, DeclarationsMeanWhatTheSavedTextMeans) {
  const struct {
    Case run;
    const char* probe;
  } cases[] = {
      // A default declaration moves the element and the unprefixed elements it
      // covers, not those under another default or with a prefix.
      {{"<r><a><b/><c xmlns=\"w\"><d/></c><p:e xmlns:p=\"q\"/></a></r>",
        {OP(SelectNode("/r/a")), OP(SetAttribute("xmlns", "u"))},
        "<r><a xmlns=\"u\"><b/><c xmlns=\"w\"><d/></c><p:e xmlns:p=\"q\"/></a></r>"},
       "/r/u:a/u:b/following-sibling::w:c/w:d/../following-sibling::q:e"},
      {{"<r xmlns=\"u\"><a/></r>",
        {OP(SelectRoot()), OP(SetAttribute("xmlns", "w"))},
        "<r xmlns=\"w\"><a/></r>"},
       "/w:r/w:a"},
      {{"<r xmlns=\"u\"><a><b/></a></r>",
        {OP(SelectNode("/*/*")), OP(SetAttribute("xmlns", ""))},
        "<r xmlns=\"u\"><a xmlns=\"\"><b/></a></r>"},
       "/u:r/a/b"},
      {{"<r xmlns=\"u\"><a xmlns=\"w\"><b/></a></r>",
        {OP(SelectNode("/*/*")), OP(RemoveAttribute("xmlns")), OP(AddChildElement("c"))},
        "<r xmlns=\"u\"><a><b/><c/></a></r>"},
       "/u:r/u:a/u:b/../u:c"},
      {{"<r xmlns=\"u\"><a xmlns=\"\"/></r>",
        {OP(SelectNode("/*/a")), OP(AddChildElement("b"))},
        "<r xmlns=\"u\"><a xmlns=\"\"><b/></a></r>"},
       "/u:r/a/b"},
      // A prefixed declaration takes the prefix over below it.
      {{"<r xmlns:p=\"o\"><a><p:b p:x=\"1\"/></a></r>",
        {OP(SelectNode("/r/a")), OP(SetAttribute("xmlns:p", "n"))},
        "<r xmlns:p=\"o\"><a xmlns:p=\"n\"><p:b p:x=\"1\"/></a></r>"},
       "/r/a/n:b/@n:x"},
      {{"<r xmlns:p=\"o\"><a xmlns:p=\"i\"><p:b/></a></r>",
        {OP(SelectNode("/r/a")), OP(RemoveAttribute("xmlns:p"))},
        "<r xmlns:p=\"o\"><a><p:b/></a></r>"},
       "/r/a/o:b"},
      {{"<r xmlns:p=\"o\"/>",
        {OP(SelectRoot()), OP(SetAttribute("xmlns:q", "n")), OP(AddChildElement("q:c")),
         OP(RemoveAttribute("xmlns:p"))},
        "<r xmlns:q=\"n\"><q:c/></r>"},
       "/r/n:c"},
      // The prefixes XPath knows follow add root.
      {{"<old/>",
        {OP(AddRoot("project")), OP(SetAttribute("xmlns", "m")), OP(AddChildText("v", "1"))},
        "<project xmlns=\"m\"><v>1</v></project>"},
       "/_:project/_:v"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.run.expected, Run(c.run.xml, c.run.steps)) << c.run.xml;
    for (int pass = 0; pass < 2; ++pass) {
      ASSERT_EQ(S_OK, m_file.SetProperty("SelectionNamespaces",
                                         "xmlns:u='u' xmlns:w='w' xmlns:q='q' xmlns:o='o' "
                                         "xmlns:n='n' xmlns:m='m'"));
      EXPECT_EQ(S_OK, m_file.SelectNode(c.probe));
      EXPECT_EQ(S_OK, m_file.GetText(&m_read)) << c.probe << ", pass " << pass;
      Load(Saved());
    }
  }
}

TEST_F(NamespaceTest, RefusedDeclarations) {
  for (const auto& [step, expected] : std::initializer_list<std::pair<XmlStep, const char*>>{
           {OP(RemoveAttribute("xmlns:p")), "NAMESPACE_IN_USE"},
           {OP(SetAttribute("xmlns:xml", "u")), "E_INVALIDARG(0)"},
           {OP(SetAttribute("xmlns:p", "")), "E_INVALIDARG(1)"},
           {OP(SetAttribute("xmlns:q", "a b")), "E_INVALIDARG(1)"},
           {OP(SetAttribute("xmlns", "http://www.w3.org/XML/1998/namespace")), "E_INVALIDARG(1)"},
           {OP(SetAttribute("xmlns:q", "http://www.w3.org/2000/xmlns/")), "E_INVALIDARG(1)"}}) {
    EXPECT_EQ(std::string(expected) + " at step 1: unchanged",
              Run("<r xmlns:p=\"u\"><p:a/></r>", {OP(SelectRoot()), step}));
  }
  // Declarations read like attributes of the element that carries them.
  EXPECT_EQ(S_OK, m_file.GetAttribute("xmlns:p", &m_read));
  EXPECT_EQ("u", m_read);
  EXPECT_EQ(S_FALSE, m_file.GetAttribute("xmlns", &m_read));
}
