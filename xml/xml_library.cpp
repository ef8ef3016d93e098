#include "xml/xml_library.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlversion.h>

#include <cstdlib>
#include <string>

#include "platform/text_encoding.h"

namespace {

// The capture that receives errors now; handlers are per-thread state in
// libxml2 and the program has one thread.
XmlErrorCapture* g_capture = nullptr;

void IgnoreGenericError(void*, const char*, ...) {}

// No document may make the program open another file or reach the network;
// the parser reports the refusal as a failure to load the entity.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
  return nullptr;
}

// The character sets that the library lacks and the system converts (the
// code pages of Windows, where libxml2 is built without iconv), so that
// documents are read and saved in them as on Linux.
void RegisterSystemCharsets() {
  for (const SystemCharset& charset : SystemCharsets()) {
    const std::string name(charset.name);
    if (xmlCharEncodingHandlerPtr known = xmlFindCharEncodingHandler(name.c_str())) {
      xmlCharEncCloseFunc(known);
      continue;
    }
    xmlNewCharEncodingHandler(name.c_str(), charset.to_utf8, charset.from_utf8);
  }
  for (const CharsetAlias& alias : SystemCharsetAliases()) {
    xmlAddEncodingAlias(std::string(alias.name).c_str(), std::string(alias.alias).c_str());
  }
}

}  // namespace

XmlLibrary::~XmlLibrary() {
  if (m_initialized) xmlCleanupParser();
}

HRESULT XmlLibrary::Initialize() {
  if (m_initialized) return S_OK;
  // Same major version, and no older than the headers we were built with.
  const int runtime = std::atoi(xmlParserVersion);
  if (runtime / 10000 != LIBXML_VERSION / 10000 || runtime < LIBXML_VERSION) {
    return XML_E_LIBRARY_MISMATCH;
  }
  xmlInitParser();
  // The library grows its buffers by exactly what is added unless told
  // otherwise: reading the text of a node made of many pieces (entity
  // references, mixed content) then copies the whole text once per piece,
  // quadratic wherever realloc copies instead of remapping.
  xmlSetBufferAllocationScheme(XML_BUFFER_ALLOC_DOUBLEIT);
  xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
  xmlSetStructuredErrorFunc(nullptr, [](void*, xmlErrorPtr) {});
  xmlSetExternalEntityLoader(RefuseExternalEntity);
  RegisterSystemCharsets();
  m_initialized = true;
  return S_OK;
}

XmlErrorCapture::XmlErrorCapture() : m_outer(g_capture) {
  g_capture = this;
  xmlSetStructuredErrorFunc(this, OnError);
}

XmlErrorCapture::~XmlErrorCapture() {
  g_capture = m_outer;
  if (m_outer != nullptr) {
    xmlSetStructuredErrorFunc(m_outer, OnError);
  } else {
    xmlSetStructuredErrorFunc(nullptr, [](void*, xmlErrorPtr) {});
  }
}

void XmlErrorCapture::Record(int line, std::string message) {
  if (m_hasError) return;
  m_hasError = true;
  m_line = line;
  m_message = std::move(message);
}

void XmlErrorCapture::OnError(void* context, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR) return;
  std::string message = error->message != nullptr ? error->message : "Unknown XML error.";
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.pop_back();
  }
  // Reports are one line; some messages carry a second ("Bytes: 0xE9 ...").
  for (char& c : message) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  static_cast<XmlErrorCapture*>(context)->Record(error->line, std::move(message));
}
