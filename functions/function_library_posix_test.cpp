#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "functions/function_library.h"
#include "functions/path_functions_check.h"
#include "platform/test_file_facts.h"
#include "platform/test_temp_dir.h"

namespace {

TEST(FunctionLibraryTest, FileNameIsTheLastComponentAsTyped) {
  static const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"/dir/file.txt", "file.txt"},
      {"file.txt", "file.txt"},
      {"dir//file", "file"},
      {"/dir/sub/", "sub/"},
      {"/", "/"},
      {"", ""},
      {"C:\\dir\\file.txt", "C:\\dir\\file.txt"},
      {"a/b\\c", "b\\c"},
      {"/dir//", "dir//"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, FileNameOf(c.path)) << c.path;
}

TEST(FunctionLibraryTest, FullPathAndDirectoryResolveThePath) {
  char* cwd_buffer = getcwd(nullptr, 0);
  ASSERT_NE(nullptr, cwd_buffer);
  const std::string cwd = cwd_buffer;
  free(cwd_buffer);
  const std::string parent = cwd == "/" ? "/" : cwd.substr(0, std::max<size_t>(1, cwd.rfind('/')));
  const PathFunctionsCase cases[] = {
      {"/nowhere/dir/file.txt", "/nowhere/dir/file.txt", "/nowhere/dir"},
      {"/nowhere//./dir/../file", "/nowhere/file", "/nowhere"},
      {"/nowhere/dir/", "/nowhere/dir", "/nowhere"},
      {"/top", "/top", "/"},
      {"/", "/", "/"},
      {"a.txt", (cwd == "/" ? "" : cwd) + "/a.txt", cwd},
      {"", cwd, parent},
  };
  ExpectPathFunctions(cases);
}

// Birth time is either recorded, and then none of the times set, or the
// function says the file system does not keep it. (Wine reports the last
// write time as the creation time, so this holds on Linux only.)
TEST(FunctionLibraryTest, CreationTimeIsTheBirthTime) {
  TestTempDir dir;
  const std::string file = dir.Write("stamped", "x");
  ASSERT_TRUE(SetFileTimes(file, 1236236649, 1732375800));
  std::string result;
  const HRESULT hr = FileTimeText(file, FileTimeKind::Creation, "yyyy-MM-dd", "HH:mm:ss", &result);
  if (hr == S_OK) {
    EXPECT_NE("2024-11-23 15:30:00", result);
    EXPECT_NE("2009-03-05 07:04:09", result);
  } else {
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED), hr);
  }
}

}  // namespace
