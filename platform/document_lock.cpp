#include "platform/document_lock.h"

#include <algorithm>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Polling starts fast, for the common short wait behind another run, and
// slows to this.
constexpr std::chrono::milliseconds kLongestPoll{100};

}  // namespace

HRESULT CDocumentLock::Acquire(const std::string& path, const LockWait& wait,
                               const std::function<void()>& notice) {
  Release();
  const Clock::time_point start = Clock::now();
  bool noticed = false;
  std::chrono::milliseconds poll{2};
  for (;;) {
    UniqueFd fd;
    bool folder = false;
    if (OpenTarget(path, &fd, &folder) != S_OK) return S_FALSE;
    for (Attempt attempt = TryLock(fd.Get()); attempt != Attempt::Locked;
         attempt = TryLock(fd.Get())) {
      // No locks here (some network file systems): go on without.
      if (attempt == Attempt::Unavailable) return S_FALSE;
      const Clock::duration waited = Clock::now() - start;
      if (waited >= wait.limit) return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
      if (!noticed && waited >= wait.notice_after) {
        noticed = true;
        if (notice) notice();
      }
      std::this_thread::sleep_for(poll);
      poll = std::min(poll * 2, kLongestPoll);
    }
    if (StillNames(path, fd.Get(), folder)) {
      m_fd = std::move(fd);
      return S_OK;
    }
    // Replaced (or created) by the run that held the lock: lock what is
    // there now.
  }
}
