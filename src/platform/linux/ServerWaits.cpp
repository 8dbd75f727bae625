// The waits live in a fixed table of atomics, so that a signal handler may
// read it and cut sockets (shutdown() and close() are async-signal-safe).
// Whoever takes a socket out of its slot (the wait ending, the watchdog,
// the handler) is the one that closes it: no descriptor is closed twice or
// cut after another file took its number. One watchdog thread sleeps until
// the nearest limit, or until a socket is watched.
#include "platform/ServerWaits.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/ExitCleanup.h"

namespace torvik::platform {
namespace {

constexpr int kSlots = 16;
constexpr int kNoSocket = -1;

struct Slot {
  std::atomic<bool> used{false};
  std::atomic<unsigned long> thread{0};
  std::atomic<int> socket{kNoSocket};  // our duplicate, or none
  std::atomic<int64_t> deadlineMs{0};
  std::atomic<bool> expired{false};
};

Slot slots[kSlots];
constexpr int kAbortedThreads = 8;
std::atomic<unsigned long> abortedThreads[kAbortedThreads];
std::atomic<bool> endProcess{false};

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void Cut(Slot& slot) noexcept {
  const int socket = slot.socket.exchange(kNoSocket);
  if (socket < 0) return;
  shutdown(socket, SHUT_RDWR);
  close(socket);
}

// Never destroyed: the thread outlives every static.
struct Watchdog {
  std::mutex mutex;
  std::condition_variable wake;

  Watchdog() { std::thread([this] { Loop(); }).detach(); }

  void Loop() {
    std::unique_lock lock(mutex);
    for (;;) {
      const int64_t now = NowMs();
      int64_t nearest = INT64_MAX;
      for (Slot& slot : slots) {
        if (!slot.used.load() || slot.socket.load() < 0) continue;
        const int64_t deadline = slot.deadlineMs.load();
        if (deadline <= now) {
          slot.expired = true;
          Cut(slot);
        } else if (deadline < nearest) {
          nearest = deadline;
        }
      }
      if (nearest == INT64_MAX) {
        wake.wait(lock);
      } else {
        wake.wait_for(lock, std::chrono::milliseconds(nearest - now));
      }
    }
  }

  // Wakes the thread so that it sees a socket just watched.
  void Tell() {
    { std::lock_guard held(mutex); }
    wake.notify_one();
  }
};

Watchdog& TheWatchdog() {
  static Watchdog* watchdog = new Watchdog;
  return *watchdog;
}

}  // namespace

ServerWait::ServerWait(int limitMs) : limitMs_(limitMs) {
  for (int i = 0; i < kSlots; ++i) {
    bool free = false;
    if (slots[i].used.compare_exchange_strong(free, true)) {
      slot_ = i;
      break;
    }
  }
  if (slot_ < 0) return;
  slots[slot_].expired = false;
  slots[slot_].thread = CurrentThread();
  Restart();
}

ServerWait::~ServerWait() {
  if (slot_ < 0) return;
  const int socket = slots[slot_].socket.exchange(kNoSocket);
  if (socket >= 0) close(socket);
  slots[slot_].used = false;
}

void ServerWait::Watch(int socket) {
  if (socket < 0) return;
  if (ServerWaitsAborted()) {
    shutdown(socket, SHUT_RDWR);
    return;
  }
  if (slot_ < 0) return;
  const int copy = fcntl(socket, F_DUPFD_CLOEXEC, 3);
  if (copy < 0) return;
  if (const int old = slots[slot_].socket.exchange(copy); old >= 0) close(old);
  Restart();
  TheWatchdog().Tell();
}

void ServerWait::Restart() {
  if (slot_ >= 0) slots[slot_].deadlineMs = NowMs() + limitMs_;
}

bool ServerWait::Expired() const { return slot_ >= 0 && slots[slot_].expired.load(); }

unsigned long CurrentThread() { return static_cast<unsigned long>(pthread_self()); }

void AbortServerWaits(unsigned long thread) {
  for (std::atomic<unsigned long>& aborted : abortedThreads) {
    unsigned long none = 0;
    if (aborted.load() == thread || aborted.compare_exchange_strong(none, thread)) break;
  }
  for (Slot& slot : slots) {
    if (slot.used.load() && slot.thread.load() == thread) Cut(slot);
  }
}

void ForgetAbortedThread(unsigned long thread) {
  for (std::atomic<unsigned long>& aborted : abortedThreads) {
    unsigned long known = thread;
    aborted.compare_exchange_strong(known, 0);
  }
}

bool ServerWaitsAborted() {
  const unsigned long thread = CurrentThread();
  for (const std::atomic<unsigned long>& aborted : abortedThreads) {
    if (aborted.load() == thread) return true;
  }
  return false;
}

void EndProcessOnSignalDuringServerWaits() { endProcess = true; }

void OnSignalDuringServerWaits(int signal) noexcept {
  bool waiting = false;
  for (Slot& slot : slots) waiting = waiting || slot.used.load();
  if (!waiting) return;
  if (endProcess) {
    DeleteRegisteredFiles();
    _exit(128 + signal);
  }
  for (Slot& slot : slots) Cut(slot);
}

}  // namespace torvik::platform
