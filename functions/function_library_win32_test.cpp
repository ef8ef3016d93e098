#include <gtest/gtest.h>
#include <windows.h>

#include "functions/function_library.h"
#include "functions/path_functions_check.h"
#include "platform/text_encoding.h"

namespace {

TEST(FunctionLibraryWin32Test, FileNameIsTheLastComponentAsTyped) {
  static const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"C:\\dir\\file.txt", "file.txt"},
      {"C:/dir/file.txt", "file.txt"},
      {"C:file.txt", "file.txt"},
      {"\\\\server\\share\\file.txt", "file.txt"},
      {"a/b\\c", "c"},
      {"dir\\sub\\", "sub\\"},
      {"file.txt", "file.txt"},
      {"\\", "\\"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, FileNameOf(c.path)) << c.path;
}

TEST(FunctionLibraryWin32Test, FullPathAndDirectoryFollowTheSystemsRules) {
  wchar_t buffer[MAX_PATH];
  ASSERT_NE(0u, GetCurrentDirectoryW(MAX_PATH, buffer));
  const std::string cwd = WideToUtf8(buffer);
  const std::string drive = cwd.substr(0, 2);
  ASSERT_TRUE(SetEnvironmentVariableW(L"BRINDLE_TEST_DIR", L"C:\\Program Files\\Tool"));
  const PathFunctionsCase cases[] = {
      {"C:\\dir\\file.txt", "C:\\dir\\file.txt", "C:\\dir"},
      {"C:/dir/./sub/../file.txt", "C:\\dir\\file.txt", "C:\\dir"},
      {"C:\\top", "C:\\top", "C:\\"},
      {"C:\\", "C:\\", "C:\\"},
      {"\\\\server\\share\\dir\\file.txt", "\\\\server\\share\\dir\\file.txt",
       "\\\\server\\share\\dir"},
      {"\\\\server\\share\\file.txt", "\\\\server\\share\\file.txt", "\\\\server\\share"},
      {"%BRINDLE_TEST_DIR%\\tool.exe", "C:\\Program Files\\Tool\\tool.exe",
       "C:\\Program Files\\Tool"},
      {"%brindle_test_dir%\\tool.exe", "C:\\Program Files\\Tool\\tool.exe",
       "C:\\Program Files\\Tool"},
      {"%BRINDLE_TEST_UNSET%\\a", cwd + "\\%BRINDLE_TEST_UNSET%\\a",
       cwd + "\\%BRINDLE_TEST_UNSET%"},
      {"\\rooted\\file", drive + "\\rooted\\file", drive + "\\rooted"},
      {"a.txt", cwd + "\\a.txt", cwd},
  };
  ExpectPathFunctions(cases);
  SetEnvironmentVariableW(L"BRINDLE_TEST_DIR", nullptr);
}

}  // namespace
