// Name and text checks, held against the parser itself: a name or a text is
// accepted exactly when the parser reads it back as it stands.
#include "xml/xml_names.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <string>

#include "platform/text_encoding.h"
#include "xml/xml_library.h"

namespace {

// Code points at the edges of the ranges of the name and character
// productions, and of the older tables that the library's own name checks use.
constexpr char32_t kProbes[] = {
    0x9,    0xA,     0xD,     0x1F,    0x20,    '-',      '.',    '0',    ':',    'A',
    '_',    0x7F,    0xB7,    0xBF,    0xC0,    0xD7,     0xF7,   0x2FF,  0x300,  0x36F,
    0x37E,  0x37F,   0x2000,  0x200C,  0x200E,  0x203F,   0x2041, 0x2070, 0x218F, 0x2190,
    0x2C00, 0x2FF0,  0x3000,  0x3001,  0xD7FF,  0xE000,   0xF900, 0xFDD0, 0xFDF0, 0xFFFD,
    0xFFFE, 0x10000, 0x1F600, 0xEFFFF, 0xF0000, 0x10FFFF,
};

// The element name the parser reads from "<name .../>", or "" on any error.
std::string ParsedName(const std::string& name) {
  const std::string xml = "<" + name + " xmlns:p=\"u\"/>";
  XmlErrorCapture capture;
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0);
  std::string parsed;
  if (doc != nullptr && !capture.HasError()) {
    const xmlNode* root = xmlDocGetRootElement(doc);
    if (root->ns != nullptr)
      parsed = reinterpret_cast<const char*>(root->ns->prefix) + std::string(":");
    parsed += reinterpret_cast<const char*>(root->name);
  }
  xmlFreeDoc(doc);
  return parsed;
}

bool ParserReadsText(const std::string& text) {
  const std::string xml = "<r>" + text + "</r>";
  XmlErrorCapture capture;
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0);
  xmlFreeDoc(doc);
  return doc != nullptr && !capture.HasError();
}

}  // namespace

TEST(XmlNamesTest, AcceptsExactlyWhatTheParserReads) {
  static XmlLibrary library;
  ASSERT_EQ(S_OK, library.Initialize());
  for (char32_t c : kProbes) {
    std::string character;
    AppendUtf8(c, &character);
    for (const std::string& name : {character, "a" + character, "p:" + character + "b"}) {
      QualifiedName parts;
      EXPECT_EQ(ParsedName(name) == name, SplitQualifiedName(name, &parts))
          << std::hex << static_cast<uint32_t>(c);
    }
    EXPECT_EQ(ParserReadsText(character), IsXmlText(character))
        << std::hex << static_cast<uint32_t>(c);
  }
  for (const char* name : {"", "a:", ":a", "a:b:c", "1a", "a b", "\xC3"}) {
    QualifiedName parts;
    EXPECT_FALSE(SplitQualifiedName(name, &parts)) << name;
  }
  QualifiedName parts;
  ASSERT_TRUE(SplitQualifiedName("android:versionCode", &parts));
  EXPECT_EQ("android", parts.prefix);
  EXPECT_EQ("versionCode", parts.local);
  for (const char* text : {"\xC3", "\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80"}) {
    EXPECT_FALSE(IsXmlText(text));
  }
}

TEST(XmlNamesTest, ConstructsRefuseTheirClosingSequences) {
  EXPECT_TRUE(IsCommentText("-a- b"));
  EXPECT_FALSE(IsCommentText("a--b"));
  EXPECT_FALSE(IsCommentText("a-"));
  EXPECT_FALSE(IsCommentText("\x01"));
  EXPECT_TRUE(IsCDataText("]] <&>"));
  EXPECT_FALSE(IsCDataText("a]]>b"));
  EXPECT_TRUE(IsProcessingInstructionData("a?b>"));
  EXPECT_FALSE(IsProcessingInstructionData("a?>"));
}
