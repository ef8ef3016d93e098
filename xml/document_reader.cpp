#include "xml/document_reader.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <cstring>
#include <memory>

#include "platform/file.h"
#include "platform/half_written.h"
#include "platform/text_encoding.h"
#include "xml/entity_guard.h"
#include "xml/load_pass.h"
#include "xml/xml_library.h"

namespace {

// NONET and no NOENT, DTDLOAD, DTDATTR, DTDVALID or XINCLUDE: entity
// references stay references and nothing outside the file is read. HUGE
// lifts the limits on text size and depth that real documents exceed.
// COMPACT stores a short text (attribute values included) inside its node,
// in the fields that only an element uses (properties, nsDef): a sixteenth
// less memory and an eighth less time on large documents. The library's
// tree functions know it; our own code reads those fields of elements only.
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_BIG_LINES | XML_PARSE_COMPACT;

constexpr size_t kReadBlock = 64 << 10;
constexpr uint64_t kExpansionAllowance = 10u << 20;
// The longest report: the reason is cut to fit, as error lines must stay
// readable even for a name of a megabyte.
constexpr size_t kMaxReportCharacters = 255;

// Feeds the parser from our own descriptor in large blocks (the parser asks
// for 4 KB at a time), so that a pipe or a device is read only as far as
// the parser needs. The block is left uninitialised: a small document
// touches only the pages it fills.
class FileSource {
 public:
  // With keep, every block read is appended to it.
  FileSource(int fd, uint64_t max_bytes, XmlErrorCapture* capture, std::string* keep)
      : m_fd(fd),
        m_maxBytes(max_bytes),
        m_capture(capture),
        m_keep(keep),
        m_buffer(std::make_unique_for_overwrite<char[]>(kReadBlock)) {}

  HRESULT Status() const { return m_status; }

  static int Read(void* context, char* out, int length) {
    return static_cast<FileSource*>(context)->ReadInto(out, static_cast<size_t>(length));
  }

 private:
  int ReadInto(char* out, size_t length) {
    if (m_begin == m_end) {
      if (FAILED(m_status)) return -1;
      const long count = ReadSome(m_fd, m_buffer.get(), kReadBlock, &m_status);
      if (count < 0) return -1;
      m_begin = 0;
      m_end = static_cast<size_t>(count);
      m_total += m_end;
      if (m_keep != nullptr) m_keep->append(m_buffer.get(), m_end);
      if (m_maxBytes != 0 && m_total > m_maxBytes) {
        m_capture->Record(0, "The document exceeds the size limit of " +
                                 std::to_string(m_maxBytes / 1024) + " KB set by MaxXMLSize");
        return -1;
      }
    }
    const size_t count = std::min(length, m_end - m_begin);
    std::memcpy(out, m_buffer.get() + m_begin, count);
    m_begin += count;
    return static_cast<int>(count);
  }

  int m_fd;
  uint64_t m_maxBytes;
  XmlErrorCapture* m_capture;
  std::string* m_keep;
  std::unique_ptr<char[]> m_buffer;  // kReadBlock bytes, uninitialised
  size_t m_begin = 0;
  size_t m_end = 0;
  uint64_t m_total = 0;
  HRESULT m_status = S_OK;
};

struct ParserContextFree {
  void operator()(xmlParserCtxtPtr context) const { xmlFreeParserCtxt(context); }
};
struct DocFree {
  void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};

void RefuseDtd(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  const int line = parser->input != nullptr ? parser->input->line : 0;
  LoadPass::Of(parser)->Capture()->Record(
      line, "A document type definition is prohibited by ProhibitDTD");
  xmlStopParser(parser);
}

// The parser takes a NUL character after the document element for the end
// of its input and drops, without a word, everything from there on:
// whatever follows would be lost by the save, and a kept text would not
// match the tree. Whether input is left is known only by asking for more.
bool InputLeftOver(xmlParserInputPtr input) {
  return input != nullptr && (input->cur < input->end || xmlParserInputGrow(input, 1) > 0);
}

std::string FormatReport(int line, const std::string& reason) {
  size_t pos = 0;
  for (size_t count = 0; pos < reason.size() && count < kMaxReportCharacters; ++count) {
    NextCodePoint(reason, &pos);
  }
  return "XML parse error on line " + std::to_string(line) + ".\n" + reason.substr(0, pos) + "\n";
}

}  // namespace

HRESULT ReadDocument(const std::string& path, const XmlProperties& properties, xmlDocPtr* doc,
                     std::string* report, std::string* bytes) {
  UniqueFd fd;
  HRESULT hr = OpenForReading(path, &fd);
  // A file that a stopped run was writing in place may be half written.
  if (SUCCEEDED(hr)) hr = CheckForInPlaceJournal(fd.Get(), nullptr);
  if (FAILED(hr)) return hr;
  // A stream has no size: its entities get the allowance alone.
  uint64_t file_size = 0;
  if (FAILED(GetOpenFileSize(fd.Get(), &file_size))) file_size = 0;

  XmlErrorCapture capture;
  EntityGuard guard(SaturatingAdd(SaturatingMultiply(file_size, 10), kExpansionAllowance));
  LoadPass pass(&guard, &capture, properties.max_element_depth);
  const uint64_t max_bytes = static_cast<uint64_t>(properties.max_xml_size_kb) * 1024;
  // One allocation for a regular file's text: a large document must not
  // take twice its size while the copy grows.
  if (bytes != nullptr) bytes->reserve(bytes->size() + file_size);
  FileSource source(fd.Get(), max_bytes, &capture, bytes);

  std::unique_ptr<xmlParserCtxt, ParserContextFree> context(xmlNewParserCtxt());
  if (!context) return E_OUTOFMEMORY;
  pass.Attach(context.get());
  if (properties.prohibit_dtd) context->sax->internalSubset = RefuseDtd;

  std::unique_ptr<xmlDoc, DocFree> parsed(xmlCtxtReadIO(
      context.get(), FileSource::Read, nullptr, &source, path.c_str(), nullptr, kParseOptions));
  if (FAILED(source.Status())) return source.Status();
  if (!capture.HasError() && !parsed) {
    capture.Record(context->input != nullptr ? context->input->line : 0,
                   "The document is not well-formed.");
  }
  if (!capture.HasError() && InputLeftOver(context->input)) {
    capture.Record(context->input->line, "Char 0x0 out of allowed range");
  }
  if (!capture.HasError()) {
    int line = 0;
    std::string reason;
    if (!pass.Finish(parsed.get(), &line, &reason)) capture.Record(line, reason);
  }
  if (capture.HasError()) {
    *report = FormatReport(capture.Line(), capture.Message());
    return S_FALSE;
  }
  *doc = parsed.release();
  return S_OK;
}

xmlDocPtr ParseWrittenText(std::string_view text) {
  return xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, kParseOptions);
}
