#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/interrupt_cleanup.h"
#include "platform/test_temp_dir.h"

namespace {

namespace fs = std::filesystem;

class InterruptCleanupTest : public TempDirTest {
 protected:
  void SetUp() override { m_folder = open(m_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }
  void TearDown() override { close(m_folder); }
  void Put(const std::string& name, const std::string& text) {
    std::ofstream(m_dir / name) << text;
  }
  ino_t Inode(const std::string& name) {
    struct stat status {};
    stat((m_dir / name).c_str(), &status);
    return status.st_ino;
  }

  int m_folder = -1;
};

TEST_F(InterruptCleanupTest, RegisteredFilesGoAndOthersStay) {
  Put("temporary", "part of a document");
  Put("created", "");
  Put("created-then-written", "content");
  Put("cleared", "x");
  CRemoveOnInterrupt temporary;
  CRemoveOnInterrupt created;
  CRemoveOnInterrupt written;
  CRemoveOnInterrupt cleared;
  ASSERT_TRUE(temporary.Set(m_folder, "temporary"));
  ASSERT_TRUE(created.Set(m_folder, "created", Inode("created")));
  ASSERT_TRUE(written.Set(m_folder, "created-then-written", Inode("created-then-written")));
  ASSERT_TRUE(cleared.Set(m_folder, "cleared"));
  cleared.Clear();
  RemoveRegisteredFiles();
  EXPECT_FALSE(fs::exists(m_dir / "temporary"));
  EXPECT_FALSE(fs::exists(m_dir / "created"));
  EXPECT_TRUE(fs::exists(m_dir / "created-then-written"));  // no longer empty
  EXPECT_TRUE(fs::exists(m_dir / "cleared"));
}

TEST_F(InterruptCleanupTest, EverySlotCanBeTakenAndGivenBack) {
  CRemoveOnInterrupt slots[4];
  for (CRemoveOnInterrupt& slot : slots) EXPECT_TRUE(slot.Set(m_folder, "name"));
  CRemoveOnInterrupt extra;
  EXPECT_FALSE(extra.Set(m_folder, "name"));
  slots[2].Clear();
  EXPECT_TRUE(extra.Set(m_folder, "name"));
  EXPECT_FALSE(extra.Set(m_folder, std::string(300, 'n')));
}

int g_hangups = 0;

TEST_F(InterruptCleanupTest, DeferredSignalsArriveWhenTheDeferralEnds) {
  struct sigaction counting {};
  counting.sa_handler = [](int) { ++g_hangups; };
  struct sigaction previous {};
  ASSERT_EQ(0, sigaction(SIGHUP, &counting, &previous));
  {
    const CDeferInterrupts defer;
    raise(SIGHUP);
    EXPECT_EQ(0, g_hangups);
  }
  EXPECT_EQ(1, g_hangups);
  sigaction(SIGHUP, &previous, nullptr);
}

}  // namespace
