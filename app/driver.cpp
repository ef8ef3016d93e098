#include "app/driver.h"

#include <unistd.h>

#include <chrono>

#include "app/app_console.h"
#include "console/crash_handler.h"
#include "platform/document_lock.h"
#include "platform/file.h"
#include "platform/half_written.h"
#include "platform/interrupt_cleanup.h"
#include "script/parser.h"
#include "xml/xml_library.h"

namespace {

// Exit codes: each names the stage that ended the run.
constexpr int kExitSaved = 0;
constexpr int kExitCommandLine = 1;
constexpr int kExitInitialization = 2;
constexpr int kExitOpen = 4;
constexpr int kExitParse = 5;
constexpr int kExitDescriptionFile = 6;
constexpr int kExitCommandLineUpdate = 7;
constexpr int kExitSave = 8;

// A run waits this long for another run on the same document, and says so
// once it has waited the first.
constexpr LockWait kLockWait{std::chrono::seconds(1), std::chrono::minutes(10)};

// After FILE_E_HALF_WRITTEN for the file at path: where its previous content
// is, and what to do with it.
void ReportHalfWritten(CConsole& console, const std::string& path) {
  std::string journal;
  if (FindInPlaceJournal(path, &journal) != FILE_E_HALF_WRITTEN) return;
  console.PrintErrorNote("Its previous content was kept in: %s", journal.c_str());
  console.PrintErrorNote(
      "Copy that file over the document to restore it, then delete it (or delete it alone to "
      "keep the document as it is).");
}

int OpenDocument(CConsole& console, CXmlFile& document, CDocumentLock* lock) {
  const std::string& path = console.DocumentPath();
  const bool create = console.IsOptionSet(kOptionCreate);
  // Standard input is nobody else's to write: it is read without a lock.
  const bool from_input = console.DocumentFromStandardInput();
  const bool exists = from_input || PathExists(path);
  // From here until its save is done, this run has the document to itself.
  HRESULT hr = S_OK;
  if (!from_input && (create || exists)) {
    hr = lock->Acquire(path, kLockWait, [&console] {
      console.PrintInfo("Waiting for another run on this document to finish...");
    });
  }
  const char* success = "XML document successfully loaded.\n\n";
  if (SUCCEEDED(hr) && create && !exists) {
    console.PrintInfo("Creating new in-memory document...");
    hr = document.Create();
    success = "XML document successfully created.\n\n";
  } else {
    console.PrintInfo("Loading document from: %s...", path.c_str());
    const LoadFlags load_flags =
        console.IsOptionSet(kOptionPreserve) ? LoadFlags::KeepSource : LoadFlags::None;
    if (SUCCEEDED(hr)) hr = exists ? document.Load(path, load_flags) : E_FILE_NOT_FOUND;
  }
  if (hr == S_OK) {
    console.PrintText("%s", success);
    return kExitSaved;
  }
  if (hr == S_FALSE) {
    std::string report;
    document.GetParseErrorText(&report);
    console.PrintErrorText("%s", report.c_str());
    return kExitParse;
  }
  console.PrintError("Could not open the XML document.", hr);
  if (hr == FILE_E_HALF_WRITTEN) ReportHalfWritten(console, path);
  return kExitOpen;
}

// Prints the error of a failed script run: for a failure status, the
// engine's text as the error line when it names a line of a description
// file (else it would only say "System error", and the summary says more),
// then the status's text; for a script error, the summary line and the
// engine's text.
void ReportRunError(CConsole& console, CParser& parser, HRESULT result, const char* summary) {
  std::string message;
  parser.GetErrorMessage(&message);
  if (FAILED(result)) {
    const bool in_file = console.IsOptionSet(kOptionBatch);
    console.PrintError("%s", result, in_file ? message.c_str() : summary);
  } else {
    console.PrintErrorText("%s", summary);
    console.PrintErrorVerbatim(message + "\n\n");
  }
}

int ApplyChanges(CConsole& console, CParser& parser) {
  if (console.IsOptionSet(kOptionBatch)) {
    const std::string& path = console.DescriptionFilePath();
    console.PrintInfo("Processing file: %s...", path.c_str());
    const HRESULT result = parser.RunDescriptionFile(path);
    if (result == S_OK) {
      console.PrintText(
          "Description file successfully processed.\n%u command(s) successfully executed.\n\n",
          parser.GetExecutedCount());
      return kExitSaved;
    }
    console.PrintInfo("Stopped on error.");
    ReportRunError(console, parser, result, "Could not process the description file.");
    std::string listing;
    if (SUCCEEDED(parser.GetErrorListing(&listing)) && !listing.empty()) {
      console.PrintErrorVerbatim(listing);
    }
    return kExitDescriptionFile;
  }
  if (!console.QueryString().empty()) {
    console.PrintInfo("Processing command-line...");
    const bool get = console.IsOptionSet(kOptionGet);
    using Action = CParser::QueryAction;
    Action action = get ? Action::GetFirst : Action::SetFirst;
    if (console.IsOptionSet(kOptionAll)) action = get ? Action::GetEvery : Action::SetEvery;
    const HRESULT result = parser.RunCommandLine(console.QueryString(), console.Value(), action);
    if (result == S_OK) {
      console.PrintText("Update successfully applied.\n\n");
      return kExitSaved;
    }
    ReportRunError(console, parser, result,
                   get ? "Could not read the XML document." : "Could not update XML document.");
    return kExitCommandLineUpdate;
  }
  return kExitSaved;
}

int SaveDocument(CConsole& console, CXmlFile& document) {
  const std::string& path = console.OutputPath();
  console.PrintInfo("Saving document to: %s...", path.c_str());
  SaveFlags flags = SaveFlags::None;
  if (console.IsOptionSet(kOptionIndent)) flags = flags | SaveFlags::Indent;
  if (console.IsOptionSet(kOptionNoDeclaration)) flags = flags | SaveFlags::NoDeclaration;
  // Without /encoding, a preserving save keeps the document's own.
  const bool preserve = console.IsOptionSet(kOptionPreserve);
  if (preserve) flags = flags | SaveFlags::Preserve;
  const std::string encoding =
      preserve && !console.IsOptionSet(kOptionEncoding) ? std::string() : console.Encoding();
  const HRESULT hr = document.Save(path, encoding, flags);
  if (hr == S_OK) {
    if (document.SavedUnchanged())
      console.PrintInfo("The document is unchanged: the file was not rewritten.");
    console.PrintText("XML document successfully saved.\n\n");
    return kExitSaved;
  }
  console.PrintError("Could not save the XML document.", hr);
  if (hr == XML_E_NOT_PRESERVABLE || hr == XML_E_SOURCE_MISMATCH) {
    console.PrintInfo("Without /preserve the document can be saved, written anew.");
  }
  if (hr == FILE_E_HALF_WRITTEN) ReportHalfWritten(console, path);
  const SaveReport& report = document.GetSaveReport();
  if (!report.journal_folder.empty()) {
    console.PrintErrorNote(
        "The file has to be written in place (it has several hard links, another owner, or a "
        "folder that takes no new files), and its previous content could not be kept first in: "
        "%s",
        report.journal_folder.c_str());
  }
  if (!report.kept_document.empty()) {
    console.PrintErrorNote(
        "The file could not be written whole, nor restored: it may be half written.");
    console.PrintErrorNote("The complete document was kept in: %s", report.kept_document.c_str());
    console.PrintErrorNote("Its previous content was kept in: %s", report.kept_previous.c_str());
    console.PrintErrorNote(
        "Copy either over the file, then delete both; until then, runs on the file stop before "
        "they load or save it.");
  }
  return kExitSave;
}

// Names the console as the crash report's target for as long as it lives.
class CrashReportTargetScope {
 public:
  explicit CrashReportTargetScope(const CBaseConsole* console) { SetCrashReportTarget(console); }
  ~CrashReportTargetScope() { SetCrashReportTarget(nullptr); }
  CrashReportTargetScope(const CrashReportTargetScope&) = delete;
  CrashReportTargetScope& operator=(const CrashReportTargetScope&) = delete;
};

}  // namespace

int RunProgram(int argc, char** argv) {
  CrashReportSettings crash_settings;
  if (GetCrashReportSettings(&crash_settings)) InstallCrashHandler(crash_settings);
  // An interrupted run removes the temporary copy it was writing.
  InstallInterruptCleanup();
  // The program's own locale stays "C" (numbers always use a full stop):
  // the two things that follow the user's locale, the character set of the
  // "text" output mode and the names in dates, read it where they need it,
  // which spares every other run loading the locale's files.

  CConsole console;
  const CrashReportTargetScope crash_target(&console);
  console.ParseCommandLine(argc, argv);
  // The version alone is the whole output, for scripts that read it.
  const bool version = console.IsOptionSet(kOptionVersion);
  if (!version) console.PrintBanner();
  if (console.ReportCommandLine()) return kExitCommandLine;
  if (version) {
    console.PrintTitle();
    return kExitSaved;
  }

  XmlLibrary xml_library;
  HRESULT hr = xml_library.Initialize();
  if (FAILED(hr)) {
    console.PrintError("XML parser initialization failed.", hr);
    return kExitInitialization;
  }

  // The engine owns the document; it is destroyed before the library is
  // cleaned up.
  CParser parser;
  hr = parser.SetArguments(argc, argv, [&console](std::string_view argument) {
    return console.IsOptionArgument(argument);
  });
  if (hr != S_OK) {
    console.PrintError("Could not load application arguments.", hr);
    return kExitInitialization;
  }

  // What print and /get read out is the run's output, whatever the display
  // level; a write that fails (a closed pipe) fails the run. When the
  // document itself goes to standard output, it goes to standard error.
  const int output = console.DocumentToStandardOutput() ? STDERR_FILENO : STDOUT_FILENO;
  parser.SetOutput(
      [output](std::string_view text) { return WriteAll(output, text.data(), text.size()); });

  CDocumentLock lock;
  int code = OpenDocument(console, parser.GetDocument(), &lock);
  if (code == kExitSaved && !console.SelectionNamespaces().empty()) {
    // The bindings were checked with the options; the property still has
    // the last word on them.
    hr = parser.GetDocument().SetProperty("SelectionNamespaces", console.SelectionNamespaces());
    if (FAILED(hr)) {
      console.PrintError("Invalid /ns binding.", hr);
      code = kExitCommandLine;
    }
  }
  if (code == kExitSaved) code = ApplyChanges(console, parser);
  // A query run reads and saves nothing.
  if (code == kExitSaved && !console.IsOptionSet(kOptionGet)) {
    code = SaveDocument(console, parser.GetDocument());
  }
  return code;
}
