#include "platform/file_win32.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "platform/system_error.h"

namespace {

// Opens an existing file for reading.
HRESULT OpenExisting(const std::string& path, DWORD sharing, DWORD flags, HANDLE* handle) {
  if (path.empty()) return E_FILE_NOT_FOUND;
  *handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | flags, nullptr);
  return *handle == INVALID_HANDLE_VALUE ? StatusFromLastError() : S_OK;
}

// One call moves at most 1 GiB, so that its count fits a DWORD and a long.
DWORD ChunkOf(size_t size) { return static_cast<DWORD>(std::min<size_t>(size, 1u << 30)); }

}  // namespace

void UniqueFd::Reset(int fd) {
  if (m_fd >= 0) _close(m_fd);
  m_fd = fd;
}

HRESULT UniqueFd::Close() {
  const int fd = Release();
  if (fd >= 0 && _close(fd) != 0) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
  return S_OK;
}

bool PathExists(const std::string& path) {
  return !path.empty() && GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

HRESULT AdoptHandle(HANDLE handle, int flags, UniqueFd* fd) {
  const int opened = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (opened < 0) {
    CloseHandle(handle);
    return HRESULT_FROM_WIN32(ERROR_TOO_MANY_OPEN_FILES);
  }
  fd->Reset(opened);
  return S_OK;
}

HRESULT OpenRegularFileHandle(const std::string& path, ReadHint hint, HANDLE* handle,
                              BY_HANDLE_FILE_INFORMATION* facts) {
  HANDLE opened = INVALID_HANDLE_VALUE;
  HRESULT hr = OpenExisting(path, FILE_SHARE_READ,
                            hint == ReadHint::Sequential ? FILE_FLAG_SEQUENTIAL_SCAN : 0, &opened);
  if (FAILED(hr)) return hr;
  // A folder fails to open above; a device or a pipe here, where the
  // system keeps no file facts.
  if (facts != nullptr ? !GetFileInformationByHandle(opened, facts)
                       : GetFileType(opened) != FILE_TYPE_DISK) {
    hr = E_ACCESS_DENIED;
  }
  if (FAILED(hr)) {
    CloseHandle(opened);
    return hr;
  }
  *handle = opened;
  return S_OK;
}

HRESULT DuplicateStandardHandle(DWORD which, int flags, UniqueFd* fd) {
  const HANDLE standard = GetStdHandle(which);
  HANDLE own = INVALID_HANDLE_VALUE;
  if (standard == nullptr || standard == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), standard, GetCurrentProcess(), &own, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return standard == nullptr ? E_HANDLE : StatusFromLastError();
  }
  return AdoptHandle(own, flags, fd);
}

HRESULT OpenForReading(const std::string& path, UniqueFd* fd) {
  if (path == kStandardInputPath) return DuplicateStandardHandle(STD_INPUT_HANDLE, _O_RDONLY, fd);
  // Whatever others do with the file meanwhile, as on Linux.
  HANDLE handle = INVALID_HANDLE_VALUE;
  const HRESULT hr =
      OpenExisting(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, &handle);
  return SUCCEEDED(hr) ? AdoptHandle(handle, _O_RDONLY, fd) : hr;
}

HRESULT OpenRegularFileForReading(const std::string& path, UniqueFd* fd, ReadHint hint) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const HRESULT hr = OpenRegularFileHandle(path, hint, &handle);
  return SUCCEEDED(hr) ? AdoptHandle(handle, _O_RDONLY, fd) : hr;
}

HRESULT GetOpenFileSize(int fd, uint64_t* size) {
  const HANDLE handle = HandleOf(fd);
  LARGE_INTEGER bytes;
  if (GetFileType(handle) != FILE_TYPE_DISK) return E_ACCESS_DENIED;
  if (!GetFileSizeEx(handle, &bytes)) return StatusFromLastError();
  *size = static_cast<uint64_t>(bytes.QuadPart);
  return S_OK;
}

long ReadSome(int fd, void* buffer, size_t size, HRESULT* status) {
  DWORD count = 0;
  if (ReadFile(HandleOf(fd), buffer, ChunkOf(size), &count, nullptr))
    return static_cast<long>(count);
  // The writer of a pipe went away: that is its end.
  if (GetLastError() == ERROR_BROKEN_PIPE) return 0;
  *status = StatusFromLastError();
  return -1;
}

long ReadSomeAt(int fd, void* buffer, size_t size, uint64_t offset, HRESULT* status) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD count = 0;
  if (ReadFile(HandleOf(fd), buffer, ChunkOf(size), &count, &at)) return static_cast<long>(count);
  if (GetLastError() == ERROR_HANDLE_EOF) return 0;
  *status = StatusFromLastError();
  return -1;
}

HRESULT WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(HandleOf(fd), bytes, ChunkOf(size), &written, nullptr)) {
      return StatusFromLastError();
    }
    bytes += written;
    size -= written;
  }
  return S_OK;
}
