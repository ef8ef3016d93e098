#include "xml/document_writer.h"

#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include "platform/safe_file_writer.h"
#include "platform/text_encoding.h"
#include "xml/xml_library.h"

namespace {

// The writer puts a character the encoding cannot hold as a character
// reference, which only text and attribute values allow: in a name, a
// comment, a processing instruction, a CDATA section or a DTD's identifiers
// it would make the file unreadable or silently change it. Whether all of
// those fit the encoding.
bool MarkupFitsEncoding(xmlDocPtr doc, const std::string& encoding) {
  CCharsetProbe probe(encoding);
  // Nothing to check against (libxml2's own "HTML"), or a Unicode encoding.
  if (!probe.IsOpen() || probe.CanHold("\U0010FFFF")) return true;
  const auto fits = [&probe](const xmlChar* text) {
    return text == nullptr || probe.CanHold(reinterpret_cast<const char*>(text));
  };
  const auto prefix = [](xmlNsPtr ns) { return ns != nullptr ? ns->prefix : nullptr; };
  // Document order without recursion; entity references are not entered,
  // since their children belong to the declaration.
  xmlNodePtr node = doc->children;
  while (node != nullptr) {
    switch (node->type) {
      case XML_TEXT_NODE:
        break;
      case XML_COMMENT_NODE:
      case XML_CDATA_SECTION_NODE:
        if (!fits(node->content)) return false;
        break;
      case XML_ELEMENT_NODE:
        if (!fits(node->name) || !fits(prefix(node->ns))) return false;
        for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next) {
          if (!fits(ns->prefix)) return false;
        }
        for (xmlAttrPtr attribute = node->properties; attribute != nullptr;
             attribute = attribute->next) {
          if (!fits(attribute->name) || !fits(prefix(attribute->ns))) return false;
        }
        break;
      case XML_DTD_NODE: {
        const auto dtd = reinterpret_cast<xmlDtdPtr>(node);
        if (!fits(dtd->name) || !fits(dtd->ExternalID) || !fits(dtd->SystemID)) return false;
        break;
      }
      case XML_ENTITY_DECL: {
        const auto entity = reinterpret_cast<xmlEntityPtr>(node);
        if (!fits(entity->name) || !fits(entity->ExternalID) || !fits(entity->SystemID)) {
          return false;
        }
        break;
      }
      default:  // processing instructions, entity references, declarations
        if (!fits(node->name) || (node->type == XML_PI_NODE && !fits(node->content))) {
          return false;
        }
        break;
    }
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

}  // namespace

HRESULT WriteDocument(_xmlDoc* doc, const std::string& path, std::string_view encoding,
                      SaveFlags flags, std::string* kept_copy) {
  const std::string name = encoding.empty() ? std::string("utf-8") : std::string(encoding);
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
  if (SUCCEEDED(hr) && xmlSaveDoc(context, doc) < 0) hr = XML_E_WRITE_FAILED;
  if (xmlSaveClose(context) < 0 && SUCCEEDED(hr)) hr = XML_E_WRITE_FAILED;
  if (SUCCEEDED(hr) && capture.HasError()) hr = XML_E_WRITE_FAILED;
  // The write's own reason (a full disk, a size limit) says more.
  if (FAILED(sink.status)) hr = sink.status;
  if (FAILED(hr)) return hr;
  hr = writer.Commit();
  *kept_copy = writer.KeptCopyPath();
  return hr;
}
