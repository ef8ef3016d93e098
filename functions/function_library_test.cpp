#include "functions/function_library.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/test_file_facts.h"
#include "platform/test_pe_image.h"
#include "platform/test_temp_dir.h"

namespace {

TEST(FunctionLibraryTest, VersionAndVersionInfo) {
  static const struct {
    const char* format;
    const char* expected;
  } cases[] = {
      {"#.#.#.#", "2.10.300.4"},    {"#.##", "2.10"},
      {"(#.###)-#", "(2.010)-300"}, {"##.##.####.####", "02.10.0300.0004"},
      {"#.#.#.#.#", "2.10.300.4."}, {"v#, #####", "v2, 00010"},
      {"no runs", "no runs"},       {"", ""},
  };
  TestTempDir dir;
  const std::string app = dir.Write(
      "app.exe",
      test_pe::Image(true, test_pe::Encode(test_pe::VersionRoot(
                               0x0002000A, 0x012C0004, {{"ProductName", " Brindle \n"}}))));
  for (const auto& c : cases) {
    std::string result;
    EXPECT_EQ(S_OK, FileVersionText(app, c.format, &result)) << c.format;
    EXPECT_EQ(c.expected, result) << c.format;
  }
  std::string result = "unchanged";
  EXPECT_EQ(S_OK, FileVersionInfoText(app, "ProductName", &result));
  EXPECT_EQ("Brindle", result);
  const HRESULT not_found = HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_EQ(not_found, FileVersionInfoText(app, "CompanyName", &result));
  const std::string data = dir.Write("data.bin", "not an executable");
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND), FileVersionText(data, "#", &result));
  EXPECT_EQ(E_FILE_NOT_FOUND, FileVersionInfoText(dir.PathOf("none.exe"), "X", &result));
  EXPECT_EQ("Brindle", result);
}

TEST(FunctionLibraryTest, SizeInUnitsWithPrecision) {
  constexpr uint64_t kKiB = 1024, kMiB = kKiB * kKiB, kGiB = kMiB * kKiB, kTiB = kGiB * kKiB;
  static const struct {
    uint64_t size;
    const char* unit;
    int precision;
    const char* expected;
  } cases[] = {
      {1536, "B", -1, "1536"},
      {1536, "KB", -1, "1.5"},
      {1536, "MB", -1, "0.0015"},
      {1536, "KB", 0, "2"},
      {2560, "KB", 0, "2"},  // "%.0f" rounds half to even
      {kMiB, "MB", -1, "1"},
      {0, "b", -1, "0"},
      {1100, "KB", -1, "1.074"},
      {kKiB - 1, "KB", 9, "0.999023438"},
      {kKiB - 1, "KB", 2, "1"},
      {kGiB - 1, "GB", -1, "1"},
      {kGiB + kGiB / 8192, "Gb", -1, "1.0001"},
      {kTiB + kTiB / 8192, "TB", -1, "1.0001"},
      {kTiB + kTiB / 2, "tb", 2, "1.5"},
      {kTiB + 1, "B", 9, "1099511627777"},
      {100, "MB", -1, "0.0001"},
  };
  TestTempDir dir;
  const std::string file = dir.Write("sized", "");
  for (const auto& c : cases) {
    ASSERT_TRUE(ResizeFile(file, c.size)) << c.size;
    std::string result;
    EXPECT_EQ(S_OK, FileSizeText(file, c.unit, c.precision, &result)) << c.size << c.unit;
    EXPECT_EQ(c.expected, result) << c.size << " " << c.unit << " " << c.precision;
  }
}

TEST(FunctionLibraryTest, SizeArgumentsAreCheckedBeforeTheFile) {
  static const struct {
    const char* unit;
    int precision;
  } cases[] = {{"KB", 10}, {"KB", -2}, {"PB", -1}, {"", -1}, {"K", 3}, {"KBs", 3}};
  std::string result = "unchanged";
  for (const auto& c : cases) {
    EXPECT_EQ(E_INVALIDARG, FileSizeText("/nowhere/missing", c.unit, c.precision, &result))
        << c.unit << " " << c.precision;
  }
  TestTempDir dir;
  EXPECT_EQ(E_FILE_NOT_FOUND, FileSizeText(dir.PathOf("missing"), "KB", 9, &result));
  EXPECT_EQ(E_ACCESS_DENIED, FileSizeText(dir.PathOf(""), "B", -1, &result));
  EXPECT_EQ("unchanged", result);
}

TEST(FunctionLibraryTest, TimesInUtc) {
  TestTempDir dir;
  const std::string file = dir.Write("stamped", "x");
  // Last access 2009-03-05 07:04:09 UTC, last write 2024-11-23 15:30:00 UTC.
  ASSERT_TRUE(SetFileTimes(file, 1236236649, 1732375800));
  static const struct {
    FileTimeKind kind;
    const char* date;
    const char* time;
    const char* expected;
  } cases[] = {
      {FileTimeKind::LastWrite, "yyyy-MM-dd", "HH:mm:ss", "2024-11-23 15:30:00"},
      {FileTimeKind::LastAccess, "yyyy-MM-dd", "HH:mm:ss", "2009-03-05 07:04:09"},
      {FileTimeKind::LastAccess, "yyyy", "HH", "2009 07"},
      {FileTimeKind::LastWrite, "d.M.yy", "", "23.11.24"},
      {FileTimeKind::LastWrite, "", "h:mm", "3:30"},
      {FileTimeKind::LastWrite, "", "''", "'"},
      {FileTimeKind::LastWrite, "''", "", "'"},
      {FileTimeKind::LastWrite, "", "", ""},
  };
  for (const auto& c : cases) {
    std::string result;
    EXPECT_EQ(S_OK, FileTimeText(file, c.kind, c.date, c.time, &result)) << c.expected;
    EXPECT_EQ(c.expected, result) << c.expected;
  }

  std::string result = "unchanged";
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
            FileTimeText(file, FileTimeKind::LastWrite, std::string(128, '-'), "", &result));
  EXPECT_EQ(E_FILE_NOT_FOUND,
            FileTimeText(dir.PathOf("missing"), FileTimeKind::LastWrite, "y", "", &result));
  EXPECT_EQ("unchanged", result);
}

TEST(FunctionLibraryTest, HashNamesTheAlgorithm) {
  static const struct {
    const char* algorithm;
    const char* expected;
  } cases[] = {
      {"md5", "900150983cd24fb0d6963f7d28e17f72"},
      {"SHA1", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"", "a9993e364706816aba3e25717850c26c9cd0d89d"},
  };
  TestTempDir dir;
  const std::string file = dir.Write("abc", "abc");
  for (const auto& c : cases) {
    std::string result;
    EXPECT_EQ(S_OK, FileHashText(file, c.algorithm, &result)) << c.algorithm;
    EXPECT_EQ(c.expected, result) << c.algorithm;
  }
  std::string result = "unchanged";
  EXPECT_EQ(E_INVALIDARG, FileHashText(dir.PathOf("missing"), "SHA256", &result));
  EXPECT_EQ(E_INVALIDARG, FileHashText(file, "MD", &result));
  EXPECT_EQ(E_FILE_NOT_FOUND, FileHashText(dir.PathOf("missing"), "md5", &result));
  EXPECT_EQ(E_ACCESS_DENIED, FileHashText(dir.PathOf(""), "md5", &result));
  EXPECT_EQ("unchanged", result);
}

}  // namespace
