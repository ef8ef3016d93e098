#include <gtest/gtest.h>
#include <windows.h>

#include "platform/status_text.h"
#include "platform/text_encoding.h"

namespace {

// FormatMessageW's text, as the user's Windows words it.
std::string SystemWording(DWORD code) {
  wchar_t buffer[256];
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 256, nullptr);
  return WideToUtf8(std::wstring_view(buffer, length));
}

// The system's own words, without their line break, and the number.
TEST(StatusTextWin32Test, SystemStatusesHaveTheSystemsText) {
  const DWORD codes[] = {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION};
  for (const DWORD code : codes) {
    std::string wording = SystemWording(code);
    ASSERT_FALSE(wording.empty()) << code;
    while (wording.back() == '\n' || wording.back() == '\r' || wording.back() == ' ') {
      wording.pop_back();
    }
    std::string text;
    ASSERT_TRUE(GetSystemText(HRESULT_FROM_WIN32(code), &text)) << code;
    EXPECT_EQ(wording + " (" + std::to_string(code) + ")", text);
  }
}

// Codes of the program's own facility mean something else to the system.
TEST(StatusTextWin32Test, TheProgramsFacilityIsNotAskedOfTheSystem) {
  std::string text;
  EXPECT_FALSE(GetOperatingSystemText(XML_E_WRITE_FAILED, &text));
  EXPECT_FALSE(GetOperatingSystemText(static_cast<HRESULT>(0x80BDFFFF), &text));
}

}  // namespace
