#include "script/text_file.h"

#include <string_view>

#include "platform/file.h"
#include "platform/text_encoding.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char kEndOfFile = '\x1A';  // Ctrl-Z
constexpr size_t kReadSize = 64 * 1024;
// Far beyond any real description file, and a bound for one that never
// ends (/dev/zero, an endless pipe), which would otherwise fill the memory.
constexpr size_t kMaxFileSize = 64u << 20;

// The text before the first Ctrl-Z.
std::string_view UpToEndOfFile(std::string_view text) {
  return text.substr(0, text.find(kEndOfFile));
}

HRESULT ReadAll(int fd, std::string* bytes) {
  for (;;) {
    const size_t size = bytes->size();
    bytes->resize(size + kReadSize);
    HRESULT hr = S_OK;
    const long count = ReadSome(fd, bytes->data() + size, kReadSize, &hr);
    bytes->resize(size + static_cast<size_t>(count > 0 ? count : 0));
    if (count < 0) return hr;
    if (count == 0) return S_OK;
    if (bytes->size() > kMaxFileSize) return SCRIPT_E_FILE_TOO_LARGE;
  }
}

}  // namespace

HRESULT CTextFile::Open(const std::string& path) {
  Close();
  std::string bytes;
  {
    UniqueFd fd;
    HRESULT hr = OpenForReading(path, &fd);
    if (SUCCEEDED(hr)) hr = ReadAll(fd.Get(), &bytes);
    if (FAILED(hr)) return hr;
  }
  const std::string_view content(bytes);
  if (content.starts_with(kUtf8Mark)) {
    m_text = ReplaceInvalidUtf8(UpToEndOfFile(content.substr(kUtf8Mark.size())));
  } else if (content.starts_with(kUtf16LeMark)) {
    // Ctrl-Z is a character here, not a byte: cut after decoding.
    m_text = Utf16LeToUtf8(content.substr(kUtf16LeMark.size()));
    m_text.resize(UpToEndOfFile(m_text).size());
  } else if (content.starts_with(kUtf16BeMark)) {
    return SCRIPT_E_UTF16BE_FILE;
  } else {
    // What follows a Ctrl-Z is never read, so it does not decide either.
    m_text = DecodeUnmarkedText(UpToEndOfFile(content));
  }
  return S_OK;
}

HRESULT CTextFile::ReadLine(std::string* line) {
  line->clear();
  if (m_next >= m_text.size()) return S_FALSE;
  size_t end = m_text.find('\n', m_next);
  size_t next = end + 1;
  if (end == std::string::npos) {
    end = m_text.size();
    next = end;
  } else if (end > m_next && m_text[end - 1] == '\r') {
    --end;  // CR LF ends a line as LF does
  }
  line->assign(m_text, m_next, end - m_next);
  m_next = next;
  return S_OK;
}

void CTextFile::Close() {
  m_text.clear();
  m_text.shrink_to_fit();
  m_next = 0;
}
