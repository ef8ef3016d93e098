// Test support for preserving saves: load a document with its text kept,
// change it, save it with SaveFlags::Preserve, and compare trees as a load
// sees them.
#pragma once

#include <libxml/tree.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/xml_chars.h"
#include "xml/xml_test_fixture.h"

class PreserveTest : public XmlFileTest {
 protected:
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  std::string OutputPath() const { return m_temp.PathOf("output.xml"); }

  // Loads xml keeping its text, applies steps until one fails, and saves with
  // SaveFlags::Preserve and flags. Returns the saved bytes, or
  // "<status> at step N" when a step failed, or "save failed: <status>".
  std::string Edit(std::string_view xml, XmlSteps steps, std::string_view encoding = "",
                   SaveFlags flags = SaveFlags::None) {
    const std::string input = Write(xml);
    if (m_file.Load(input, LoadFlags::KeepSource) != S_OK) return "load failed";
    int index = 0;
    for (const auto& step : steps) {
      const HRESULT hr = step(m_file);
      if (hr != S_OK) return StatusName(hr) + " at step " + std::to_string(index);
      ++index;
    }
    const HRESULT hr = m_file.Save(OutputPath(), encoding, flags | SaveFlags::Preserve);
    if (hr != S_OK) return "save failed: " + StatusName(hr);
    return ReadFile(OutputPath());
  }

  // The tree of a document as a load builds it, one node a line, in a form
  // that leaves out what two saves of the same tree may differ in: the
  // order of attributes and namespace declarations, how text is escaped
  // and split, and whitespace-only text.
  static std::string CanonicalTree(const xmlDoc* doc) {
    std::string out;
    AppendChildren(reinterpret_cast<const xmlNode*>(doc), 0, &out);
    return out;
  }

  // CanonicalTree of the document at path, or "not read".
  static std::string CanonicalTreeOf(const std::string& path) {
    // From memory: the library opens no file while the program runs.
    const std::string text = ReadFile(path);
    xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_HUGE);
    if (doc == nullptr) return "not read: " + text;
    std::string tree = CanonicalTree(doc);
    xmlFreeDoc(doc);
    return tree;
  }

 private:
  static bool IsBlankText(const xmlNode* node) {
    if (node->type != XML_TEXT_NODE || node->content == nullptr) return false;
    return std::string_view(AsChars(node->content)).find_first_not_of(" \t\r\n") ==
           std::string_view::npos;
  }

  static std::string Name(const xmlNs* ns, const xmlChar* name) {
    std::string text = "{";
    if (ns != nullptr && ns->href != nullptr) text += AsChars(ns->href);
    return text + "}" + (name != nullptr ? AsChars(name) : "");
  }

  static void AppendChildren(const xmlNode* parent, int depth, std::string* out) {
    // Adjacent text, and adjacent CDATA sections (which a plain parse
    // joins), are one entry.
    std::string text;
    const char* kind = nullptr;
    auto flush = [&] {
      if (kind != nullptr)
        out->append(std::string(static_cast<size_t>(depth), ' ') + kind + " " + text + "\n");
      text.clear();
      kind = nullptr;
    };
    for (const xmlNode* node = parent->children; node != nullptr; node = node->next) {
      if (IsBlankText(node)) continue;
      if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
        const char* node_kind = node->type == XML_TEXT_NODE ? "text" : "cdata";
        if (kind != node_kind) flush();
        kind = node_kind;
        text += AsChars(node->content);
        continue;
      }
      flush();
      const std::string indent(static_cast<size_t>(depth), ' ');
      switch (node->type) {
        case XML_ELEMENT_NODE: {
          std::vector<std::string> attributes;
          for (const xmlAttr* a = node->properties; a != nullptr; a = a->next) {
            xmlChar* value = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(a));
            attributes.push_back(Name(a->ns, a->name) + "=" + AsChars(value));
            xmlFree(value);
          }
          for (const xmlNs* ns = node->nsDef; ns != nullptr; ns = ns->next) {
            attributes.push_back(std::string("xmlns:") + (ns->prefix ? AsChars(ns->prefix) : "") +
                                 "=" + (ns->href ? AsChars(ns->href) : ""));
          }
          std::sort(attributes.begin(), attributes.end());
          out->append(indent + "element " + Name(node->ns, node->name));
          for (const std::string& attribute : attributes) out->append(" " + attribute);
          out->append("\n");
          AppendChildren(node, depth + 1, out);
          break;
        }
        case XML_COMMENT_NODE:
          out->append(indent + "comment " + AsChars(node->content) + "\n");
          break;
        case XML_PI_NODE:
          out->append(indent + "pi " + AsChars(node->name) + " " +
                      (node->content ? AsChars(node->content) : "") + "\n");
          break;
        case XML_ENTITY_REF_NODE:
          out->append(indent + "entity " + AsChars(node->name) + "\n");
          break;
        case XML_DTD_NODE:
          out->append(indent + "dtd " + AsChars(node->name) + "\n");
          break;
        default:
          out->append(indent + "node " + std::to_string(node->type) + "\n");
      }
    }
    flush();
  }
};
