#include <windows.h>

#include <string>

#include "platform/standard_output.h"
#include "platform/text_encoding.h"

namespace {

// Every line feed that does not end a CR LF already becomes one.
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

void WriteBytes(HANDLE out, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    DWORD written = 0;
    if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr) ||
        written == 0) {
      return;
    }
    done += written;
  }
}

}  // namespace

void WriteStandardStream(StandardStream stream, std::string_view text, OutputMode mode) {
  const HANDLE out =
      GetStdHandle(stream == StandardStream::Error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  const std::string lines = WithCrLf(text);
  DWORD console_mode = 0;
  const bool console = GetConsoleMode(out, &console_mode) != 0;
  if (console && mode != OutputMode::Locale) {
    const std::wstring wide = Utf8ToWide(lines);
    DWORD written = 0;
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  switch (mode) {
    case OutputMode::Utf8:
      WriteBytes(out, lines);
      break;
    case OutputMode::Locale:
      WriteBytes(out, Utf8ToCodePage(lines, console ? GetConsoleOutputCP() : GetACP()));
      break;
    case OutputMode::Utf16:
      WriteBytes(out, Utf8ToUtf16Le(lines));
      break;
  }
}
