#include <gtest/gtest.h>

#include <cerrno>

#include "platform/status_text.h"
#include "platform/system_error.h"

// The texts that users know from Windows, in English.
TEST(StatusTextPosixTest, Win32CodesReadAsOnWindows) {
  static const struct {
    HRESULT status;
    const char* expected;
  } cases[] = {
      {E_FILE_NOT_FOUND, "The system cannot find the file specified. (2)"},
      {5, "Access is denied. (5)"},
      {E_INVALIDARG, "The parameter is incorrect. (87)"},
      {E_POINTER, "Invalid pointer (0x80004003)"},
      {DISP_E_TYPEMISMATCH, "Type mismatch. (0x80020005)"},
  };
  for (const auto& c : cases) {
    std::string text;
    ASSERT_TRUE(GetSystemText(c.status, &text)) << std::hex << c.status;
    EXPECT_EQ(c.expected, text);
  }
}

// Every errno a system call can report must reach the user as a text.
TEST(StatusTextPosixTest, EveryErrnoHasAText) {
  for (int error = 1; error < 134; ++error) {
    std::string text;
    EXPECT_TRUE(GetSystemText(StatusFromErrno(error), &text)) << "errno " << error;
    EXPECT_FALSE(text.empty());
  }
  EXPECT_EQ(E_FILE_NOT_FOUND, StatusFromErrno(ENOENT));
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DISK_FULL), StatusFromErrno(ENOSPC));
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), StatusFromErrno(EFBIG));
}
