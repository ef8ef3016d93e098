#include "platform/safe_file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class SafeFileWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brindle-writer-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    m_dir = pattern;
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::string Read(const std::string& name) {
    std::ifstream in(m_dir / name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Put(const std::string& name, const std::string& text) { std::ofstream(m_dir / name) << text; }
  size_t FileCount() { return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {})); }

  fs::path m_dir;
};

TEST_F(SafeFileWriterTest, CommitReplacesTheFileWholeAndLeavesNoTemporary) {
  Put("doc.xml", "old");
  ASSERT_EQ(0, chmod((m_dir / "doc.xml").c_str(), 0640));
  // Pieces larger and smaller than the buffer, 25 MB in all, so that the
  // write-back starts several times in the middle of a document.
  std::string expected;
  {
    CSafeFileWriter writer;
    ASSERT_EQ(S_OK, writer.Open(m_dir / "doc.xml"));
    for (size_t piece = 0; piece < 40; ++piece) {
      const std::string text((piece % 3 == 0 ? 1 << 20 : 1000 + piece) * 7 / 4,
                             static_cast<char>('a' + piece % 26));
      EXPECT_EQ(S_OK, writer.Write(text.data(), text.size()));
      expected += text;
    }
    EXPECT_EQ("old", Read("doc.xml"));  // nothing visible before the commit
    EXPECT_EQ(S_OK, writer.Commit());
  }
  EXPECT_TRUE(Read("doc.xml") == expected);
  EXPECT_EQ(1u, FileCount());
  struct stat status;
  ASSERT_EQ(0, stat((m_dir / "doc.xml").c_str(), &status));
  EXPECT_EQ(0640u, status.st_mode & 0777);
}

TEST_F(SafeFileWriterTest, AnAbandonedWriteLeavesTheTargetAndNoTemporary) {
  Put("doc.xml", "old");
  {
    CSafeFileWriter writer;
    ASSERT_EQ(S_OK, writer.Open(m_dir / "doc.xml"));
    EXPECT_EQ(S_OK, writer.Write("new", 3));
  }
  EXPECT_EQ("old", Read("doc.xml"));
  EXPECT_EQ(1u, FileCount());
}

TEST_F(SafeFileWriterTest, OpenFailsBeforeCreatingAnything) {
  CSafeFileWriter writer;
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), writer.Open(m_dir / "missing" / "doc.xml"));
  ASSERT_EQ(0, mkdir((m_dir / "folder").c_str(), 0755));
  EXPECT_EQ(E_ACCESS_DENIED, CSafeFileWriter().Open(m_dir / "folder"));
  EXPECT_EQ(1u, FileCount());
}

TEST_F(SafeFileWriterTest, HardLinkedFilesAreWrittenInPlace) {
  Put("doc.xml", "old");
  ASSERT_EQ(0, link((m_dir / "doc.xml").c_str(), (m_dir / "other.xml").c_str()));
  CSafeFileWriter writer;
  ASSERT_EQ(S_OK, writer.Open(m_dir / "doc.xml"));
  EXPECT_EQ(S_OK, writer.Write("new", 3));
  EXPECT_EQ(S_OK, writer.Commit());
  EXPECT_EQ("new", Read("other.xml"));
  EXPECT_TRUE(writer.KeptCopyPath().empty());
  EXPECT_EQ(2u, FileCount());
}

}  // namespace
