// The Windows tool chain at work: the static libxml2 parses a document,
// selects a node with XPath, changes it and saves the document in an
// encoding that only its built-in tables provide, inside a GoogleTest test.
// The saved document goes to standard output for the eye, its bytes above
// ASCII as \xNN.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

template <auto Free>
struct FreeWith {
  template <typename T>
  void operator()(T* p) const {
    Free(p);
  }
};
using Document = std::unique_ptr<xmlDoc, FreeWith<xmlFreeDoc>>;
using XPathContext = std::unique_ptr<xmlXPathContext, FreeWith<xmlXPathFreeContext>>;
using XPathResult = std::unique_ptr<xmlXPathObject, FreeWith<xmlXPathFreeObject>>;
using Buffer = std::unique_ptr<xmlBuffer, FreeWith<xmlBufferFree>>;

const xmlChar* Utf8(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

TEST(WindowsToolChain, ParsesSelectsAndSaves) {
  const std::string input =
      "<?xml version=\"1.0\"?>\n"
      "<settings><item key=\"a\">1</item><item key=\"b\">2</item></settings>\n";
  Document doc(xmlReadMemory(input.data(), static_cast<int>(input.size()), "smoke.xml", nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOBLANKS));
  ASSERT_NE(doc, nullptr);

  XPathContext context(xmlXPathNewContext(doc.get()));
  ASSERT_NE(context, nullptr);
  XPathResult found(xmlXPathEvalExpression(Utf8("/settings/item[@key='b']"), context.get()));
  ASSERT_NE(found, nullptr);
  ASSERT_EQ(xmlXPathNodeSetGetLength(found->nodesetval), 1);
  // "Dvořák": ř exists in ISO-8859-2 (0xF8) but not in ISO-8859-1.
  xmlNodeSetContent(found->nodesetval->nodeTab[0], Utf8("Dvo\xC5\x99\xC3\xA1k"));

  Buffer buffer(xmlBufferCreate());
  xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer.get(), "ISO-8859-2", XML_SAVE_FORMAT);
  ASSERT_NE(save, nullptr) << "no ISO-8859-2 encoder";
  EXPECT_GE(xmlSaveDoc(save, doc.get()), 0);
  ASSERT_GE(xmlSaveClose(save), 0);

  const std::string saved(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                          static_cast<size_t>(xmlBufferLength(buffer.get())));
  EXPECT_EQ(saved,
            "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\n"
            "<settings>\n"
            "  <item key=\"a\">1</item>\n"
            "  <item key=\"b\">Dvo\xF8\xE1k</item>\n"
            "</settings>\n");
  std::printf("libxml2 %s saved:\n", xmlParserVersion);
  for (const unsigned char c : saved) {
    if (c < 0x80)
      std::putchar(c);
    else
      std::printf("\\x%02X", c);
  }
}

}  // namespace
