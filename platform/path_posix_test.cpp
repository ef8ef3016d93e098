#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/path.h"
#include "platform/test_temp_dir.h"

namespace {

class PathTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, getcwd(m_previous, sizeof m_previous));
    ASSERT_EQ(0, chdir(m_dir.c_str()));
    setenv("BRINDLE_TEST_DIR", "sub dir", 1);
    unsetenv("BRINDLE_TEST_UNSET");
  }
  void TearDown() override { ASSERT_EQ(0, chdir(m_previous)); }
  std::string Resolve(const std::string& source) {
    std::string out = "unchanged";
    EXPECT_EQ(S_OK, ResolvePath(source, &out)) << source;
    return out;
  }

  TestTempDir m_temp;
  const std::string m_dir = m_temp.Path();
  char m_previous[4096];
};

TEST_F(PathTest, RelativePathsJoinTheCurrentDirectoryAndBecomeCanonical) {
  static const struct {
    const char* source;
    const char* expected;  // relative to the test folder
  } cases[] = {
      {"a.xml", "/a.xml"},
      {"./x//y/./a.xml", "/x/y/a.xml"},
      {"x/../a.xml", "/a.xml"},
      {"missing/../../a.xml", ""},  // climbs out of the test folder
      {"%BRINDLE_TEST_DIR%/a.xml", "/sub dir/a.xml"},
      {"${BRINDLE_TEST_DIR}/a.xml", "/sub dir/a.xml"},
      {"%BRINDLE_TEST_UNSET%/a.xml", "/%BRINDLE_TEST_UNSET%/a.xml"},
      {"%brindle_test_dir%/a.xml", "/%brindle_test_dir%/a.xml"},
      {"50%/a\\b.xml", "/50%/a\\b.xml"},
      {"", ""},
  };
  const std::string parent = m_dir.substr(0, m_dir.rfind('/'));
  for (const auto& c : cases) {
    const std::string expected =
        std::string(c.source).rfind("missing", 0) == 0 ? parent + "/a.xml" : m_dir + c.expected;
    EXPECT_EQ(expected, Resolve(c.source)) << c.source;
  }
}

TEST_F(PathTest, AbsolutePathsAreCanonicalised) {
  EXPECT_EQ("/", Resolve("/"));
  EXPECT_EQ("/", Resolve("/../.."));
  EXPECT_EQ("/etc/hosts", Resolve("//etc/./x/../hosts"));
}

// "link/.." leads where the kernel goes: to the parent of the link's target.
TEST_F(PathTest, DotDotAfterASymbolicLinkFollowsTheLink) {
  ASSERT_EQ(0, mkdir((m_dir + "/deep").c_str(), 0755));
  ASSERT_EQ(0, mkdir((m_dir + "/deep/target").c_str(), 0755));
  ASSERT_EQ(0, symlink((m_dir + "/deep/target").c_str(), (m_dir + "/link").c_str()));
  EXPECT_EQ(m_dir + "/deep/a.xml", Resolve("link/../a.xml"));
  EXPECT_EQ(m_dir + "/link/a.xml", Resolve("link/a.xml"));
}

TEST_F(PathTest, TooLongPathsFailAndLeaveTheOutputAlone) {
  std::string out = "unchanged";
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE),
            ResolvePath(std::string(5000, 'x'), &out));
  EXPECT_EQ("unchanged", out);
}

}  // namespace
