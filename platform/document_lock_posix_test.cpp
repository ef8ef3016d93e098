#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/document_lock.h"
#include "platform/test_temp_dir.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

const HRESULT kStillHeld = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);

class DocumentLockPosixTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    m_doc = m_dir / "doc.xml";
  }

  static void Put(const fs::path& path) { std::ofstream(path) << "<r/>"; }

  // Whether a lock on path, a file or a folder, is held: another open file
  // could not take one.
  static bool IsLocked(const fs::path& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return locked;
  }

  fs::path m_doc;
};

// The holder saves by renaming a new file over the document and lets go
// while the waiter waits on the old file: the waiter must end up holding
// the new file, which the next run will load.
TEST_F(DocumentLockPosixTest, TheLockFollowsAFileRenamedOverTheDocument) {
  Put(m_doc);
  CDocumentLock holder;
  ASSERT_EQ(S_OK, holder.Acquire(m_doc, {milliseconds(0), milliseconds(0)}, nullptr));
  Put(m_dir / "new.xml");
  CDocumentLock waiter;
  EXPECT_EQ(S_OK, waiter.Acquire(m_doc, {milliseconds(0), milliseconds(5000)}, [&] {
    fs::rename(m_dir / "new.xml", m_doc);
    holder.Release();
  }));
  EXPECT_TRUE(IsLocked(m_doc));
}

TEST_F(DocumentLockPosixTest, AMissingDocumentLocksItsFolderUntilItExists) {
  CDocumentLock creator;
  ASSERT_EQ(S_OK, creator.Acquire(m_doc, {milliseconds(0), milliseconds(0)}, nullptr));
  EXPECT_TRUE(IsLocked(m_dir));
  CDocumentLock other;
  EXPECT_EQ(kStillHeld,
            other.Acquire(m_dir / "other.xml", {milliseconds(0), milliseconds(50)}, nullptr));
  // The creator saves the document and lets go: the waiter takes the file.
  EXPECT_EQ(S_OK, other.Acquire(m_doc, {milliseconds(0), milliseconds(5000)}, [&] {
    Put(m_doc);
    creator.Release();
  }));
  EXPECT_TRUE(IsLocked(m_doc));
  EXPECT_FALSE(IsLocked(m_dir));
}

TEST_F(DocumentLockPosixTest, WhatIsNotARegularFileIsNotLocked) {
  ASSERT_EQ(0, mkfifo((m_dir / "fifo").c_str(), 0600));
  CDocumentLock lock;
  const LockWait wait{milliseconds(0), milliseconds(0)};
  EXPECT_EQ(S_FALSE, lock.Acquire(m_dir / "fifo", wait, nullptr));
  EXPECT_EQ(S_FALSE, lock.Acquire(m_dir / "missing" / "doc.xml", wait, nullptr));
  EXPECT_EQ(S_FALSE, lock.Acquire("/dev/null", wait, nullptr));
}

}  // namespace
