// The waits live in a fixed table of atomics, so that a signal handler may
// read it and cut sockets (shutdown() and close() are async-signal-safe).
// Whoever takes a socket out of its slot (the wait ending, the watchdog,
// the handler) is the one that closes it: no descriptor is closed twice or
// cut after another file took its number. One watchdog thread sleeps in
// epoll_wait until the nearest limit: each watched socket is in its epoll
// set edge-triggered, so every arrival of bytes wakes it once and starts
// that wait's silence again (the driver reads the bytes; the watchdog only
// hears that they came), and an eventfd wakes it when a socket is watched.
// An event names its slot and the slot's generation, so an event of a
// socket the handler closed (it cannot take it out of the set) is known
// as stale.
#include "platform/ServerWaits.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
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
  std::atomic<uint32_t> generation{0};  // one more for each socket watched
  std::atomic<int64_t> statementMs{0};  // when the statement began
  std::atomic<int64_t> lastBytesMs{0};  // when bytes last arrived (or the statement began)
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

// An epoll event's data: the slot and its generation.
uint64_t EventData(int slot, uint32_t generation) { return (uint64_t{generation} << 8) | uint64_t(slot); }

// Takes the socket out of its slot and closes it (async-signal-safe: the
// handler's way, which leaves it in the epoll set; a stale event of it is
// told by its generation).
void Cut(Slot& slot) noexcept {
  const int socket = slot.socket.exchange(kNoSocket);
  if (socket < 0) return;
  shutdown(socket, SHUT_RDWR);
  close(socket);
}

// Never destroyed: the thread outlives every static.
struct Watchdog {
  int epoll = -1;
  int wake = -1;  // an eventfd: a socket was watched

  Watchdog() {
    epoll = epoll_create1(EPOLL_CLOEXEC);
    wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (epoll >= 0 && wake >= 0) {
      epoll_event event{};
      event.events = EPOLLIN;
      event.data.u64 = UINT64_MAX;
      epoll_ctl(epoll, EPOLL_CTL_ADD, wake, &event);
    }
    std::thread([this] { Loop(); }).detach();
  }

  // Takes the socket out of its slot and out of the set, and closes it;
  // `cut`: shuts the connection down first (a limit passed), else only our
  // duplicate goes (the wait ended, the connection lives on).
  void Remove(Slot& slot, bool cut) noexcept {
    const int socket = slot.socket.exchange(kNoSocket);
    if (socket < 0) return;
    if (epoll >= 0) epoll_ctl(epoll, EPOLL_CTL_DEL, socket, nullptr);
    if (cut) shutdown(socket, SHUT_RDWR);
    close(socket);
  }

  void Add(int slot, int socket, uint32_t generation) {
    if (epoll < 0) return;
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
    event.data.u64 = EventData(slot, generation);
    epoll_ctl(epoll, EPOLL_CTL_ADD, socket, &event);
  }

  void Loop() {
    for (;;) {
      const int64_t now = NowMs();
      int64_t nearest = INT64_MAX;
      for (Slot& slot : slots) {
        if (!slot.used.load() || slot.socket.load() < 0) continue;
        const int64_t silentAt = slot.lastBytesMs.load() + slot.silenceMs.load();
        const int64_t slowAt = slot.statementMs.load() + slot.slowMs.load();
        if (silentAt <= now || slowAt <= now) {
          slot.ended = static_cast<int>(silentAt <= now ? ServerWait::End::Silent : ServerWait::End::Slow);
          Remove(slot, true);
        } else {
          nearest = std::min({nearest, silentAt, slowAt});
        }
      }
      const int timeout = nearest == INT64_MAX ? -1 : static_cast<int>(std::min<int64_t>(nearest - now, 60'000));
      epoll_event events[kSlots + 1];
      const int count = epoll >= 0 ? epoll_wait(epoll, events, kSlots + 1, timeout) : -1;
      if (count < 0) {
        if (epoll < 0 || errno != EINTR)
          std::this_thread::sleep_for(std::chrono::milliseconds(timeout < 0 ? 100 : timeout));
        continue;
      }
      const int64_t arrived = NowMs();
      for (int i = 0; i < count; ++i) {
        if (events[i].data.u64 == UINT64_MAX) {
          uint64_t ignored = 0;
          [[maybe_unused]] const ssize_t n = read(wake, &ignored, sizeof ignored);
          continue;
        }
        const int index = static_cast<int>(events[i].data.u64 & 0xff);
        const uint32_t generation = static_cast<uint32_t>(events[i].data.u64 >> 8);
        if (index >= kSlots) continue;
        Slot& slot = slots[index];
        if (slot.used.load() && slot.socket.load() >= 0 && slot.generation.load() == generation) {
          slot.lastBytesMs = arrived;
        }
      }
    }
  }

  // Wakes the thread so that it sees a socket just watched.
  void Tell() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wake, &one, sizeof one);
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
  TheWatchdog().Remove(slots[slot_], false);
  slots[slot_].used = false;
}

void ServerWait::Watch(int socket) {
  if (socket < 0) return;
  if (ServerWaitsAborted()) {
    shutdown(socket, SHUT_RDWR);
    return;
  }
  if (slot_ < 0) return;
  Watchdog& watchdog = TheWatchdog();
  watchdog.Remove(slots[slot_], false);
  const int copy = fcntl(socket, F_DUPFD_CLOEXEC, 3);
  if (copy < 0) return;
  const uint32_t generation = slots[slot_].generation.fetch_add(1) + 1;
  Restart();
  watchdog.Add(slot_, copy, generation);
  slots[slot_].socket = copy;
  watchdog.Tell();
}

void ServerWait::Restart() {
  if (slot_ < 0) return;
  const int64_t now = NowMs();
  slots[slot_].statementMs = now;
  slots[slot_].lastBytesMs = now;
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
