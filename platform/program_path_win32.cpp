#include <windows.h>

#include "platform/program_path.h"
#include "platform/text_encoding.h"

std::string GetProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    // A name that filled the buffer may have been cut.
    if (length < buffer.size()) return WideToUtf8(std::wstring_view(buffer.data(), length));
    if (buffer.size() > 32767) return {};
    buffer.resize(buffer.size() * 2);
  }
}
