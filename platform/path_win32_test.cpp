#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "platform/file.h"
#include "platform/file_win32.h"
#include "platform/path.h"
#include "platform/test_temp_dir.h"

namespace {

TEST(PathWin32Test, LongPathsTakeTheirLongFormAndOthersStay) {
  const std::string folder(300, 'f');
  static const struct {
    std::string path;
    std::wstring expected;
  } cases[] = {
      {"C:\\short\\file.xml", L"C:\\short\\file.xml"},
      {"C:/short/file.xml", L"C:/short/file.xml"},
      {"C:\\" + folder, L"\\\\?\\C:\\" + std::wstring(300, L'f')},
      {"C:/" + folder + "/x", L"\\\\?\\C:\\" + std::wstring(300, L'f') + L"\\x"},
      {"\\\\server\\share\\" + folder, L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'f')},
      {"\\\\?\\C:\\" + folder, L"\\\\?\\C:\\" + std::wstring(300, L'f')},
      {folder, std::wstring(300, L'f')},  // relative: the system resolves it
  };
  for (const auto& c : cases) EXPECT_TRUE(c.expected == SystemPath(c.path)) << c.path;
}

// A path of 400 characters is neither cut nor refused, which MAX_PATH (260)
// would do to it.
TEST(PathWin32Test, FilesBeyondMaxPathAreReadWhole) {
  TestTempDir dir;
  std::string folder;
  ASSERT_EQ(S_OK, ResolvePath(dir.PathOf(std::string(120, 'a')), &folder));
  ASSERT_TRUE(CreateDirectoryW(SystemPath(folder).c_str(), nullptr));
  for (const char level : {'b', 'c'}) {
    folder += "\\" + std::string(120, level);
    ASSERT_TRUE(CreateDirectoryW(SystemPath(folder).c_str(), nullptr)) << GetLastError();
  }
  const std::string file = folder + "\\doc.xml";
  ASSERT_GT(file.size(), 400u);
  const HANDLE handle =
      CreateFileW(SystemPath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, handle);
  DWORD written = 0;
  WriteFile(handle, "<a/>", 4, &written, nullptr);
  CloseHandle(handle);

  std::string resolved;
  ASSERT_EQ(S_OK, ResolvePath(file, &resolved));
  EXPECT_EQ(file, resolved);
  EXPECT_TRUE(PathExists(resolved));
  UniqueFd fd;
  ASSERT_EQ(S_OK, OpenRegularFileForReading(resolved, &fd));
  uint64_t size = 0;
  EXPECT_EQ(S_OK, GetOpenFileSize(fd.Get(), &size));
  EXPECT_EQ(4u, size);
  fd.Reset();

  // The temporary folder's own removal stops at MAX_PATH.
  EXPECT_TRUE(DeleteFileW(SystemPath(file).c_str()));
  for (int level = 0; level < 3; ++level) {
    EXPECT_TRUE(RemoveDirectoryW(SystemPath(folder).c_str()));
    folder.erase(folder.rfind('\\'));
  }
}

TEST(PathWin32Test, PathsBeyondTheSystemsLimitAreRefused) {
  std::string out = "unchanged";
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE),
            ResolvePath("C:\\" + std::string(33000, 'x'), &out));
  EXPECT_TRUE(out == "unchanged");
}

}  // namespace
