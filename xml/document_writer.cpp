#include "xml/document_writer.h"

#include <libxml/xmlsave.h>

#include "platform/safe_file_writer.h"
#include "xml/xml_library.h"

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
