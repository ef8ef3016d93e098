#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "platform/document_lock.h"
#include "platform/test_temp_dir.h"

namespace {

using std::chrono::milliseconds;

class DocumentLockWin32Test : public TempDirTest {};

// Windows' locks keep others from the bytes they cover: the lock must not
// keep anyone from reading the document, nor the holder's save from
// replacing it (ReplaceFileW, as the save does); the waiter then holds the
// new file.
TEST_F(DocumentLockWin32Test, TheLockFollowsTheFileThatReplacesTheDocument) {
  const std::filesystem::path doc = m_dir / "doc.xml";
  std::ofstream(doc) << "<r/>";
  CDocumentLock holder;
  ASSERT_EQ(S_OK, holder.Acquire(doc.string(), {milliseconds(0), milliseconds(0)}, nullptr));
  std::string content;
  std::getline(std::ifstream(doc), content);
  EXPECT_EQ("<r/>", content);

  std::ofstream(m_dir / "new.xml") << "<new/>";
  CDocumentLock waiter;
  EXPECT_EQ(S_OK, waiter.Acquire(doc.string(), {milliseconds(0), milliseconds(5000)}, [&] {
    EXPECT_TRUE(
        ReplaceFileW(doc.c_str(), (m_dir / "new.xml").c_str(), nullptr, 0, nullptr, nullptr))
        << GetLastError();
    holder.Release();
  }));
  CDocumentLock probe;
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION),
            probe.Acquire(doc.string(), {milliseconds(0), milliseconds(0)}, nullptr));
}

// No folder takes a lock here: the runs that create a document do not
// take turns.
TEST_F(DocumentLockWin32Test, AMissingDocumentOrAFolderIsNotLocked) {
  CDocumentLock lock;
  const LockWait wait{milliseconds(0), milliseconds(0)};
  EXPECT_EQ(S_FALSE, lock.Acquire((m_dir / "missing.xml").string(), wait, nullptr));
  EXPECT_EQ(S_FALSE, lock.Acquire(m_dir.string(), wait, nullptr));
  EXPECT_EQ(S_FALSE, lock.Acquire("NUL", wait, nullptr));
}

}  // namespace
