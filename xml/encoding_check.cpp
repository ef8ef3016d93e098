#include "xml/encoding_check.h"

#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <memory>
#include <string_view>

#include "xml/document_reader.h"
#include "xml/xml_chars.h"
#include "xml/xml_library.h"

namespace {

// Letters from Latin-1 and beyond it, one outside the Basic Multilingual
// Plane (a surrogate pair in UTF-16), and the characters markup escapes.
constexpr char kProbeText[] = "a\xC3\xA9\xC3\x9F\xE2\x82\xAC\xE4\xB8\xAD\xF0\x90\x90\x80<&>\"z";

struct DocFree {
  void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using UniqueDoc = std::unique_ptr<xmlDoc, DocFree>;

struct XmlStringFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

UniqueDoc NewProbeDocument() {
  UniqueDoc doc(xmlNewDoc(AsXmlChars("1.0")));
  if (!doc) return doc;
  xmlNodePtr root = xmlNewDocNode(doc.get(), nullptr, AsXmlChars("p"), nullptr);
  if (root == nullptr) return nullptr;
  xmlDocSetRootElement(doc.get(), root);
  xmlNodePtr text = xmlNewDocText(doc.get(), AsXmlChars(kProbeText));
  if (xmlNewProp(root, AsXmlChars("a"), AsXmlChars(kProbeText)) == nullptr || text == nullptr) {
    xmlFreeNode(text);
    return nullptr;
  }
  xmlAddChild(root, text);
  return doc;
}

int AppendTo(void* context, const char* data, int length) {
  static_cast<std::string*>(context)->append(data, static_cast<size_t>(length));
  return length;
}

// Whether doc's element is the probe's, attribute and text unchanged.
bool IsProbe(xmlDocPtr doc) {
  const xmlNode* root = xmlDocGetRootElement(doc);
  if (root == nullptr || !xmlStrEqual(root->name, AsXmlChars("p"))) return false;
  const std::unique_ptr<xmlChar, XmlStringFree> attribute(xmlGetProp(root, AsXmlChars("a")));
  const std::unique_ptr<xmlChar, XmlStringFree> text(xmlNodeGetContent(root));
  return attribute && text && AsChars(attribute.get()) == std::string_view(kProbeText) &&
         AsChars(text.get()) == std::string_view(kProbeText);
}

}  // namespace

HRESULT CheckEncodingReadsBack(const std::string& encoding) {
  // The library's reports on what it cannot convert or parse stay here.
  XmlErrorCapture capture;
  const UniqueDoc probe = NewProbeDocument();
  if (!probe) return E_OUTOFMEMORY;
  std::string saved;
  xmlSaveCtxtPtr context = xmlSaveToIO(AppendTo, nullptr, &saved, encoding.c_str(), 0);
  if (context == nullptr) return XML_E_UNSUPPORTED_ENCODING;
  const bool written = xmlSaveDoc(context, probe.get()) >= 0;
  if (xmlSaveClose(context) < 0 || !written) return XML_E_UNSUPPORTED_ENCODING;
  const UniqueDoc read(ParseWrittenText(saved));
  return read && IsProbe(read.get()) ? S_OK : XML_E_UNSUPPORTED_ENCODING;
}
