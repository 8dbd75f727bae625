// A fixed table of paths, each published by an atomic flag, so a signal
// handler can walk it without locks or allocation while the GUI thread
// changes it: a slot's path is complete before its flag is set, and the
// flag is cleared before the path is reused.
#include "platform/ExitCleanup.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace torvik::platform {
namespace {

constexpr int kSlots = 64;
constexpr size_t kPathBytes = 4096;

struct Slot {
  std::atomic<bool> used{false};
  char path[kPathBytes] = {};
};
static_assert(std::atomic<bool>::is_always_lock_free);

Slot slots[kSlots];

void AtExit() { DeleteRegisteredFiles(); }

}  // namespace

void RegisterExitCleanup(const char* path) {
  const size_t length = std::strlen(path);
  if (length == 0 || length >= kPathBytes) return;
  int freeSlot = -1;
  for (int i = 0; i < kSlots; ++i) {
    if (slots[i].used.load(std::memory_order_acquire)) {
      if (std::strcmp(slots[i].path, path) == 0) return;
    } else if (freeSlot < 0) {
      freeSlot = i;
    }
  }
  if (freeSlot < 0) return;
  std::memcpy(slots[freeSlot].path, path, length + 1);
  slots[freeSlot].used.store(true, std::memory_order_release);
}

void ForgetExitCleanup(const char* path) {
  for (Slot& slot : slots) {
    if (slot.used.load(std::memory_order_acquire) && std::strcmp(slot.path, path) == 0) {
      slot.used.store(false, std::memory_order_release);
      return;
    }
  }
}

void DeleteRegisteredFiles() noexcept {
  for (Slot& slot : slots) {
    if (slot.used.load(std::memory_order_acquire)) unlink(slot.path);
  }
}

int RegisteredFileCount() {
  int count = 0;
  for (const Slot& slot : slots) count += slot.used.load(std::memory_order_acquire) ? 1 : 0;
  return count;
}

void InstallExitHook() {
  static std::atomic<bool> installed{false};
  if (!installed.exchange(true)) std::atexit(&AtExit);
}

}  // namespace torvik::platform
