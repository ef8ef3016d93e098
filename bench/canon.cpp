// Prints a document in a canonical form, so that the outputs of brindle
// and of its peers can be compared although they differ where they may:
// entity references are expanded, adjacent text is joined, text made only
// of whitespace is set aside (brindle drops it between elements by
// design), attributes are sorted, and the declaration, the document type
// and the namespace declarations are left out.
//
//   canon <document>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kParseOptions =
    XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_BIG_LINES;

struct DocFree {
  void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
struct XmlFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

std::string Text(const xmlChar* text) {
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

// {namespace}name, or name outside any namespace.
std::string QualifiedName(const xmlNode* node) {
  std::string name;
  if (node->ns != nullptr) name.append("{").append(Text(node->ns->href)).append("}");
  return name.append(Text(node->name));
}

void Escape(const std::string& text, std::string* out) {
  for (const char c : text) {
    switch (c) {
      case '&':
        *out += "&amp;";
        break;
      case '<':
        *out += "&lt;";
        break;
      case '>':
        *out += "&gt;";
        break;
      case '"':
        *out += "&quot;";
        break;
      default:
        *out += c;
    }
  }
}

class Writer {
 public:
  // Appends the node's start (or all of it, for anything but an element).
  void Open(xmlNodePtr node) {
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
      m_text += Text(node->content);
      return;
    }
    FlushText();
    switch (node->type) {
      case XML_ELEMENT_NODE: {
        std::vector<std::pair<std::string, std::string>> attributes;
        for (xmlAttrPtr attribute = node->properties; attribute != nullptr;
             attribute = attribute->next) {
          std::unique_ptr<xmlChar, XmlFree> value(
              xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attribute)));
          attributes.emplace_back(QualifiedName(reinterpret_cast<xmlNodePtr>(attribute)),
                                  Text(value.get()));
        }
        std::sort(attributes.begin(), attributes.end());
        m_out.append("<").append(QualifiedName(node));
        for (const auto& [name, value] : attributes) {
          m_out.append(" ").append(name).append("=\"");
          Escape(value, &m_out);
          m_out += "\"";
        }
        m_out += ">";
        break;
      }
      case XML_COMMENT_NODE:
        m_out.append("<!--").append(Text(node->content)).append("-->");
        break;
      case XML_PI_NODE:
        m_out.append("<?").append(Text(node->name)).append(" ");
        m_out.append(Text(node->content)).append("?>");
        break;
      default:
        break;
    }
    Drain(false);
  }

  void Close(xmlNodePtr element) {
    FlushText();
    m_out.append("</").append(QualifiedName(element)).append(">\n");
    Drain(false);
  }

  void Finish() {
    FlushText();
    Drain(true);
  }

 private:
  void FlushText() {
    if (m_text.find_first_not_of(" \t\r\n") != std::string::npos) Escape(m_text, &m_out);
    m_text.clear();
  }
  void Drain(bool all) {
    if (!all && m_out.size() < (1u << 20)) return;
    std::fwrite(m_out.data(), 1, m_out.size(), stdout);
    m_out.clear();
  }

  std::string m_text;  // adjacent text not yet written
  std::string m_out;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: canon <document>\n", stderr);
    return 2;
  }
  std::unique_ptr<xmlDoc, DocFree> doc(xmlReadFile(argv[1], nullptr, kParseOptions));
  if (!doc) {
    std::fprintf(stderr, "canon: %s is not well-formed\n", argv[1]);
    return 1;
  }
  Writer writer;
  // Document order without recursion: down to the first child, else to the
  // next sibling, else up, closing elements on the way.
  xmlNodePtr node = doc->children;
  while (node != nullptr) {
    if (node->type == XML_DTD_NODE) {
      node = node->next;
      continue;
    }
    writer.Open(node);
    if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
      node = node->children;
      continue;
    }
    if (node->type == XML_ELEMENT_NODE) writer.Close(node);
    while (node != nullptr && node->next == nullptr) {
      node = node->parent;
      if (node == nullptr || node->type != XML_ELEMENT_NODE) {
        node = nullptr;
        break;
      }
      writer.Close(node);
    }
    if (node != nullptr) node = node->next;
  }
  writer.Finish();
  xmlCleanupParser();
  return std::fflush(stdout) == 0 ? 0 : 1;
}
