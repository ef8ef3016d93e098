#include "xml/source_map.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>

#include "xml/change_marks.h"

namespace {

struct DocFree {
  void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using UniqueDoc = std::unique_ptr<xmlDoc, DocFree>;

// A tree as a load builds it: white space between elements dropped.
UniqueDoc Parse(std::string_view text) {
  return UniqueDoc(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                                 XML_PARSE_NOBLANKS | XML_PARSE_NONET));
}

xmlNodePtr AsNode(xmlDocPtr doc) { return reinterpret_cast<xmlNodePtr>(doc); }

bool ChildrenMapped(const xmlNode* node) { return (Marks(node) & kChildrenMapped) != 0; }

constexpr std::string_view kText =
    "<?xml version=\"1.0\"?>\n<a>\n  <b/>\n  <c k='v'>x<!--n--></c>\n</a>\n";

TEST(SourceMapTest, MapsTheLevelsDownToTheParentAndNothingBelow) {
  UniqueDoc doc = Parse(kText);
  ASSERT_TRUE(doc);
  xmlNodePtr a = xmlDocGetRootElement(doc.get());
  xmlNodePtr b = a->children;
  xmlNodePtr c = b->next;
  SourceMap map(kText);

  // The children of a: the document's level first, then a's own.
  ASSERT_EQ(S_OK, map.MapChildren(a));
  EXPECT_TRUE(ChildrenMapped(AsNode(doc.get())));
  EXPECT_TRUE(ChildrenMapped(a));
  EXPECT_EQ(kText.find("<a>"), SourceOffset(a));
  EXPECT_EQ(kText.find("<b/>"), SourceOffset(b));
  EXPECT_EQ(kText.find("<c "), SourceOffset(c));
  // What lies inside c was skipped over.
  EXPECT_FALSE(ChildrenMapped(c));
  EXPECT_EQ(kNoSource, SourceOffset(c->children));

  ASSERT_EQ(S_OK, map.MapChildren(c));
  EXPECT_EQ(kText.find("x<!--"), SourceOffset(c->children));
  EXPECT_EQ(kText.find("<!--"), SourceOffset(c->children->next));
  // An element without content has no level to map.
  EXPECT_EQ(S_OK, map.MapChildren(b));
}

TEST(SourceMapTest, TextThatDoesNotHoldTheTreeIsAMismatch) {
  UniqueDoc doc = Parse(kText);
  ASSERT_TRUE(doc);
  xmlNodePtr a = xmlDocGetRootElement(doc.get());
  const std::string_view others[] = {
      // Another name, another kind, a node more, a node less, text instead
      // of layout.
      "<?xml version=\"1.0\"?>\n<a>\n  <d/>\n  <c k='v'>x<!--n--></c>\n</a>\n",
      "<?xml version=\"1.0\"?>\n<a>\n  <?b?>\n  <c k='v'>x<!--n--></c>\n</a>\n",
      "<?xml version=\"1.0\"?>\n<a>\n  <b/>\n  <c k='v'>x<!--n--></c><e/>\n</a>\n",
      "<?xml version=\"1.0\"?>\n<a>\n  <b/>\n</a>\n",
      "<?xml version=\"1.0\"?>\n<a>\n  <b/> y <c k='v'>x<!--n--></c>\n</a>\n",
  };
  for (std::string_view other : others) {
    UniqueDoc copy = Parse(kText);
    ASSERT_TRUE(copy);
    EXPECT_EQ(XML_E_SOURCE_MISMATCH, SourceMap(other).MapChildren(xmlDocGetRootElement(copy.get())))
        << other;
  }
  EXPECT_EQ(S_OK, SourceMap(kText).MapChildren(a));
}

TEST(SourceMapTest, NewContentNeedsNoMapping) {
  UniqueDoc doc = Parse(kText);
  ASSERT_TRUE(doc);
  xmlNodePtr a = xmlDocGetRootElement(doc.get());
  MarkNew(a);
  // No text could hold this tree, and none is read for it.
  EXPECT_EQ(S_OK, SourceMap("<z/>").MapChildren(a->children));
  EXPECT_FALSE(ChildrenMapped(AsNode(doc.get())));
}

}  // namespace
