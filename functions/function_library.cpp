#include "functions/function_library.h"

// Placeholder definitions until the file functions are built; LowerCaseAscii
// and UpperCaseAscii are complete.

std::string LowerCaseAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

std::string UpperCaseAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::string FileNameOf(std::string_view) { return {}; }
HRESULT FullPathOf(std::string_view, std::string*) { return E_NOTIMPL; }
HRESULT DirectoryOf(std::string_view, std::string*) { return E_NOTIMPL; }
HRESULT FileVersionText(std::string_view, std::string_view, std::string*) { return E_NOTIMPL; }
HRESULT FileVersionInfoText(std::string_view, std::string_view, std::string*) {
  return E_NOTIMPL;
}
HRESULT FileSizeText(std::string_view, std::string_view, int, std::string*) { return E_NOTIMPL; }
HRESULT FileTimeText(std::string_view, FileTimeKind, std::string_view, std::string_view,
                     std::string*) {
  return E_NOTIMPL;
}
HRESULT FileHashText(std::string_view, std::string_view, std::string*) { return E_NOTIMPL; }
