// Running a description file: its lines go to the scanner one by one, and
// the latest of them stay in memory for the error listing, since the file
// may be a pipe that cannot be read twice.
#include <algorithm>
#include <new>

#include "script/parser.h"
#include "script/text_file.h"

namespace {

// Text mode already turned CR LF into LF; what remains of a line end is
// dropped, in any mix.
void RemoveLineEnd(std::string* line) {
  const size_t end = line->find_last_not_of("\r\n");
  line->resize(end == std::string::npos ? 0 : end + 1);
}

}  // namespace

HRESULT CParser::RunDescriptionFile(const std::string& path) {
  try {
    m_descriptionPath = path;
    CTextFile file;
    HRESULT hr = file.Open(path);
    if (FAILED(hr)) return hr;
    BeginRun();
    std::string line;
    while (file.ReadLine(&line) == S_OK) {
      RemoveLineEnd(&line);
      ++m_lineNumber;
      RememberLine(std::move(line));
      hr = RunLine(m_recentLines.back());
      if (hr != S_OK) return hr;
    }
    if (!m_scanner.HasPendingStatement()) return S_OK;
    return Fail(ScriptError::UnexpectedEndOfFile);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void CParser::RememberLine(std::string line) {
  // An error can fall on any token of the pending statement, or on the new
  // line; the listing shows up to five lines above it.
  uint32_t earliest = m_lineNumber;
  const std::vector<Token>& pending = m_scanner.Tokens();
  if (!pending.empty()) earliest = std::min(earliest, pending.front().line);
  const uint32_t keep_from = earliest > kListedLinesAbove ? earliest - kListedLinesAbove : 1;
  while (m_firstRecentLine < keep_from && !m_recentLines.empty()) {
    m_recentLines.pop_front();
    ++m_firstRecentLine;
  }
  if (m_recentLines.empty()) m_firstRecentLine = m_lineNumber;
  m_recentLines.push_back(std::move(line));
}
