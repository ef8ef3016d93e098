// Fuzz target: XML bytes through load, a fixed script that reads, sets,
// adds and removes nodes of every kind, and save in each of four variants
// (plain, indented, UTF-16 without declaration, Latin-1).
//
// Beyond what the sanitizers catch:
// - a document that loads runs the whole script: every statement finds the
//   node it works on (the script makes one first where the document may
//   have none), so a statement that fails is a fault;
// - every variant saves, except Latin-1 for markup it cannot hold, and a
//   failed save leaves neither its target nor a temporary file;
// - what a variant saved loads again and, saved once more the same way,
//   gives the same bytes: the writer wrote exactly the tree it was given,
//   and the reader read exactly what was written. The script never makes
//   blank text, the one thing a load drops by design.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "script/parser.h"

namespace {

// The document's own nodes come first in document order, the script's
// appended to the document element after them, so "(...)[1]" finds a node
// of the fuzzed document when it has one of that kind. The texts need
// escapes in every encoding and character references in Latin-1; comments
// and CDATA sections stay within Latin-1, which can hold no reference.
constexpr char kScript[] =
    "get node whole;\n"
    "select root;\n"
    "get node text;\n"
    // One node of each kind that the later selections may fall back to.
    "add child text \"brindle-fuzz\" \"x ]]> y & z \\\"q\\\" \xc3\xa9 \xe2\x82\xac "
    "\xf0\x9d\x84\x9e\";\n"
    "add child cdatasection \"brindle-fuzz-cdata\" \"<kept> & \xc3\xa9\";\n"
    "add comment \"seen \xc3\xa9\";\n"
    "set attribute \"brindle-fuzz\" \"a < b & \\\"c\\\" ' \\t\\r\\n \xe2\x82\xac\";\n"
    // Text: replace the first, replace the last (the CDATA section just
    // made), remove the first.
    "select node \"(//text())[1]\";\n"
    "get node first;\n"
    "set node \"text & more \\r \xe2\x82\xac\";\n"
    "select node \"(//text())[last()]\";\n"
    "set node \"last text\";\n"
    "select node \"(//text())[1]\";\n"
    "remove node;\n"
    // Attributes: replace the first (xml:space would change what a load
    // keeps), add one and remove it, remove one that is absent.
    "select node \"(//@*[name() != 'xml:space'])[1]\";\n"
    "get node attribute;\n"
    "set node \"changed \\\" & < \xe2\x82\xac\";\n"
    "select node \"(//*[@*])[1]\";\n"
    "add attribute \"brindle-fuzz-added\" \"new\";\n"
    "get attribute \"brindle-fuzz-added\" value;\n"
    "remove attribute \"brindle-fuzz-added\";\n"
    "remove attribute \"brindle-fuzz-absent\";\n"
    // Comments and processing instructions: replace the first, remove the last.
    "select node \"(//comment() | //processing-instruction())[1]\";\n"
    "get node comment;\n"
    "set node \"changed \xc3\xa9\";\n"
    "select node \"(//comment() | //processing-instruction())[last()]\";\n"
    "remove node;\n"
    "select document;\n"
    "add comment \"after the document element\";\n"
    // Elements: the first below the document element, whatever it holds,
    // becomes a text; the last gains children and is removed with them.
    "select node \"(/*/*)[1]\";\n"
    "get node element;\n"
    "set node \"element \\r\\n text \xe2\x82\xac\";\n"
    "select node \"(/*/*)[last()]\";\n"
    "add element \"brindle-fuzz-added\";\n"
    "add text \"added & text\";\n"
    "add cdatasection \"added ]] > section\";\n"
    "select parent;\n"
    "add child element \"brindle-fuzz-child\";\n"
    "select root;\n"
    "select child \"*[1]\";\n"
    "select next;\n"
    "select previous;\n"
    "select node \"(/*/*)[last()]\";\n"
    "remove node;\n"
    "select root;\n"
    "get child 0 child;\n"
    "remove child 0;\n"
    // Namespaces: declare, rebind and drop a prefix on an element of the
    // script's own, so that no node of the document is affected.
    "add element \"brindle-fuzz-ns\";\n"
    "set attribute xmlns:bf \"urn:brindle:fuzz:1\";\n"
    "add child element bf:inner;\n"
    "set attribute xmlns:bf \"urn:brindle:fuzz:2\";\n"
    "set property SelectionNamespaces \"xmlns:fz='urn:brindle:fuzz:2'\";\n"
    "select child \"fz:inner\";\n"
    "add attribute bf:mark \"rebound\";\n"
    "select parent;\n"
    "remove child 0;\n"
    "remove attribute xmlns:bf;\n"
    // Children by position and by expression, on the script's own element.
    "add child text one \"1\";\n"
    "add child cdatasection two \"2\";\n"
    "add comment \"3\";\n"
    "add child element four;\n"
    "get child 1 second;\n"
    "set child 0 \"set by position\";\n"
    "set child \"*[last()]\" \"set by expression\";\n"
    "remove child 2;\n"
    "remove child \"*[1]\";\n";

struct SaveVariant {
  const char* encoding;
  SaveFlags flags;
  bool may_refuse_markup;  // the encoding can not hold every character
};
constexpr SaveVariant kVariants[] = {
    {"", SaveFlags::None, false},
    {"utf-8", SaveFlags::Indent, false},
    {"UTF-16", SaveFlags::Indent | SaveFlags::NoDeclaration, false},
    {"iso-8859-1", SaveFlags::None, true},
};

constexpr std::string_view kOwnFiles[] = {"script.txt", "in.xml", "out.xml", "again.xml"};

struct Fixture {
  fuzz::ScratchFolder folder;
  std::string script;
  std::string output;
  std::string again;

  Fixture() {
    fuzz::StartXmlLibrary();
    script = folder.Write("script.txt", kScript);
    output = folder.PathOf("out.xml");
    again = folder.PathOf("again.xml");
  }
};

void CheckNoStrayFiles(const fuzz::ScratchFolder& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    const std::string name = entry.path().filename().string();
    if (std::find(std::begin(kOwnFiles), std::end(kOwnFiles), name) == std::end(kOwnFiles)) {
      fuzz::Violation("a save left a file behind", name);
    }
  }
}

void SaveAndReload(Fixture& fixture, CXmlFile& document, const SaveVariant& variant,
                   size_t input_size) {
  std::filesystem::remove(fixture.output);
  const HRESULT saved = document.Save(fixture.output, variant.encoding, variant.flags);
  CheckNoStrayFiles(fixture.folder);
  if (saved != S_OK) {
    if (std::filesystem::exists(fixture.output)) {
      fuzz::Violation("a failed save created its target");
    }
    if (!variant.may_refuse_markup || saved != XML_E_MARKUP_NOT_IN_ENCODING) {
      fuzz::Violation("a save failed",
                      std::string(variant.encoding) + ": " + std::to_string(saved));
    }
    return;
  }
  const std::string bytes = fuzz::ReadWholeFile(fixture.output);
  const fuzz::Reload reload =
      fuzz::LoadAndSaveAgain(fixture.output, fixture.again, variant.encoding, variant.flags);
  if (reload.status == S_OK) {
    fuzz::CheckSameBytes("a saved document changed when loaded and saved again", bytes,
                         reload.saved);
    return;
  }
  // The expansion limit grows with the file: a smaller file may not hold
  // the entities that its larger original could.
  const bool smaller_over_limit =
      reload.status == S_FALSE && bytes.size() < input_size &&
      reload.report.find("Entity expansion exceeds the limit") != std::string::npos;
  if (!smaller_over_limit) {
    fuzz::Violation("a saved document does not load again", std::string(variant.encoding) + ": " +
                                                                std::to_string(reload.status) +
                                                                "\n" + reload.report);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  const std::string input = fixture.folder.Write("in.xml", data, size);

  CParser parser;
  const char* const arguments[] = {"brindle", input.c_str(), fixture.script.c_str(), "/batch"};
  if (parser.SetArguments(4, arguments, fuzz::IsProgramOption) != S_OK) {
    fuzz::Violation("SetArguments failed");
  }
  CXmlFile& document = parser.GetDocument();
  const HRESULT loaded = document.Load(input);
  if (loaded == S_FALSE) {
    std::string report;
    if (document.GetParseErrorText(&report) != S_OK ||
        !report.starts_with("XML parse error on line ")) {
      fuzz::Violation("a parse error without its report", report);
    }
    return 0;
  }
  if (loaded != S_OK) fuzz::Violation("a document file could not be read", std::to_string(loaded));

  const HRESULT result = parser.RunDescriptionFile(fixture.script);
  if (result != S_OK) {
    std::string message;
    std::string listing;
    parser.GetErrorMessage(&message);
    parser.GetErrorListing(&listing);
    fuzz::Violation("the fixed script failed", message + "\n" + listing);
  }

  for (const SaveVariant& variant : kVariants) SaveAndReload(fixture, document, variant, size);
  return 0;
}
