#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/interrupt_cleanup.h"

namespace {

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A save registers at most its temporary, the temporary of the journal and
// a target it created.
constexpr int kSlots = 4;

struct Slot {
  // The handler acts only on an armed slot; a slot is armed after its
  // fields are written and disarmed before they change again.
  volatile sig_atomic_t armed;
  int folder;
  ino_t only_empty_inode;  // 0: remove whatever the name holds
  char name[NAME_MAX + 1];
};

Slot g_slots[kSlots];
bool g_taken[kSlots];  // touched only outside the handler

void RemoveSlot(const Slot& slot) {
  if (slot.only_empty_inode != 0) {
    struct stat status;
    if (fstatat(slot.folder, slot.name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        status.st_ino != slot.only_empty_inode || status.st_size != 0) {
      return;
    }
  }
  unlinkat(slot.folder, slot.name, 0);
}

void OnInterrupt(int signal_number) {
  RemoveRegisteredFiles();
  // The signal stays blocked until the handler returns; then, with its
  // default action back, it ends the process as it would have at first.
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

sigset_t InterruptSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kInterruptSignals) sigaddset(&set, signal_number);
  return set;
}

}  // namespace

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  // One handler at a time: a second signal waits for the first to end the
  // process.
  action.sa_mask = InterruptSignals();
  for (int signal_number : kInterruptSignals) {
    struct sigaction current {};
    if (sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
      continue;
    }
    sigaction(signal_number, &action, nullptr);
  }
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
}

void RemoveRegisteredFiles() {
  const int saved_errno = errno;
  for (const Slot& slot : g_slots) {
    if (slot.armed != 0) RemoveSlot(slot);
  }
  errno = saved_errno;
}

bool CRemoveOnInterrupt::Set(int folder, const std::string& name, ino_t only_empty_inode) {
  Clear();
  if (name.size() > NAME_MAX) return false;
  for (int index = 0; index < kSlots; ++index) {
    if (g_taken[index]) continue;
    Slot& slot = g_slots[index];
    slot.folder = folder;
    slot.only_empty_inode = only_empty_inode;
    std::memcpy(slot.name, name.c_str(), name.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slot.armed = 1;
    g_taken[index] = true;
    m_slot = index;
    return true;
  }
  return false;
}

void CRemoveOnInterrupt::Clear() {
  if (m_slot < 0) return;
  g_slots[m_slot].armed = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  g_taken[m_slot] = false;
  m_slot = -1;
}

CDeferInterrupts::CDeferInterrupts() {
  const sigset_t set = InterruptSignals();
  sigprocmask(SIG_BLOCK, &set, &m_previous);
}

CDeferInterrupts::~CDeferInterrupts() { sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
