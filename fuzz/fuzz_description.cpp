// Fuzz target: description text through the scanner and the executor,
// whose commands really act on a small fixed document. An input that starts
// with "?" is a command-line update instead: its first line is the query,
// the rest the value.
//
// Beyond what the sanitizers catch, every run must leave a document that
// saves, and, when it has a document element, loads again: no sequence of
// commands may build a tree that the writer turns into a broken file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/test_pe_image.h"
#include "script/parser.h"

namespace {

constexpr char kDocument[] =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE settings [<!ENTITY product \"brindle\">]>\n"
    "<settings xmlns:x=\"urn:example:x\" version=\"1.0\">\n"
    "  <application name=\"&product;\" x:mode=\"release\">\n"
    "    <path>/srv/app</path>\n"
    "    <!-- the port may change -->\n"
    "    <port>8080</port>\n"
    "  </application>\n"
    "  <database><server>db.example.internal</server><![CDATA[a < b]]></database>\n"
    "  <features xml:space=\"preserve\"> <feature id=\"1\"/> </features>\n"
    "  <x:extra>&product; extra</x:extra>\n"
    "</settings>\n";

struct Fixture {
  fuzz::ScratchFolder folder;
  std::string document;
  std::string executable;
  std::string output;

  Fixture() {
    fuzz::StartXmlLibrary();
    document = folder.Write("doc.xml", kDocument, sizeof kDocument - 1);
    const std::string image = test_pe::Image(
        false, test_pe::Encode(test_pe::VersionRoot(0x0001000A, 0x00020003,
                                                    {{"ProductName", " Brindle Fuzz "},
                                                     {"CompanyName", "Example"}})));
    executable = folder.Write("app.exe", image.data(), image.size());
    output = folder.PathOf("out.xml");
  }
};

bool HasDocumentElement(CXmlFile& document) {
  std::string text;
  return document.SelectRoot() == S_OK && document.GetText(&text) != E_POINTER;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  CParser parser;
  // $3 names a Windows executable for the version functions, $4 is a number.
  const char* const arguments[] = {"brindle", fixture.document.c_str(), "changes.txt",
                                   fixture.executable.c_str(), "42", "/batch"};
  if (parser.SetArguments(6, arguments, [](std::string_view a) { return a.starts_with('/'); }) !=
      S_OK) {
    fuzz::Violation("SetArguments failed");
  }
  CXmlFile& document = parser.GetDocument();
  if (document.Load(fixture.document) != S_OK) fuzz::Violation("the fixed document did not load");

  HRESULT result;
  if (input.starts_with('?')) {
    const size_t line_end = input.find('\n');
    const std::string_view query = input.substr(0, line_end);
    const std::string_view value =
        line_end == std::string_view::npos ? std::string_view() : input.substr(line_end + 1);
    result = parser.RunCommandLine(query, value);
  } else {
    const fuzz::MemoryFile script(data, size);
    result = parser.RunDescriptionFile(script.Path());
  }
  if (result != S_OK) {
    std::string message;
    std::string listing;
    parser.GetErrorMessage(&message);
    parser.GetErrorListing(&listing);
    if (message.empty()) fuzz::Violation("a failed run without an error message");
  }

  const bool has_root = HasDocumentElement(document);
  const HRESULT saved = document.Save(fixture.output, "", SaveFlags::Indent);
  if (saved != S_OK) fuzz::Violation("the document could not be saved", std::to_string(saved));
  if (has_root) {
    CXmlFile reloaded;
    if (reloaded.Load(fixture.output) != S_OK) {
      std::string report;
      reloaded.GetParseErrorText(&report);
      fuzz::Violation("a saved document does not load again", report);
    }
  }
  return 0;
}
