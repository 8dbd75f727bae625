#include "core/cores/ThreadTeam.h"

#include <cerrno>
#include <system_error>

#include "SpinPause.h"
#include "platform/Clock.h"

namespace torvik {
namespace {

// About a few milliseconds of pause instructions.
constexpr int kSpinsAtTheLine = 100'000;

}  // namespace

ThreadTeam::ThreadTeam(const std::vector<int>& processors, const platform::ProcessorAffinity& affinity)
    : processors_(processors), affinity_(affinity), pinErrors_(processors.size(), 0), errors_(processors.size()) {
  threads_.reserve(processors_.size());
  for (size_t i = 0; i < processors_.size(); ++i) {
    try {
      threads_.emplace_back([this, i] { Body(static_cast<int>(i)); });
    } catch (const std::system_error& e) {
      failure_ = StartFailure{-1, e.code().value() != 0 ? e.code().value() : EAGAIN};
      break;
    }
  }
  // Every thread that started reports once it has pinned itself.
  const int started = static_cast<int>(threads_.size());
  for (int seen = ready_.load(); seen < started; seen = ready_.load()) ready_.wait(seen);
  if (!failure_) {
    for (size_t i = 0; i < processors_.size(); ++i) {
      if (pinErrors_[i] != 0) {
        failure_ = StartFailure{processors_[i], pinErrors_[i]};
        break;
      }
    }
  }
  if (failure_) Stop();
}

ThreadTeam::~ThreadTeam() { Stop(); }

void ThreadTeam::Stop() {
  quit_.store(true);
  round_.fetch_add(1);
  round_.notify_all();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void ThreadTeam::Body(int index) {
  pinErrors_[index] = affinity_.PinCallingThread(processors_[index]);
  ready_.fetch_add(1);
  ready_.notify_all();
  int seen = 0;
  while (true) {
    round_.wait(seen);
    seen = round_.load();
    if (quit_.load()) return;
    const int n = Size();
    if (timed_) {
      // The start line: the last to arrive reads the clock and lets all go.
      if (arrived_.fetch_add(1) + 1 == n) {
        startNs_ = platform::MonotonicNanoseconds();
        released_.store(seen);
        released_.notify_all();
      } else {
        // Awake at the line, so the release reaches every thread at once
        // rather than after the kernel has woken each; a line that takes
        // long (a thread still being scheduled) is waited for asleep.
        for (int spins = 0; released_.load(std::memory_order_acquire) != seen && spins < kSpinsAtTheLine; ++spins) {
          arch::SpinPause();
        }
        for (int r = released_.load(); r != seen; r = released_.load()) released_.wait(r);
      }
    }
    try {
      (*task_)(index);
    } catch (...) {
      errors_[index] = std::current_exception();
    }
    if (finished_.fetch_add(1) + 1 == n) {
      if (timed_) endNs_ = platform::MonotonicNanoseconds();
      done_.store(seen);
      done_.notify_all();
    }
  }
}

void ThreadTeam::Round(const std::function<void(int)>& task, bool timed) {
  // A team that failed to start (or has no thread) has nobody to run it.
  if (failure_ || threads_.empty()) {
    startNs_ = endNs_ = 0;
    return;
  }
  task_ = &task;
  timed_ = timed;
  arrived_.store(0);
  finished_.store(0);
  for (std::exception_ptr& error : errors_) error = nullptr;
  const int round = round_.fetch_add(1) + 1;
  round_.notify_all();
  for (int d = done_.load(); d != round; d = done_.load()) done_.wait(d);
  for (const std::exception_ptr& error : errors_) {
    if (error) std::rethrow_exception(error);
  }
}

void ThreadTeam::RunEach(const std::function<void(int)>& task) { Round(task, false); }

int64_t ThreadTeam::RunTimed(const std::function<void(int)>& task) {
  Round(task, true);
  return endNs_ - startNs_;
}

}  // namespace torvik
