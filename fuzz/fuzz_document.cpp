// Fuzz target: XML bytes through load, a fixed script and save, in one of
// four save variants that the input's size picks (plain, indented, UTF-16
// without declaration, Latin-1).
//
// Beyond what the sanitizers catch: a document that loaded, changed and
// saved must load again (the writer must never produce a broken file), and
// a save, failed or not, leaves no temporary file behind.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "script/parser.h"

namespace {

// Reads the whole text (entity references expanded), then changes the
// document in every way a save has to render.
constexpr char kScript[] =
    "get node all;\n"
    "select root;\n"
    "get node text;\n"
    "set attribute fuzzed \"a < b & \"\"c\"\" \\t\";\n"
    "add child text note \"x ]]> y & z\";\n"
    "add child cdatasection raw \"<kept>\";\n"
    "add comment \"seen\";\n"
    "select node \"(//*)[last()]\";\n"
    "add text \"tail\";\n"
    "select node \"(//@*)[1]\";\n"
    "get node attribute;\n"
    "set node \"changed\";\n"
    "select node \"(//text())[1]\";\n"
    "set node \"text & more\";\n";

struct SaveVariant {
  const char* encoding;
  SaveFlags flags;
};
constexpr SaveVariant kVariants[] = {
    {"", SaveFlags::None},
    {"utf-8", SaveFlags::Indent},
    {"UTF-16", SaveFlags::Indent | SaveFlags::NoDeclaration},
    {"iso-8859-1", SaveFlags::None},
};

struct Fixture {
  fuzz::ScratchFolder folder;
  std::string script;
  std::string output;

  Fixture() {
    fuzz::StartXmlLibrary();
    script = folder.Write("script.txt", kScript, sizeof kScript - 1);
    output = folder.PathOf("out.xml");
  }
};

// Only the script, the input and the output may be in the folder.
void CheckNoStrayFiles(const fuzz::ScratchFolder& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.PathOf(""))) {
    const std::string name = entry.path().filename().string();
    if (name != "script.txt" && name != "in.xml" && name != "out.xml") {
      fuzz::Violation("a save left a file behind", name);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  const std::string input = fixture.folder.Write("in.xml", data, size);

  CParser parser;
  const char* const arguments[] = {"brindle", input.c_str(), fixture.script.c_str()};
  if (parser.SetArguments(3, arguments, [](std::string_view) { return false; }) != S_OK) {
    fuzz::Violation("SetArguments failed");
  }
  CXmlFile& document = parser.GetDocument();
  const HRESULT loaded = document.Load(input);
  if (loaded == S_FALSE) {
    std::string report;
    if (document.GetParseErrorText(&report) != S_OK || !report.starts_with("XML parse error on line ")) {
      fuzz::Violation("a parse error without its report", report);
    }
    return 0;
  }
  if (loaded != S_OK) fuzz::Violation("a document file could not be read", std::to_string(loaded));

  parser.RunDescriptionFile(fixture.script);

  std::filesystem::remove(fixture.output);
  const SaveVariant& variant = kVariants[size % std::size(kVariants)];
  const HRESULT saved = document.Save(fixture.output, variant.encoding, variant.flags);
  CheckNoStrayFiles(fixture.folder);
  if (saved != S_OK) {
    if (std::filesystem::exists(fixture.output)) fuzz::Violation("a failed save created its target");
    return 0;
  }
  CXmlFile reloaded;
  if (reloaded.Load(fixture.output) != S_OK) {
    std::string report;
    reloaded.GetParseErrorText(&report);
    // The expansion limit grows with the file, and a save may shrink it.
    if (report.find("Entity expansion exceeds the limit") == std::string::npos) {
      fuzz::Violation("a saved document does not load again", report);
    }
  }
  return 0;
}
