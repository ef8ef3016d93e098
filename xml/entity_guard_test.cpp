// The entity guard's measurements, on document types built declaration by
// declaration as the parser builds them, with the guard told of each.
#include "xml/entity_guard.h"

#include <gtest/gtest.h>
#include <libxml/entities.h>
#include <libxml/tree.h>

#include <memory>
#include <string>

namespace {

constexpr uint64_t kUnlimited = UINT64_MAX;

class EntityGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, m_doc);
    ASSERT_NE(nullptr, xmlCreateIntSubset(m_doc.get(), AsXml("r"), nullptr, nullptr));
  }

  static const xmlChar* AsXml(const std::string& text) {
    return reinterpret_cast<const xmlChar*>(text.c_str());
  }

  // Declares a general entity with the replacement text content and tells
  // the guard, as the load pass does.
  void Declare(const std::string& name, const std::string& content) {
    ASSERT_NE(nullptr, xmlAddDocEntity(m_doc.get(), AsXml(name), XML_INTERNAL_GENERAL_ENTITY,
                                       nullptr, nullptr, AsXml(content)))
        << name;
    m_guard.Declared(AsXml(name));
  }

  uint64_t Size(const std::string& name) {
    xmlEntityPtr entity = xmlGetDocEntity(m_doc.get(), AsXml(name));
    EXPECT_NE(nullptr, entity) << name;
    return entity == nullptr ? 0 : m_guard.ExpandedSize(m_doc.get(), entity);
  }

  struct DocFree {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
  };
  std::unique_ptr<xmlDoc, DocFree> m_doc{xmlNewDoc(AsXml("1.0"))};
  EntityGuard m_guard{1000};
};

TEST_F(EntityGuardTest, AddsUpReferences) {
  Declare("a", "12345");
  Declare("b", "&a;&a;x&#65;&lt;");  // a character reference and lt count 4 bytes each
  Declare("c", "&b;&b;&b;");
  EXPECT_EQ(5u, Size("a"));
  EXPECT_EQ(19u, Size("b"));
  EXPECT_EQ(57u, Size("c"));
}

TEST_F(EntityGuardTest, CyclesAreUnlimited) {
  Declare("a", "&b;");
  Declare("b", "x&c;");
  Declare("c", "&a;");
  Declare("d", "&d;");
  Declare("e", "&a;y");
  EXPECT_EQ(kUnlimited, Size("e"));
  EXPECT_EQ(kUnlimited, Size("a"));
  EXPECT_EQ(kUnlimited, Size("c"));
  EXPECT_EQ(kUnlimited, Size("d"));
}

// A size measured before a name it references was declared is measured
// again afterwards, and so is every size that includes it.
TEST_F(EntityGuardTest, LaterDeclarationsCount) {
  Declare("top", "&mid;&mid;");
  EXPECT_EQ(8u, Size("top"));  // mid is not declared yet: one character each
  Declare("mid", "&low;&low;&other;");
  EXPECT_EQ(12u, Size("mid"));
  EXPECT_EQ(24u, Size("top"));
  Declare("unrelated", "&top;");
  EXPECT_EQ(24u, Size("unrelated"));
  Declare("low", "0123456789");
  EXPECT_EQ(24u, Size("mid"));
  EXPECT_EQ(48u, Size("top"));
  EXPECT_EQ(48u, Size("unrelated"));
  Declare("other", std::string(100, 'o'));
  EXPECT_EQ(240u, Size("top"));
  EXPECT_EQ(240u, Size("unrelated"));
  EXPECT_EQ(120u, Size("mid"));
}

// Billion laughs declared top down: every level is declared after the one
// that references it, and the top still comes out at its full size.
TEST_F(EntityGuardTest, LaughsDeclaredTopDown) {
  uint64_t expected = 4;  // the level below the last one declared counts one character
  for (int level = 9; level >= 1; --level) {
    std::string content;
    for (int i = 0; i < 10; ++i) content += "&l" + std::to_string(level - 1) + ";";
    Declare("l" + std::to_string(level), content);
    expected *= 10;
    EXPECT_EQ(expected, Size("l9")) << level;
  }
  Declare("l0", "lol");
  EXPECT_EQ(3000000000u, Size("l9"));
  EXPECT_EQ(30u, Size("l1"));
}

}  // namespace
