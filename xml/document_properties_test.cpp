// The property table of "set property": names, value conversions, and the
// effect of each property on later loads and selections.
#include "xml/xml_test_fixture.h"

using DocumentPropertiesTest = XmlFileTest;

TEST_F(DocumentPropertiesTest, NamesAndValueConversions) {
  static const struct {
    const char* name;
    const char* value;
    const char* expected;
  } cases[] = {
      {"SelectionLanguage", "XPath", "ok"},
      {"SelectionLanguage", "XSLPattern", "E_INVALIDARG(1)"},
      {"selectionlanguage", "XPath", "E_INVALIDARG(0)"},
      {"ProhibitDTD", "fAlSe", "ok"},
      {"ProhibitDTD", "-12", "ok"},
      {"ProhibitDTD", "yes", "TYPEMISMATCH"},
      {"MaxElementDepth", "+2147483647", "ok"},
      {"MaxElementDepth", "2147483648", "TYPEMISMATCH"},
      {"MaxElementDepth", "1.5", "TYPEMISMATCH"},
      {"MaxElementDepth", " 1", "TYPEMISMATCH"},
      {"MaxElementDepth", "-1", "E_INVALIDARG(1)"},
      {"MaxXMLSize", "0", "ok"},
      {"SelectionNamespaces", "", "ok"},
      {"SelectionNamespaces", " xmlns:a='u'\n\txmlns:b = \"v\" ", "ok"},
      {"SelectionNamespaces", "xmlns:a='u'xmlns:b='v'", "INVALID_NAMESPACES"},
      {"SelectionNamespaces", "xmlns:a='u", "INVALID_NAMESPACES"},
      {"SelectionNamespaces", "xmlns:a=''", "INVALID_NAMESPACES"},
      {"SelectionNamespaces", "xmlns='u'", "INVALID_NAMESPACES"},
      {"SelectionNamespaces", "xmlns:xml='u'", "INVALID_NAMESPACES"},
  };
  Load("<r/>");
  for (const auto& c : cases) {
    const HRESULT hr = m_file.SetProperty(c.name, c.value);
    EXPECT_EQ(c.expected, hr == S_OK ? "ok" : StatusName(hr)) << c.name << " = " << c.value;
  }
}

TEST_F(DocumentPropertiesTest, LoadSettingsApplyToLaterLoads) {
  const std::string big = "<r>" + std::string(2000, 'x') + "</r>";
  const struct {
    const char* name;
    const char* value;
    std::string xml;
    HRESULT expected;
  } cases[] = {
      {"ProhibitDTD", "TRUE", "<!DOCTYPE r><r/>", S_FALSE},
      {"ProhibitDTD", "0", "<!DOCTYPE r><r/>", S_OK},
      {"MaxElementDepth", "2", "<a><b><c/></b></a>", S_FALSE},
      {"MaxElementDepth", "3", "<a><b><c/></b></a>", S_OK},
      {"MaxXMLSize", "1", big, S_FALSE},
      {"MaxXMLSize", "3", big, S_OK},
  };
  for (const auto& c : cases) {
    Load("<r/>");
    ASSERT_EQ(S_OK, m_file.SetProperty(c.name, c.value));
    EXPECT_EQ(c.expected, m_file.Load(Write(c.xml))) << c.name << " = " << c.value;
  }
}

// Each value replaces the prefixes of the one before; a refused value
// changes nothing.
TEST_F(DocumentPropertiesTest, SelectionNamespaces) {
  Load("<r xmlns=\"u\"/>");
  ASSERT_EQ(S_OK, m_file.SetProperty("SelectionNamespaces", "xmlns:x='u'"));
  EXPECT_EQ(XML_E_INVALID_SELECTION_NAMESPACES,
            m_file.SetProperty("SelectionNamespaces", "xmlns:y="));
  EXPECT_EQ(S_OK, m_file.SelectNode("/x:r"));
  EXPECT_EQ(S_OK, m_file.GetText(&m_read));
  ASSERT_EQ(S_OK, m_file.SetProperty("SelectionNamespaces", "xmlns:y='u'"));
  EXPECT_EQ(XML_E_UNDECLARED_PREFIX, m_file.SelectNode("/x:r"));
}
