#include "platform/document_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/test_temp_dir.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

const HRESULT kStillHeld = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);

class DocumentLockTest : public TempDirTest {
 protected:
  static void Put(const fs::path& path) { std::ofstream(path) << "<r/>"; }

  // Whether a lock on path is held: another lock of its own could not be
  // had at once.
  static bool IsLocked(const fs::path& path) {
    CDocumentLock probe;
    return probe.Acquire(path.string(), {milliseconds(0), milliseconds(0)}, nullptr) == kStillHeld;
  }

  const fs::path m_doc = m_dir / "doc.xml";
};

TEST_F(DocumentLockTest, AWaiterIsToldOnceAndGivesUpAtTheLimit) {
  Put(m_doc);
  CDocumentLock holder;
  ASSERT_EQ(S_OK, holder.Acquire(m_doc.string(), {milliseconds(20), milliseconds(20)}, nullptr));
  EXPECT_TRUE(IsLocked(m_doc));

  CDocumentLock waiter;
  int notices = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(kStillHeld, waiter.Acquire(m_doc.string(), {milliseconds(50), milliseconds(300)},
                                       [&notices] { ++notices; }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(300));
  EXPECT_EQ(1, notices);

  holder.Release();
  EXPECT_EQ(S_OK, waiter.Acquire(m_doc.string(), {milliseconds(50), milliseconds(300)}, nullptr));
  EXPECT_TRUE(IsLocked(m_doc));
}

}  // namespace
