#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

#include "platform/path.h"
#include "platform/system_error.h"

namespace {

// Appends the value of the environment variable name, or returns
// false when no such variable is set.
bool AppendVariable(std::string_view name, std::string* out) {
  if (name.empty()) return false;
  const std::string key(name);
  const char* value = std::getenv(key.c_str());
  if (value == nullptr) return false;
  *out += value;
  return true;
}

bool IsAccessible(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Canonical form of an absolute path; false when it grows beyond PATH_MAX.
bool Canonicalize(std::string_view absolute, std::string* out) {
  std::string result;  // Without trailing slash; empty stands for "/".
  size_t pos = 0;
  while (pos < absolute.size()) {
    size_t slash = absolute.find('/', pos);
    if (slash == std::string_view::npos) slash = absolute.size();
    const std::string_view part = absolute.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      // A symbolic link followed by ".." leads to the link target's parent,
      // as it does for every other program; resolve the prefix first.
      if (!result.empty() && IsAccessible(result)) {
        std::unique_ptr<char, decltype(&free)> real(realpath(result.c_str(), nullptr), &free);
        if (real) result = real.get();
        if (result == "/") result.clear();
      }
      const size_t last = result.rfind('/');
      result.erase(last == std::string::npos ? 0 : last);
      continue;
    }
    result += '/';
    result += part;
    if (result.size() >= PATH_MAX) return false;
  }
  *out = result.empty() ? "/" : result;
  return true;
}

// %NAME% and ${NAME}, each expanded once.
std::string ExpandEnvironment(std::string_view source) {
  std::string out;
  out.reserve(source.size());
  size_t pos = 0;
  while (pos < source.size()) {
    const char c = source[pos];
    if (c == '%') {
      const size_t close = source.find('%', pos + 1);
      if (close != std::string_view::npos &&
          AppendVariable(source.substr(pos + 1, close - pos - 1), &out)) {
        pos = close + 1;
        continue;
      }
    } else if (c == '$' && pos + 1 < source.size() && source[pos + 1] == '{') {
      const size_t close = source.find('}', pos + 2);
      if (close != std::string_view::npos &&
          AppendVariable(source.substr(pos + 2, close - pos - 2), &out)) {
        pos = close + 1;
        continue;
      }
    }
    out += c;
    ++pos;
  }
  return out;
}

}  // namespace

HRESULT ResolvePath(std::string_view source, std::string* out) {
  std::string path = ExpandEnvironment(source);
  if (path.empty() || path[0] != '/') {
    std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
    if (!cwd) return StatusFromLastError();
    std::string absolute = cwd.get();
    absolute += '/';
    absolute += path;
    path = std::move(absolute);
  }
  return Canonicalize(path, out) ? S_OK : HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
}

size_t FileNameOffset(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i + 1 < path.size(); ++i) {
    if (path[i] == '/' && path[i + 1] != '/') start = i + 1;
  }
  return start;
}

std::string ParentFolder(const std::string& full_path) {
  // A resolved path is absolute and canonical: no trailing or doubled
  // slashes, so its last slash ends the folder.
  const size_t slash = full_path.rfind('/');
  return full_path.substr(0, slash == 0 || slash == std::string::npos ? 1 : slash);
}
