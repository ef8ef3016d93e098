// What the crash handlers of both systems share: the program's identity
// from its version record, and the message that tells the user where the
// report went.
#include "console/crash_handler.h"

#include "console/console_version_info.h"
#include "console/message_writer.h"
#include "console/string_table.h"

namespace {

// Stands for the report's path while its text is composed ahead of time.
constexpr char kPathMarker = '\x01';

// Composes what PrintErrorResource would print, with the path marker in
// place of the path.
class ComposingWriter : public CMessageWriter {
 public:
  ComposingWriter() { SetDecoration(kDecorationLabels); }
  std::string text;

 protected:
  void Write(const std::string& piece, StandardStream) override { text += piece; }
};

}  // namespace

bool GetProgramIdentity(ProgramIdentity* program) {
  const CConsoleVersionInfo version;
  if (FAILED(version.GetStringValue("CompanyName", &program->company)) ||
      FAILED(version.GetStringValue("ProductName", &program->product)) ||
      program->product.empty()) {
    return false;
  }
  program->numbers = std::to_string(version.file_version_ms >> 16) + "." +
                     std::to_string(version.file_version_ms & 0xFFFF) + "." +
                     std::to_string(version.file_version_ls >> 16) + "." +
                     std::to_string(version.file_version_ls & 0xFFFF);
  version.GetStringValue("FileVersion", &program->file_version);
  return true;
}

bool ComposeCrashMessage(std::string* before_path, std::string* after_path) {
  ComposingWriter writer;
  writer.PrintErrorResource(kStringCrashReport, std::string(1, kPathMarker).c_str());
  const size_t marker = writer.text.find(kPathMarker);
  if (marker == std::string::npos) return false;
  *before_path = writer.text.substr(0, marker);
  *after_path = writer.text.substr(marker + 1);
  return true;
}
