// Test fixture for CXmlFile: each test gets a document of its own, loaded
// from a file in a temporary directory of its own, and Run() tells what a
// user would find after a sequence of operations.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/test_temp_dir.h"
#include "xml/xml_file.h"
#include "xml/xml_library.h"

// One operation, as an expression on the CXmlFile `file`; READ may name the
// fixture's m_read.
#define OP(call) [](CXmlFile& file) { return file.call; }
#define READ(call) [this](CXmlFile& file) { return file.call; }

using XmlStep = std::function<HRESULT(CXmlFile&)>;
using XmlSteps = std::initializer_list<XmlStep>;

class XmlFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static XmlLibrary library;
    ASSERT_EQ(S_OK, library.Initialize());
  }

  // Writes xml to a file of the test's directory and returns its path.
  std::string Write(std::string_view xml) const { return m_temp.Write("input.xml", xml); }

  void Load(std::string_view xml) { ASSERT_EQ(S_OK, m_file.Load(Write(xml))) << xml; }

  // The document as saved without declaration, less its last line break.
  std::string Saved() {
    const std::string path = m_temp.PathOf("output.xml");
    const HRESULT hr = m_file.Save(path, "", SaveFlags::NoDeclaration);
    if (hr != S_OK) return "save failed: " + StatusName(hr);
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

  // Loads xml and applies steps until one returns anything but S_OK. Returns
  // "<status> at step N: " when one did, then the saved document ("unchanged"
  // when it is xml as it stands), then " => <m_read>" when a step read a text.
  std::string Run(std::string_view xml, XmlSteps steps) {
    Load(xml);
    m_read.clear();
    std::string outcome;
    int index = 0;
    for (const auto& step : steps) {
      const HRESULT hr = step(m_file);
      if (hr != S_OK) {
        outcome = StatusName(hr) + " at step " + std::to_string(index) + ": ";
        break;
      }
      ++index;
    }
    const std::string saved = Saved();
    outcome += saved == xml ? "unchanged" : saved;
    return outcome + (m_read.empty() ? "" : " => " + m_read);
  }

  struct Case {
    const char* xml;
    XmlSteps steps;
    std::string expected;
  };
  void ExpectRuns(std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(c.expected, Run(c.xml, c.steps)) << c.xml;
  }

  // A status by its name; E_INVALIDARG with the argument refused.
  std::string StatusName(HRESULT hr) const {
    static const struct {
      HRESULT status;
      const char* name;
    } kNames[] = {{S_FALSE, "S_FALSE"},
                  {E_POINTER, "E_POINTER"},
                  {XML_E_NO_CURRENT_NODE, "NO_CURRENT_NODE"},
                  {DISP_E_TYPEMISMATCH, "TYPEMISMATCH"},
                  {XML_E_INVALID_XPATH, "INVALID_XPATH"},
                  {XML_E_XPATH_NOT_NODESET, "NOT_NODESET"},
                  {XML_E_UNDECLARED_PREFIX, "UNDECLARED_PREFIX"},
                  {XML_E_CANNOT_APPEND, "CANNOT_APPEND"},
                  {XML_E_NO_PARENT, "NO_PARENT"},
                  {XML_E_POSITION_OUT_OF_RANGE, "OUT_OF_RANGE"},
                  {XML_E_NOT_CHILD, "NOT_CHILD"},
                  {XML_E_NO_ATTRIBUTES, "NO_ATTRIBUTES"},
                  {XML_E_CANNOT_REMOVE, "CANNOT_REMOVE"},
                  {XML_E_NAMESPACE_IN_USE, "NAMESPACE_IN_USE"},
                  {XML_E_CANNOT_MOVE, "CANNOT_MOVE"},
                  {XML_E_CANNOT_RENAME, "CANNOT_RENAME"},
                  {XML_E_INVALID_SELECTION_NAMESPACES, "INVALID_NAMESPACES"}};
    if (hr == E_INVALIDARG) return "E_INVALIDARG(" + std::to_string(m_file.BadArgument()) + ")";
    if (hr == XML_E_INVALID_NAME)
      return "INVALID_NAME(" + std::to_string(m_file.BadArgument()) + ")";
    if (hr == XML_E_UNDECLARED_NAME_PREFIX) {
      return "UNDECLARED_NAME_PREFIX(" + std::to_string(m_file.BadArgument()) + ")";
    }
    for (const auto& entry : kNames) {
      if (entry.status == hr) return entry.name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
  }

  TestTempDir m_temp;
  CXmlFile m_file;
  std::string m_read;
};
