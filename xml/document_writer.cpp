#include "xml/document_writer.h"

#include <libxml/hash.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xmlsave.h>

#include <string>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/safe_file_writer.h"
#include "platform/text_encoding.h"
#include "xml/encoding_check.h"
#include "xml/xml_chars.h"
#include "xml/xml_library.h"

namespace {

// The writer puts a character the encoding cannot hold as a character
// reference, which only text, attribute values and entity values allow: in
// a name, a comment, a processing instruction, a CDATA section or a DTD's
// names and identifiers it would make the file unreadable or silently
// change it. MarkupCheck tells whether all of those fit the encoding.
class MarkupCheck {
 public:
  explicit MarkupCheck(CCharsetProbe* probe) : m_probe(probe) {}

  bool DocumentFits(xmlDocPtr doc) {
    // Document order without recursion; entity references are not entered,
    // since their children belong to the declaration.
    xmlNodePtr node = doc->children;
    while (node != nullptr) {
      if (!NodeFits(node)) return false;
      if ((node->type == XML_ELEMENT_NODE || node->type == XML_DTD_NODE) &&
          node->children != nullptr) {
        node = node->children;
        continue;
      }
      while (node != nullptr && node->next == nullptr) {
        node = node->parent;
        if (node == reinterpret_cast<xmlNodePtr>(doc)) node = nullptr;
      }
      if (node != nullptr) node = node->next;
    }
    return true;
  }

 private:
  bool Fits(const xmlChar* text) {
    return text == nullptr || m_probe->CanHold(reinterpret_cast<const char*>(text));
  }
  static const xmlChar* PrefixOf(xmlNsPtr ns) { return ns != nullptr ? ns->prefix : nullptr; }

  bool NodeFits(xmlNodePtr node) {
    switch (node->type) {
      case XML_TEXT_NODE:
        return true;
      case XML_COMMENT_NODE:
      case XML_CDATA_SECTION_NODE:
        return Fits(node->content);
      case XML_PI_NODE:
        return Fits(node->name) && Fits(node->content);
      case XML_ELEMENT_NODE:
        if (!Fits(node->name) || !Fits(PrefixOf(node->ns))) return false;
        for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next) {
          if (!Fits(ns->prefix)) return false;
        }
        for (xmlAttrPtr attribute = node->properties; attribute != nullptr;
             attribute = attribute->next) {
          if (!Fits(attribute->name) || !Fits(PrefixOf(attribute->ns))) return false;
        }
        return true;
      case XML_DTD_NODE: {
        const auto dtd = reinterpret_cast<xmlDtdPtr>(node);
        if (!Fits(dtd->name) || !Fits(dtd->ExternalID) || !Fits(dtd->SystemID)) return false;
        // Notations live in a table of their own, not among the children.
        if (dtd->notations == nullptr) return true;
        struct Scan {
          MarkupCheck* check;
          bool fits;
        } scan{this, true};
        xmlHashScan(
            static_cast<xmlHashTablePtr>(dtd->notations),
            [](void* payload, void* data, const xmlChar*) {
              auto* state = static_cast<Scan*>(data);
              const auto notation = static_cast<xmlNotationPtr>(payload);
              state->fits = state->fits && state->check->Fits(notation->name) &&
                            state->check->Fits(notation->PublicID) &&
                            state->check->Fits(notation->SystemID);
            },
            &scan);
        return scan.fits;
      }
      case XML_ENTITY_DECL: {
        const auto entity = reinterpret_cast<xmlEntityPtr>(node);
        // The value of an unparsed entity is its notation's name.
        return Fits(entity->name) && Fits(entity->ExternalID) && Fits(entity->SystemID) &&
               (entity->etype != XML_EXTERNAL_GENERAL_UNPARSED_ENTITY || Fits(entity->content));
      }
      case XML_ELEMENT_DECL: {
        const auto element = reinterpret_cast<xmlElementPtr>(node);
        return Fits(element->name) && Fits(element->prefix) && ContentModelFits(element->content);
      }
      case XML_ATTRIBUTE_DECL: {
        const auto attribute = reinterpret_cast<xmlAttributePtr>(node);
        if (!Fits(attribute->name) || !Fits(attribute->prefix) || !Fits(attribute->elem)) {
          return false;
        }
        for (xmlEnumerationPtr value = attribute->tree; value != nullptr; value = value->next) {
          if (!Fits(value->name)) return false;
        }
        return true;
      }
      default:  // entity references
        return Fits(node->name);
    }
  }

  // An element declaration's content model, a tree as deep as the model is
  // long, walked with a stack of our own.
  bool ContentModelFits(xmlElementContentPtr root) {
    std::vector<xmlElementContentPtr> pending;
    if (root != nullptr) pending.push_back(root);
    while (!pending.empty()) {
      const xmlElementContentPtr content = pending.back();
      pending.pop_back();
      if (!Fits(content->name) || !Fits(content->prefix)) return false;
      if (content->c1 != nullptr) pending.push_back(content->c1);
      if (content->c2 != nullptr) pending.push_back(content->c2);
    }
    return true;
  }

  CCharsetProbe* m_probe;
};

}  // namespace

bool MarkupFitsEncoding(xmlDocPtr doc, const std::string& encoding) {
  // Most documents are UTF-8, which holds everything: no converter to load.
  if (EqualsIgnoringAsciiCase(encoding, "UTF-8")) return true;
  CCharsetProbe probe(encoding);
  // Nothing to check against (libxml2's own "HTML"), or a Unicode encoding.
  if (!probe.IsOpen() || probe.CanHold("\U0010FFFF")) return true;
  return MarkupCheck(&probe).DocumentFits(doc);
}

namespace {

// The library's output callbacks, recording our own status: its save
// functions report success after a failed write.
struct Sink {
  CSafeFileWriter* writer;
  HRESULT status = S_OK;

  static int Write(void* context, const char* data, int length) {
    auto* sink = static_cast<Sink*>(context);
    if (FAILED(sink->status)) return -1;
    sink->status = sink->writer->Write(data, static_cast<size_t>(length));
    return FAILED(sink->status) ? -1 : length;
  }
};

// The library writes an attribute declaration's default value between
// quotes as it is stored, with character references already replaced: a
// "<" written so makes the file unreadable, and a line end or tab comes
// back as a blank (the value is normalised on reading). For the length of
// one save, the declarations hold values with those characters written as
// references; the stored values return afterwards. An "&" is stored still
// written as a reference, and the library itself picks the quote.
class EscapedAttributeDefaults {
 public:
  explicit EscapedAttributeDefaults(xmlDocPtr doc) {
    if (doc->intSubset == nullptr) return;
    for (xmlNodePtr node = doc->intSubset->children; node != nullptr; node = node->next) {
      if (node->type != XML_ATTRIBUTE_DECL) continue;
      const auto declaration = reinterpret_cast<xmlAttributePtr>(node);
      std::string escaped;
      if (!Escape(declaration->defaultValue, &escaped)) continue;
      m_swapped.push_back({declaration, declaration->defaultValue, std::move(escaped)});
    }
    // Only once the vector is complete: a short string lives inside its
    // element, which moves while the vector grows.
    for (const Swap& swap : m_swapped) swap.declaration->defaultValue = AsXmlChars(swap.escaped);
  }
  ~EscapedAttributeDefaults() {
    for (const Swap& swap : m_swapped) swap.declaration->defaultValue = swap.stored;
  }
  EscapedAttributeDefaults(const EscapedAttributeDefaults&) = delete;
  EscapedAttributeDefaults& operator=(const EscapedAttributeDefaults&) = delete;

 private:
  struct Swap {
    xmlAttributePtr declaration;
    const xmlChar* stored;
    std::string escaped;
  };

  // False when the value needs no reference.
  static bool Escape(const xmlChar* value, std::string* escaped) {
    if (value == nullptr) return false;
    bool changed = false;
    for (const char* c = AsChars(value); *c != '\0'; ++c) {
      switch (*c) {
        case '<':
          escaped->append("&#60;");
          break;
        case '\t':
          escaped->append("&#9;");
          break;
        case '\n':
          escaped->append("&#10;");
          break;
        case '\r':
          escaped->append("&#13;");
          break;
        default:
          escaped->push_back(*c);
          continue;
      }
      changed = true;
    }
    return changed;
  }

  std::vector<Swap> m_swapped;
};

}  // namespace

HRESULT WriteDocument(_xmlDoc* doc, const std::string& path, std::string_view encoding,
                      SaveFlags flags, SaveReport* report) {
  const std::string name = encoding.empty() ? std::string("utf-8") : std::string(encoding);
  // The default needs no probe: the parser reads UTF-8 without being told.
  if (xmlStrcasecmp(AsXmlChars(name), AsXmlChars("utf-8")) != 0) {
    const HRESULT readable = CheckEncodingReadsBack(name);
    if (FAILED(readable)) return readable;
  }
  int options = 0;
  if (HasFlag(flags, SaveFlags::Indent)) options |= XML_SAVE_FORMAT;
  if (HasFlag(flags, SaveFlags::NoDeclaration)) options |= XML_SAVE_NO_DECL;

  XmlErrorCapture capture;
  CSafeFileWriter writer;
  Sink sink{&writer};
  // Created before the file, so that an unknown encoding creates nothing.
  xmlSaveCtxtPtr context = xmlSaveToIO(Sink::Write, nullptr, &sink, name.c_str(), options);
  if (context == nullptr) return XML_E_UNSUPPORTED_ENCODING;
  if (!MarkupFitsEncoding(doc, name)) {
    xmlSaveClose(context);
    return XML_E_MARKUP_NOT_IN_ENCODING;
  }

  HRESULT hr = writer.Open(path);
  sink.status = hr;
  if (SUCCEEDED(hr)) {
    const EscapedAttributeDefaults escaped(doc);
    if (xmlSaveDoc(context, doc) < 0) hr = XML_E_WRITE_FAILED;
  }
  if (xmlSaveClose(context) < 0 && SUCCEEDED(hr)) hr = XML_E_WRITE_FAILED;
  if (SUCCEEDED(hr) && capture.HasError()) hr = XML_E_WRITE_FAILED;
  // The write's own reason (a full disk, a size limit) says more.
  if (FAILED(sink.status)) hr = sink.status;
  if (FAILED(hr)) return hr;
  hr = writer.Commit();
  *report = writer.Report();
  return hr;
}
