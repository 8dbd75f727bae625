// ThreadTeam: the measuring threads of one point, one pinned to each of
// its processors, kept for as many rounds as the point needs (preparing,
// timed runs, checking). A timed round holds every thread at a start line
// until the last has arrived, reads the monotonic clock once as it
// releases them and once as the last one finishes: nothing else happens
// between the two readings on the team's side. The threads at the line
// spin for a few milliseconds before sleeping, so they start within a
// fraction of a microsecond of the reading. The team's owner (one
// thread: the group's) starts rounds and waits for them; every thread is
// joined when the team goes, on every path.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "platform/ProcessorAffinity.h"

namespace torvik {

class ThreadTeam {
 public:
  // What went wrong while starting: a thread the system would not create
  // (processor -1), or one that could not be pinned to `processor`.
  struct StartFailure {
    int processor = -1;
    int error = 0;
  };

  // Starts a thread for each of `processors`; each pins itself to its
  // processor and waits for the first round. Never throws: see Failure().
  ThreadTeam(const std::vector<int>& processors, const platform::ProcessorAffinity& affinity);
  ~ThreadTeam();
  ThreadTeam(const ThreadTeam&) = delete;
  ThreadTeam& operator=(const ThreadTeam&) = delete;

  // Empty when every thread started and sits on its processor.
  std::optional<StartFailure> Failure() const { return failure_; }
  int Size() const { return static_cast<int>(processors_.size()); }

  // Runs task(i) on thread i, all at once, and waits for them. An exception
  // a task throws is thrown here once every thread is done (the first
  // thread's first). A team with a Failure() runs nothing.
  void RunEach(const std::function<void(int)>& task);
  // The same, timed: the nanoseconds from the common release to the end of
  // the last thread.
  int64_t RunTimed(const std::function<void(int)>& task);

 private:
  void Body(int index);
  void Round(const std::function<void(int)>& task, bool timed);
  void Stop();

  const std::vector<int> processors_;
  const platform::ProcessorAffinity& affinity_;
  std::vector<std::thread> threads_;
  std::vector<int> pinErrors_;  // each thread's own slot, read once all are ready
  std::vector<std::exception_ptr> errors_;
  std::optional<StartFailure> failure_;

  const std::function<void(int)>* task_ = nullptr;
  bool timed_ = false;
  std::atomic<int> ready_{0};  // threads that have pinned themselves
  std::atomic<int> round_{0};  // bumped to start a round; the threads wait on it
  std::atomic<bool> quit_{false};
  std::atomic<int> arrived_{0};   // at the start line of the round under way
  std::atomic<int> released_{0};  // the round whose threads may go
  std::atomic<int> finished_{0};  // threads done with the round under way
  std::atomic<int> done_{0};      // the last round every thread finished
  int64_t startNs_ = 0, endNs_ = 0;
};

}  // namespace torvik
