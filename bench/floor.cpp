// The floor: the least libxml2 work for brindle's command-line update, so
// that the benchmark shows what no program built on the library can beat
// by much. It parses with brindle's options through an IO callback,
// numbers the elements as brindle does after loading, selects with one
// XPath expression, sets the first node's text, and saves with brindle's
// save options and its safe replacement: a temporary file beside the
// target, flushed to disk, renamed over the target, and the folder flushed.
//
//   floor [--indent] [--no-fsync] [--noblanks] [--phases]
//         <input> <xpath> <value> <output>
//
// --no-fsync skips both flushes, to show what they cost. --noblanks has the
// library leave out whitespace-only text, which brindle never builds: the
// floor for brindle's tree. --phases prints the time of each phase and the
// peak memory after it on stderr.
#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_BIG_LINES | XML_PARSE_COMPACT;
constexpr size_t kBlock = 64 << 10;

class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return m_fd; }
  bool Close() {
    const int fd = m_fd;
    m_fd = -1;
    return close(fd) == 0;
  }

 private:
  int m_fd;
};

struct DocFree {
  void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
struct XPathContextFree {
  void operator()(xmlXPathContextPtr context) const { xmlXPathFreeContext(context); }
};
struct XPathObjectFree {
  void operator()(xmlXPathObjectPtr object) const { xmlXPathFreeObject(object); }
};
struct SaveContextClose {
  void operator()(xmlSaveCtxtPtr context) const { xmlSaveClose(context); }
};

// An uninitialised block: a small document touches only the pages it fills.
std::unique_ptr<char[]> NewBlock() { return std::make_unique_for_overwrite<char[]>(kBlock); }

// Reads the file in large blocks and hands the parser the pieces it asks
// for, as brindle does: a few hundred reads for 100 MB instead of tens of
// thousands of the parser's own 4 KB requests.
struct BlockReader {
  int fd;
  std::unique_ptr<char[]> block = NewBlock();
  size_t begin = 0;
  size_t end = 0;

  static int Read(void* context, char* out, int length) {
    auto* reader = static_cast<BlockReader*>(context);
    if (reader->begin == reader->end) {
      const ssize_t count = read(reader->fd, reader->block.get(), kBlock);
      if (count < 0) return -1;
      reader->begin = 0;
      reader->end = static_cast<size_t>(count);
    }
    const size_t count = std::min(static_cast<size_t>(length), reader->end - reader->begin);
    std::memcpy(out, reader->block.get() + reader->begin, count);
    reader->begin += count;
    return static_cast<int>(count);
  }
};

// Collects the serialised document in a large buffer and writes it out in
// blocks.
struct BlockWriter {
  int fd;
  std::unique_ptr<char[]> block = NewBlock();
  size_t used = 0;
  bool failed = false;

  bool WriteAll(const char* data, size_t size) {
    while (size > 0) {
      const ssize_t count = write(fd, data, size);
      if (count < 0) return false;
      data += count;
      size -= static_cast<size_t>(count);
    }
    return true;
  }
  bool Flush() {
    failed = failed || !WriteAll(block.get(), used);
    used = 0;
    return !failed;
  }
  static int Write(void* context, const char* data, int length) {
    auto* writer = static_cast<BlockWriter*>(context);
    const auto size = static_cast<size_t>(length);
    if (writer->used + size > kBlock && !writer->Flush()) return -1;
    if (size >= kBlock) return writer->WriteAll(data, size) ? length : -1;
    std::memcpy(writer->block.get() + writer->used, data, size);
    writer->used += size;
    return length;
  }
};

// The peak resident memory so far, in kilobytes.
long PeakKilobytes() {
  std::unique_ptr<std::FILE, decltype(&std::fclose)> status(std::fopen("/proc/self/status", "r"),
                                                            &std::fclose);
  char line[256];
  long kilobytes = 0;
  while (status && std::fgets(line, sizeof line, status.get()) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1) break;
  }
  return kilobytes;
}

class PhaseClock {
 public:
  explicit PhaseClock(bool enabled) : m_enabled(enabled) {}
  void End(const char* phase) {
    const auto now = std::chrono::steady_clock::now();
    if (m_enabled) {
      std::fprintf(stderr, "%-6s %8.3f s, peak %ld kB\n", phase,
                   std::chrono::duration<double>(now - m_start).count(), PeakKilobytes());
    }
    m_start = now;
  }

 private:
  bool m_enabled;
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int Fail(const char* what) {
  std::fprintf(stderr, "floor: %s\n", what);
  return 1;
}

struct Options {
  bool indent = false;
  bool fsync = true;
  bool noblanks = false;
  bool phases = false;
  const char* input = nullptr;
  const char* xpath = nullptr;
  const char* value = nullptr;
  std::string output;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  std::vector<const char*> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--indent") {
      options->indent = true;
    } else if (argument == "--no-fsync") {
      options->fsync = false;
    } else if (argument == "--noblanks") {
      options->noblanks = true;
    } else if (argument == "--phases") {
      options->phases = true;
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (positional.size() != 4) return false;
  options->input = positional[0];
  options->xpath = positional[1];
  options->value = positional[2];
  options->output = positional[3];
  return true;
}

int Run(const Options& options) {
  PhaseClock clock(options.phases);
  Fd input(open(options.input, O_RDONLY | O_CLOEXEC));
  if (input.Get() < 0) return Fail("cannot open the input");
  BlockReader reader{input.Get()};
  std::unique_ptr<xmlDoc, DocFree> doc(
      xmlReadIO(BlockReader::Read, nullptr, &reader, options.input, nullptr,
                kParseOptions | (options.noblanks ? XML_PARSE_NOBLANKS : 0)));
  if (!doc) return Fail("the input is not well-formed");
  xmlXPathOrderDocElems(doc.get());
  clock.End("parse");

  {
    std::unique_ptr<xmlXPathContext, XPathContextFree> context(xmlXPathNewContext(doc.get()));
    xmlXPathContextSetCache(context.get(), 1, -1, 0);
    std::unique_ptr<xmlXPathObject, XPathObjectFree> found(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(options.xpath), context.get()));
    if (!found || found->nodesetval == nullptr || found->nodesetval->nodeNr == 0) {
      return Fail("the expression selects nothing");
    }
    xmlNodePtr node = found->nodesetval->nodeTab[0];
    xmlNodeSetContent(node, nullptr);
    xmlNodeAddContent(node, reinterpret_cast<const xmlChar*>(options.value));
  }
  clock.End("xpath");

  const std::string temporary_template = FolderOf(options.output) + "/.floor-XXXXXX";
  std::vector<char> temporary(temporary_template.begin(), temporary_template.end());
  temporary.push_back('\0');
  Fd output(mkostemp(temporary.data(), O_CLOEXEC));
  if (output.Get() < 0) return Fail("cannot create the temporary file");
  BlockWriter writer{output.Get()};
  {
    std::unique_ptr<xmlSaveCtxt, SaveContextClose> save(xmlSaveToIO(
        BlockWriter::Write, nullptr, &writer, "utf-8", options.indent ? XML_SAVE_FORMAT : 0));
    if (!save || xmlSaveDoc(save.get(), doc.get()) < 0) {
      unlink(temporary.data());
      return Fail("cannot save");
    }
  }
  const bool written = writer.Flush() && (!options.fsync || fsync(output.Get()) == 0) &&
                       output.Close() && rename(temporary.data(), options.output.c_str()) == 0;
  if (!written) {
    unlink(temporary.data());
    return Fail("cannot write the output");
  }
  if (options.fsync) {
    Fd folder(open(FolderOf(options.output).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0 || fsync(folder.Get()) != 0) return Fail("cannot flush the folder");
  }
  clock.End("save");
  doc.reset();
  clock.End("free");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fputs(
        "usage: floor [--indent] [--no-fsync] [--noblanks] [--phases]\n"
        "             <input> <xpath> <value> <output>\n",
        stderr);
    return 2;
  }
  xmlInitParser();
  const int code = Run(options);
  xmlCleanupParser();
  return code;
}
