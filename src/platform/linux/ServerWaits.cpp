// The waits live in a fixed table of atomics, so that a signal handler may
// read it and cut sockets (shutdown() and close() are async-signal-safe).
// Whoever takes a socket out of its slot (the wait ending, the watchdog,
// the handler) is the one that closes it: no descriptor is closed twice or
// cut after another file took its number. One watchdog thread sleeps until
// the nearest limit, or until a socket is watched.
//
// When bytes last came is the kernel's word on a TCP connection (TCP_INFO's
// time since the last data, which counts every segment however soon the
// driver reads it); the watchdog asks it when a limit seems to pass. No
// readiness event can tell it: the driver, blocked on the same socket,
// takes each byte before the watchdog would see it waiting. A local socket
// tells nothing of the kind, so there a statement's silence counts from
// its start (a local server answers as fast as it can send).
#include "platform/ServerWaits.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
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
  std::atomic<int64_t> statementMs{0};  // when the statement began
  std::atomic<int> silenceMs{0}, slowMs{0};
  std::atomic<int> ended{0};  // ServerWait::End
};

Slot slots[kSlots];
constexpr int kAbortedThreads = 8;
std::atomic<unsigned long> abortedThreads[kAbortedThreads];
std::atomic<bool> endProcess{false};

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// When the last bytes came on `socket`, if its kernel keeps count (TCP).
std::optional<int64_t> LastBytesMs(int socket, int64_t now) {
  tcp_info info{};
  socklen_t size = sizeof info;
  if (getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 ||
      size < offsetof(tcp_info, tcpi_last_data_recv) + sizeof info.tcpi_last_data_recv) {
    return std::nullopt;
  }
  return now - int64_t{info.tcpi_last_data_recv};
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
        const int socket = slot.socket.load();
        if (!slot.used.load() || socket < 0) continue;
        const int64_t statement = slot.statementMs.load();
        const int64_t slowAt = statement + slot.slowMs.load();
        int64_t silentAt = statement + slot.silenceMs.load();
        if (silentAt <= now) {
          // Bytes since the statement began start its silence again.
          silentAt = std::max(statement, LastBytesMs(socket, now).value_or(statement)) + slot.silenceMs.load();
        }
        if (silentAt <= now || slowAt <= now) {
          slot.ended = static_cast<int>(silentAt <= now ? ServerWait::End::Silent : ServerWait::End::Slow);
          Cut(slot);
        } else {
          nearest = std::min({nearest, silentAt, slowAt});
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

ServerWait::ServerWait(int silenceMs, int slowMs) : silenceMs_(silenceMs), slowMs_(slowMs) {
  for (int i = 0; i < kSlots; ++i) {
    bool free = false;
    if (slots[i].used.compare_exchange_strong(free, true)) {
      slot_ = i;
      break;
    }
  }
  if (slot_ < 0) return;
  slots[slot_].ended = static_cast<int>(End::None);
  slots[slot_].thread = CurrentThread();
  slots[slot_].silenceMs = silenceMs_;
  slots[slot_].slowMs = slowMs_;
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
  if (slot_ >= 0) slots[slot_].statementMs = NowMs();
}

ServerWait::End ServerWait::Ended() const {
  return slot_ >= 0 ? static_cast<End>(slots[slot_].ended.load()) : End::None;
}

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
