#include "script/parser.h"

#include <new>

#include "platform/text_encoding.h"

CParser::CParser() = default;
CParser::~CParser() = default;

HRESULT CParser::SetArguments(int count, const char* const* arguments,
                              const std::function<bool(std::string_view)>& is_option) {
  try {
    m_arguments.clear();
    for (int i = 0; i < count; ++i) {
      if (i > 0 && is_option(arguments[i])) break;
      m_arguments.push_back(DecodeUnmarkedText(arguments[i]));
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CParser::RunDescriptionFile(const std::string&) { return E_NOTIMPL; }
HRESULT CParser::RunCommandLine(std::string_view, std::string_view) { return E_NOTIMPL; }
void CParser::GetErrorMessage(std::string* text) const { *text = "System error."; }
HRESULT CParser::GetErrorListing(std::string* text) {
  text->clear();
  return S_FALSE;
}
