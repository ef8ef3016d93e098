// Fuzz target: description text through the scanner and the executor,
// whose commands and functions really act: on a document, a Windows
// executable with a version resource, and the description file itself, in
// a scratch folder that is the working folder while the script runs. An
// input that starts with "?" is a command-line update instead: its first
// line is the query, the rest the value.
//
// The arguments reach the script as the program passes them: $1 the
// document, $2 the description file, $3 the executable, $4 a number, $5 the
// document by a relative path; the option that follows ends the list.
//
// Beyond what the sanitizers catch:
// - a run ends in success, a script error that names its line (and, for a
//   description file, lists it), or a failure status that has a text;
// - a command-line update that fails leaves the document as it was;
// - whatever the run leaves saves, and, when it has a document element,
//   loads again; saved from that load it keeps its bytes through one more
//   load and save (the first reload may drop blank text a script made).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/test_pe_image.h"
#include "script/parser.h"

namespace {

constexpr uint32_t kFileVersionMs = 0x0001000A;  // 1.10
constexpr uint32_t kFileVersionLs = 0x00020003;  // 2.3

// What the functions must give for the fixture, checked once: a failure
// means the target no longer reaches what it is meant to.
constexpr char kProbe[] =
    "var arguments = $0 + \"|\" + @FileName($1) + \"|\" + @FileName($2) + \"|\" + $3 + \"|\" + $4"
    " + \"|\" + $5;\n"
    "var version = @Version($3, \"#.#.#.#\");\n"
    "var product = @VersionInfo($3, \"ProductName\");\n"
    "var md5 = @Hash($5, \"MD5\");\n"
    "var sha1 = @Hash($5, \"\");\n"
    "var size = @Size($5, \"B\", \"\");\n"
    "var written = @LastWriteTime($5, \"yyyy-MM-dd\", \"HH:mm:ss\");\n"
    "var read = @LastAccessTime($5, \"ddd\", \"tt\");\n";

struct Fixture {
  fuzz::ScratchFolder folder;
  std::string document;
  std::string script;
  std::string output;
  std::string again;
  std::string before;
  std::string after;

  Fixture() {
    fuzz::StartXmlLibrary();
    fuzz::DetachStandardInput();
    document = folder.Write("doc.xml", fuzz::kSettingsDocument);
    const std::string image = test_pe::Image(
        false, test_pe::Encode(test_pe::VersionRoot(
                   kFileVersionMs, kFileVersionLs,
                   {{"ProductName", " Brindle Fuzz "}, {"CompanyName", "Example"}})));
    folder.Write("app.exe", image);
    script = folder.PathOf("changes.txt");
    output = folder.PathOf("out.xml");
    again = folder.PathOf("again.xml");
    before = folder.PathOf("before.xml");
    after = folder.PathOf("after.xml");
    Probe();
  }

  void Probe();
};

// The program's command line; the option ends what scripts see.
constexpr int kArgumentCount = 8;

struct Run {
  explicit Run(const Fixture& fixture)
      : arguments{"brindle",
                  fixture.document.c_str(),
                  fixture.script.c_str(),
                  "app.exe",
                  "42",
                  "doc.xml",
                  "/batch",
                  "beyond"} {
    if (parser.SetArguments(kArgumentCount, arguments, fuzz::IsProgramOption) != S_OK) {
      fuzz::Violation("SetArguments failed");
    }
    if (parser.GetDocument().Load(fixture.document) != S_OK) {
      fuzz::Violation("the fixed document did not load");
    }
  }
  std::string Message() const {
    std::string message;
    parser.GetErrorMessage(&message);
    return message;
  }

  const char* const arguments[kArgumentCount];
  CParser parser;
};

std::string VariableText(const CParser& parser, std::string_view name) {
  const ScriptValue* value = parser.FindVariable(name);
  if (value == nullptr || !value->IsString()) {
    fuzz::Violation("a probe variable is not a string", name);
  }
  return std::string(value->String());
}

void Fixture::Probe() {
  const fuzz::WorkingFolder here(folder);
  {
    Run run(*this);
    folder.Write("changes.txt", kProbe);
    if (run.parser.RunDescriptionFile(script) != S_OK) {
      fuzz::Violation("the probe script failed", run.Message());
    }
    const auto expect = [&run](std::string_view name, std::string_view expected) {
      const std::string actual = VariableText(run.parser, name);
      if (actual != expected) {
        fuzz::Violation("a probe gave another value",
                        std::string(name) + ": " + actual + " instead of " + std::string(expected));
      }
    };
    expect("arguments", "brindle|doc.xml|changes.txt|app.exe|42|doc.xml");
    expect("version", "1.10.2.3");
    expect("product", "Brindle Fuzz");
    expect("size", std::to_string(sizeof fuzz::kSettingsDocument - 1));
    if (VariableText(run.parser, "md5").size() != 32 ||
        VariableText(run.parser, "sha1").size() != 40) {
      fuzz::Violation("a probe hash has the wrong length");
    }
  }
  {
    // The arguments end at the first option.
    Run run(*this);
    folder.Write("changes.txt", "var beyond = $6;\n");
    if (run.parser.RunDescriptionFile(script) != S_FALSE ||
        !run.Message().starts_with("Argument out of range")) {
      fuzz::Violation("an argument after the first option reached the script", run.Message());
    }
  }
  {
    // Scripts can make the document's size matter.
    Run run(*this);
    folder.Write("changes.txt", "set property MaxXMLSize \"1\";\nload $1;\n");
    if (run.parser.RunDescriptionFile(script) == S_OK ||
        run.Message().find(" in line 2.") == std::string::npos) {
      fuzz::Violation("the fixed document is not over a limit of 1 KB", run.Message());
    }
  }
}

bool HasDocumentElement(CXmlFile& document) {
  std::string text;
  return document.SelectRoot() == S_OK && document.GetText(&text) != XML_E_NO_CURRENT_NODE;
}

// Which ends of a run are legal; see the file comment.
void CheckOutcome(CParser& parser, HRESULT result, bool description_file) {
  if (result == S_OK) return;
  std::string message;
  std::string listing;
  parser.GetErrorMessage(&message);
  const HRESULT listed = parser.GetErrorListing(&listing);
  if (FAILED(result)) {
    fuzz::CheckHasText(result, "a run failed without a reason");
    return;
  }
  if (result != S_FALSE) {
    fuzz::Violation("a run ended with an unknown status", std::to_string(result));
  }
  if (message == "System error.") fuzz::Violation("a script error without its message");
  if (!description_file) return;
  if (message.find(" in line ") == std::string::npos || listed != S_OK ||
      listing.find('^') == std::string::npos) {
    fuzz::Violation("a script error without its line", message + "\n" + listing);
  }
}

void SaveAndReload(const Fixture& fixture, CXmlFile& document) {
  const bool has_root = HasDocumentElement(document);
  const HRESULT saved = document.Save(fixture.output, "", SaveFlags::Indent);
  if (saved != S_OK) fuzz::Violation("the document could not be saved", std::to_string(saved));
  if (!has_root) return;
  const fuzz::Reload first =
      fuzz::LoadAndSaveAgain(fixture.output, fixture.again, "", SaveFlags::Indent);
  if (first.status != S_OK) {
    fuzz::Violation("a saved document does not load again", first.report);
  }
  const fuzz::Reload second =
      fuzz::LoadAndSaveAgain(fixture.again, fixture.output, "", SaveFlags::Indent);
  if (second.status != S_OK) {
    fuzz::Violation("a saved document does not load again", second.report);
  }
  fuzz::CheckSameBytes("a document changed when loaded and saved again", first.saved, second.saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture fixture;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  fixture.folder.Write("changes.txt", input);
  const fuzz::WorkingFolder here(fixture.folder);

  Run run(fixture);
  CXmlFile& document = run.parser.GetDocument();
  if (input.starts_with('?')) {
    const size_t line_end = input.find('\n');
    const std::string_view query = input.substr(0, line_end);
    const std::string_view value =
        line_end == std::string_view::npos ? std::string_view() : input.substr(line_end + 1);
    if (document.Save(fixture.before, "", SaveFlags::None) != S_OK) {
      fuzz::Violation("the fixed document did not save");
    }
    // Every action of the command line, picked by the query's length: none
    // may change the document when it fails.
    const auto action = static_cast<CParser::QueryAction>(query.size() % 4);
    const HRESULT result = run.parser.RunCommandLine(query, value, action);
    CheckOutcome(run.parser, result, false);
    if (result != S_OK) {
      if (document.Save(fixture.after, "", SaveFlags::None) != S_OK) {
        fuzz::Violation("the document did not save after a failed update");
      }
      fuzz::CheckSameBytes("a failed command-line update changed the document",
                           fuzz::ReadWholeFile(fixture.before), fuzz::ReadWholeFile(fixture.after));
    }
  } else {
    CheckOutcome(run.parser, run.parser.RunDescriptionFile(fixture.script), true);
  }
  SaveAndReload(fixture, document);
  return 0;
}
