#include <windows.h>

#include <algorithm>

#include "platform/file_win32.h"
#include "platform/path.h"
#include "platform/system_error.h"
#include "platform/text_encoding.h"

namespace {

// From this length on a path needs the \\?\ form; CreateDirectoryW stops
// 12 characters short of MAX_PATH, leaving room for a file name.
constexpr size_t kLongPath = MAX_PATH - 12;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A call of the form Call(buffer, size) that returns the length it wrote,
// or the size it needs when the buffer is too small, or 0 on failure.
template <typename Call>
HRESULT GrowingCall(Call call, std::wstring* out) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD needed = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (needed == 0) return StatusFromLastError();
    if (needed <= buffer.size()) {
      // Some calls count the terminator in what they wrote, others not.
      buffer.resize(needed);
      while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
      *out = std::move(buffer);
      return S_OK;
    }
    if (needed > kLongestPath + 1) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    buffer.assign(needed, L'\0');
  }
}

}  // namespace

HRESULT ResolvePath(std::string_view source, std::string* out) {
  const std::wstring typed = Utf8ToWide(source);
  // ExpandEnvironmentStringsW stops at its limit of 32K characters without
  // saying so (Wine's cuts the text there): a text at that limit is
  // refused rather than taken cut.
  constexpr HRESULT kTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  if (typed.size() >= kLongestPath) return kTooLong;
  std::wstring expanded;
  HRESULT hr = GrowingCall(
      [&typed](wchar_t* buffer, DWORD size) {
        return ExpandEnvironmentStringsW(typed.c_str(), buffer, size);
      },
      &expanded);
  if (FAILED(hr)) return hr;
  if (expanded.size() >= kLongestPath) return kTooLong;
  std::wstring full;
  if (expanded.empty()) {
    hr = GrowingCall([](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); },
                     &full);
  } else {
    hr = GrowingCall(
        [&expanded](wchar_t* buffer, DWORD size) {
          return GetFullPathNameW(expanded.c_str(), size, buffer, nullptr);
        },
        &full);
  }
  if (FAILED(hr)) return hr;
  if (full.size() > kLongestPath) return kTooLong;
  *out = WideToUtf8(full);
  return S_OK;
}

std::wstring SystemPath(const std::string& path) {
  std::wstring wide = Utf8ToWide(path);
  if (wide.size() < kLongPath || wide.starts_with(L"\\\\?\\")) return wide;
  const bool unc = wide.size() > 2 && IsSeparator(wide[0]) && IsSeparator(wide[1]);
  const bool drive = wide.size() > 2 && wide[1] == L':' && IsSeparator(wide[2]);
  if (!unc && !drive) return wide;
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return unc ? L"\\\\?\\UNC\\" + wide.substr(2) : L"\\\\?\\" + wide;
}

size_t FileNameOffset(std::string_view path) {
  const auto separates = [](char c) { return c == '/' || c == '\\'; };
  // A drive's colon ends its prefix: "C:file" names "file".
  size_t start = path.size() > 2 && path[1] == ':' ? 2 : 0;
  for (size_t i = start; i + 1 < path.size(); ++i) {
    if (separates(path[i]) && !separates(path[i + 1])) start = i + 1;
  }
  return start;
}

std::string ParentFolder(const std::string& full_path) {
  // GetFullPathNameW's paths use backslashes only. The root, which the
  // parent never cuts into, is "C:\" or "\\server\share".
  const size_t last = full_path.rfind('\\');
  if (last == std::string::npos) return full_path;
  if (full_path.starts_with("\\\\")) {
    const size_t server_end = full_path.find('\\', 2);
    const size_t share_end =
        server_end == std::string::npos ? std::string::npos : full_path.find('\\', server_end + 1);
    if (share_end == std::string::npos) return full_path;
    return full_path.substr(0, std::max(last, share_end));
  }
  constexpr size_t kDriveRoot = 3;  // "C:\"
  if (full_path.size() >= kDriveRoot && full_path[1] == ':') {
    return full_path.substr(0, std::max(last, kDriveRoot));
  }
  return full_path.substr(0, last);
}
