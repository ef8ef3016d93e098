#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/in_place_journal.h"
#include "platform/safe_file_writer.h"
#include "platform/test_temp_dir.h"

namespace {

namespace fs = std::filesystem;

class SafeFileWriterTest : public TempDirTest {
 protected:
  void SetUp() override {
    // The previous content of in-place saves is kept in the test's folder.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr) m_savedState = state;
    setenv("XDG_STATE_HOME", (m_dir / "state").c_str(), 1);
  }
  void TearDown() override {
    if (m_savedState.empty()) {
      unsetenv("XDG_STATE_HOME");
    } else {
      setenv("XDG_STATE_HOME", m_savedState.c_str(), 1);
    }
  }

  std::string Read(const std::string& name) {
    std::ifstream in(m_dir / name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Put(const std::string& name, const std::string& text) {
    std::ofstream(m_dir / name) << text;
  }
  size_t FileCount() {
    return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {}));
  }
  HRESULT Save(const std::string& name, const std::string& text) {
    CSafeFileWriter writer;
    HRESULT hr = writer.Open(m_dir / name);
    if (SUCCEEDED(hr)) hr = writer.Write(text.data(), text.size());
    if (SUCCEEDED(hr)) hr = writer.Commit();
    return hr;
  }
  std::string JournalOf(const std::string& name) {
    struct stat status;
    stat((m_dir / name).c_str(), &status);
    return (m_dir / "state" / "brindle" /
            ("in-place-" + std::to_string(status.st_dev) + "-" + std::to_string(status.st_ino) +
             ".xml"))
        .string();
  }

  std::string m_savedState;
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

TEST_F(SafeFileWriterTest, HardLinkedFilesAreWrittenInPlaceLongerAndShorter) {
  Put("doc.xml", "old content");
  ASSERT_EQ(0, link((m_dir / "doc.xml").c_str(), (m_dir / "other.xml").c_str()));
  const std::string longer(200000, 'x');
  EXPECT_EQ(S_OK, Save("doc.xml", longer));
  EXPECT_TRUE(Read("other.xml") == longer);
  EXPECT_EQ(S_OK, Save("doc.xml", "short"));
  EXPECT_EQ("short", Read("other.xml"));
  // The previous content was kept only while the file was overwritten.
  EXPECT_TRUE(fs::is_empty(m_dir / "state" / "brindle"));
  EXPECT_EQ(3u, FileCount());
}

TEST_F(SafeFileWriterTest, AFileLeftHalfWrittenIsRefusedUntilRestored) {
  Put("doc.xml", "half");
  const std::string journal = JournalOf("doc.xml");
  fs::create_directories(fs::path(journal).parent_path());
  std::ofstream(journal) << "old";
  EXPECT_EQ(FILE_E_HALF_WRITTEN, CSafeFileWriter().Open(m_dir / "doc.xml"));
  std::string found;
  EXPECT_EQ(FILE_E_HALF_WRITTEN, FindInPlaceJournal(m_dir / "doc.xml", &found));
  EXPECT_EQ(journal, found);
  fs::remove(journal);
  EXPECT_EQ(S_OK, Save("doc.xml", "new"));
}

TEST_F(SafeFileWriterTest, TemporariesOfDeadRunsGoOthersStay) {
  Put("doc.xml", "old");
  Put(".doc.xml.brindle-Dead01", "left by a killed run");
  Put(".doc.xml.brindle-Alive1", "being written");
  Put("doc.xml.brindle-kept-Kept01", "kept for the user");
  Put(".other.xml.brindle-Dead02", "another file's");
  const int alive = open((m_dir / ".doc.xml.brindle-Alive1").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(0, flock(alive, LOCK_EX));
  EXPECT_EQ(S_OK, Save("doc.xml", "new"));
  close(alive);
  EXPECT_FALSE(fs::exists(m_dir / ".doc.xml.brindle-Dead01"));
  EXPECT_TRUE(fs::exists(m_dir / ".doc.xml.brindle-Alive1"));
  EXPECT_TRUE(fs::exists(m_dir / "doc.xml.brindle-kept-Kept01"));
  EXPECT_TRUE(fs::exists(m_dir / ".other.xml.brindle-Dead02"));
}

TEST_F(SafeFileWriterTest, ADanglingLinkGetsItsTargetOnlyFromASave) {
  ASSERT_EQ(0, symlink("target.xml", (m_dir / "link.xml").c_str()));
  {
    CSafeFileWriter writer;
    ASSERT_EQ(S_OK, writer.Open(m_dir / "link.xml"));
    EXPECT_TRUE(fs::exists(m_dir / "target.xml"));  // created by the open
  }
  EXPECT_FALSE(fs::exists(m_dir / "target.xml"));
  EXPECT_EQ(S_OK, Save("link.xml", "new"));
  EXPECT_TRUE(fs::is_symlink(m_dir / "link.xml"));
  EXPECT_EQ("new", Read("target.xml"));
}

TEST_F(SafeFileWriterTest, StreamsAreWrittenDirectly) {
  int pipe_ends[2];
  ASSERT_EQ(0, pipe(pipe_ends));
  const std::string path = "/dev/fd/" + std::to_string(pipe_ends[1]);
  CSafeFileWriter writer;
  ASSERT_EQ(S_OK, writer.Open(path));
  EXPECT_EQ(S_OK, writer.Write("streamed", 8));
  EXPECT_EQ(S_OK, writer.Commit());
  close(pipe_ends[1]);
  char received[16] = {};
  EXPECT_EQ(8, read(pipe_ends[0], received, sizeof received));
  EXPECT_STREQ("streamed", received);
  close(pipe_ends[0]);
}

}  // namespace
