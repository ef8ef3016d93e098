// The document properties that "set property" changes: their names, types
// and how a value text converts to each type.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/ascii_case.h"
#include "xml/xml_file.h"
#include "xml/xml_names.h"

namespace {

enum class PropertyType { Text, Boolean, Integer };

enum class Property {
  SelectionLanguage,
  SelectionNamespaces,
  ProhibitDtd,
  MaxElementDepth,
  MaxXmlSize,
};

struct PropertyRow {
  std::string_view name;
  Property property;
  PropertyType type;
};

// Names match exactly, case included.
constexpr PropertyRow kProperties[] = {
    {"SelectionLanguage", Property::SelectionLanguage, PropertyType::Text},
    {"SelectionNamespaces", Property::SelectionNamespaces, PropertyType::Text},
    {"ProhibitDTD", Property::ProhibitDtd, PropertyType::Boolean},
    {"MaxElementDepth", Property::MaxElementDepth, PropertyType::Integer},
    {"MaxXMLSize", Property::MaxXmlSize, PropertyType::Integer},
};

constexpr std::string_view kSelectionLanguage = "XPath";
constexpr std::string_view kDeclarationStart = "xmlns:";

// The digits of an integer text (an optional sign, then decimal digits), or
// an empty view when text is no integer.
std::string_view IntegerDigits(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  if (text.find_first_not_of("0123456789") != std::string_view::npos) return {};
  return text;
}

// As VariantChangeType converts to a boolean: true or false in any case, or
// an integer, which is true unless zero.
bool ToBoolean(std::string_view text, bool* value) {
  if (EqualsIgnoringAsciiCase(text, "true") || EqualsIgnoringAsciiCase(text, "false")) {
    *value = EqualsIgnoringAsciiCase(text, "true");
    return true;
  }
  const std::string_view digits = IntegerDigits(text);
  if (digits.empty()) return false;
  *value = digits.find_first_not_of('0') != std::string_view::npos;
  return true;
}

// A 32-bit integer; a value out of range does not convert.
bool ToInteger(std::string_view text, int32_t* value) {
  const std::string_view digits = IntegerDigits(text);
  if (digits.empty()) return false;
  const int64_t limit = text.front() == '-' ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
  int64_t magnitude = 0;
  for (char c : digits) {
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return false;
  }
  *value = static_cast<int32_t>(text.front() == '-' ? -magnitude : magnitude);
  return true;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Declarations xmlns:prefix='uri' (either quote, blanks around "=" allowed)
// separated by white space; an empty text declares none.
bool ParseSelectionNamespaces(std::string_view text,
                              std::vector<std::pair<std::string, std::string>>* bindings) {
  size_t pos = 0;
  const auto skip_space = [&] {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
  };
  skip_space();
  while (pos < text.size()) {
    if (text.substr(pos, kDeclarationStart.size()) != kDeclarationStart) return false;
    pos += kDeclarationStart.size();
    const size_t prefix_end = text.find_first_of("= \t\r\n", pos);
    if (prefix_end == std::string_view::npos) return false;
    const std::string_view prefix = text.substr(pos, prefix_end - pos);
    if (!IsNcName(prefix) || prefix == "xml" || prefix == "xmlns") return false;
    pos = prefix_end;
    skip_space();
    if (pos >= text.size() || text[pos] != '=') return false;
    ++pos;
    skip_space();
    if (pos >= text.size() || (text[pos] != '\'' && text[pos] != '"')) return false;
    const size_t uri_end = text.find(text[pos], pos + 1);
    if (uri_end == std::string_view::npos) return false;
    const std::string_view uri = text.substr(pos + 1, uri_end - pos - 1);
    if (uri.empty() || !IsXmlText(uri)) return false;
    bindings->emplace_back(prefix, uri);
    pos = uri_end + 1;
    if (pos < text.size() && !IsSpace(text[pos])) return false;
    skip_space();
  }
  return true;
}

}  // namespace

HRESULT CXmlFile::SetProperty(std::string_view name, std::string_view value) {
  if (!m_doc) return E_POINTER;
  const PropertyRow* row = nullptr;
  for (const PropertyRow& candidate : kProperties) {
    if (candidate.name == name) row = &candidate;
  }
  if (row == nullptr) return Refuse(0);

  bool flag = false;
  int32_t number = 0;
  if ((row->type == PropertyType::Boolean && !ToBoolean(value, &flag)) ||
      (row->type == PropertyType::Integer && !ToInteger(value, &number))) {
    return DISP_E_TYPEMISMATCH;
  }
  if (number < 0) return Refuse(1);

  switch (row->property) {
    case Property::SelectionLanguage:
      return value == kSelectionLanguage ? S_OK : Refuse(1);
    case Property::SelectionNamespaces: {
      std::vector<std::pair<std::string, std::string>> bindings;
      if (!ParseSelectionNamespaces(value, &bindings)) return XML_E_INVALID_SELECTION_NAMESPACES;
      m_properties.selection_namespaces = std::move(bindings);
      return S_OK;
    }
    case Property::ProhibitDtd:
      m_properties.prohibit_dtd = flag;
      return S_OK;
    case Property::MaxElementDepth:
      m_properties.max_element_depth = number;
      return S_OK;
    case Property::MaxXmlSize:
      m_properties.max_xml_size_kb = number;
      return S_OK;
  }
  return S_OK;
}
