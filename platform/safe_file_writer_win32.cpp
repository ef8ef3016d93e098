#include <fcntl.h>
#include <windows.h>
// bcrypt.h needs the types of windows.h.
#include <bcrypt.h>

#include "platform/file_win32.h"
#include "platform/interrupt_cleanup.h"
#include "platform/safe_file_writer.h"
#include "platform/system_error.h"
#include "platform/text_encoding.h"

namespace {

constexpr std::string_view kTemporaryInfix = ".brindle-";
constexpr std::string_view kPreviousSuffix = "-previous";
constexpr std::string_view kRandomAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kRandomLength = 6;
constexpr int kCreateAttempts = 100;
// A file name holds 255 characters; the temporary's own part must fit.
constexpr size_t kLongestStem = 200;

// While marked, the system deletes the file as its last handle closes.
bool MarkForDeletion(int fd, bool marked) {
  FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(marked)};
  return SetFileInformationByHandle(HandleOf(fd), FileDispositionInfo, &disposition,
                                    sizeof disposition) != 0;
}

// ".<name>.brindle-" + kRandomLength random characters, beside target.
std::string TemporaryPath(const std::string& target) {
  const size_t separator = target.find_last_of("\\/");
  const size_t name_start = separator == std::string::npos ? 0 : separator + 1;
  std::string name = target.substr(name_start);
  if (name.size() > kLongestStem) {
    size_t cut = kLongestStem;
    // Not inside a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  unsigned char random[kRandomLength];
  if (!BCRYPT_SUCCESS(
          BCryptGenRandom(nullptr, random, sizeof random, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    // Still different from attempt to attempt; CREATE_NEW keeps them apart.
    static unsigned attempt = 0;
    for (unsigned char& byte : random)
      byte = static_cast<unsigned char>(GetTickCount() + ++attempt);
  }
  std::string path = target.substr(0, name_start) + "." + name + std::string(kTemporaryInfix);
  for (unsigned char byte : random) path += kRandomAlphabet[byte % kRandomAlphabet.size()];
  return path;
}

}  // namespace

CSafeFileWriter::CSafeFileWriter() = default;

// The temporary goes with its handle, unless Commit put it in place.
CSafeFileWriter::~CSafeFileWriter() = default;

HRESULT CSafeFileWriter::Open(const std::string& target) {
  m_target = target;
  HRESULT hr = S_OK;
  if (target == kStandardOutputPath) {
    // Written directly even when it is a file: replacing the file by name
    // would leave the stream writing to the old one.
    m_route = Route::Stream;
    hr = DuplicateStandardHandle(STD_OUTPUT_HANDLE, _O_WRONLY, &m_stream);
    if (SUCCEEDED(hr)) m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    return hr;
  }
  // Opened for writing as any program would open it: a read-only file, a
  // folder and a file that another program keeps from being written fail
  // here, before anything is written.
  const HANDLE existing = CreateFileW(SystemPath(target).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (existing == INVALID_HANDLE_VALUE) {
    hr = StatusFromLastError();
    if (hr != E_FILE_NOT_FOUND) return hr;
    m_route = Route::NewFile;
    hr = CreateTemporary();
  } else if (GetFileType(existing) != FILE_TYPE_DISK) {
    // A device (CON, NUL, a serial port) or a pipe.
    m_route = Route::Stream;
    hr = AdoptHandle(existing, _O_WRONLY, &m_stream);
  } else {
    // The file itself, at the end of any symbolic links: replaced by name,
    // a link would become a file and the file it named be lost.
    std::wstring final_path(kLongestPath + 1, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(existing, final_path.data(),
                                                   static_cast<DWORD>(final_path.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= final_path.size()) hr = StatusFromLastError();
    CloseHandle(existing);
    if (FAILED(hr)) return hr;
    final_path.resize(length);
    m_target = WideToUtf8(final_path);
    m_route = Route::Replace;
    hr = CreateTemporary();
  }
  if (FAILED(hr)) return hr;
  m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  return S_OK;
}

HRESULT CSafeFileWriter::CreateTemporary() {
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string path = TemporaryPath(m_target);
    const HANDLE handle =
        CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                    FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const HRESULT hr = StatusFromLastError();
      if (hr == HRESULT_FROM_WIN32(ERROR_FILE_EXISTS)) continue;
      return hr;
    }
    HRESULT hr = AdoptHandle(handle, _O_RDWR, &m_temp);
    if (FAILED(hr)) return hr;
    if (!MarkForDeletion(m_temp.Get(), true)) {
      hr = StatusFromLastError();
      m_temp.Reset();
      DeleteFileW(SystemPath(path).c_str());
      return hr;
    }
    m_tempPath = std::move(path);
    return S_OK;
  }
  return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
}

HRESULT CSafeFileWriter::WriteOut(const void* data, size_t size) {
  return WriteAll(m_route == Route::Stream ? m_stream.Get() : m_temp.Get(), data, size);
}

HRESULT CSafeFileWriter::Commit() {
  if (FAILED(Flush())) return m_status;
  if (m_route == Route::Stream) return m_status = m_stream.Close();
  if (!FlushFileBuffers(HandleOf(m_temp.Get())) || !MarkForDeletion(m_temp.Get(), false)) {
    return m_status = StatusFromLastError();
  }
  // The system replaces files by name, and not while the temporary is open.
  // From here to the end of PutInPlace an interrupt would leave it behind.
  const CDeferInterrupts defer;
  m_temp.Reset();
  m_status = PutInPlace();
  if (FAILED(m_status)) DeleteFileW(SystemPath(m_tempPath).c_str());
  return m_status;
}

HRESULT CSafeFileWriter::PutInPlace() {
  const std::wstring target = SystemPath(m_target);
  const std::wstring temp = SystemPath(m_tempPath);
  if (m_route == Route::NewFile) {
    return MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? S_OK
               : StatusFromLastError();
  }
  // With a backup name the system leaves both files under their own names
  // when the replacement fails, or the previous one under the backup name.
  const std::wstring previous = SystemPath(m_tempPath + std::string(kPreviousSuffix));
  if (ReplaceFileW(target.c_str(), temp.c_str(), previous.c_str(), 0, nullptr, nullptr)) {
    DeleteFileW(previous.c_str());
    return S_OK;
  }
  const HRESULT hr = StatusFromLastError();
  if (hr == HRESULT_FROM_WIN32(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)) {
    MoveFileExW(previous.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
  }
  return hr;
}
