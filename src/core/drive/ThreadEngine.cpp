// Each thread's timed loop holds two clock reads around one pread or
// pwrite, its own histogram's increment and the next offset (one atomic
// add for a sequential row): no allocation, no logging, no lock. A fixed
// window decides what counts: a request that ends after the warm-up and
// no later than the window's end, which is what a thread then stops
// starting new requests at.
#include "core/drive/ThreadEngine.h"

#include <atomic>
#include <thread>
#include <vector>

#include "core/drive/DriveBuffers.h"
#include "core/drive/Xoshiro256.h"
#include "platform/Clock.h"

namespace torvik {
namespace {

struct Worker {
  explicit Worker(uint64_t seed) : random(seed) {}
  Xoshiro256 random;
  LatencyHistogram latency;
  int64_t requests = 0;
  int64_t bytes = 0;
  int error = 0;
  bool shortTransfer = false;
  bool stopped = false;  // left at the control's stop, not at the window's end
};

}  // namespace

void ThreadEngine::Run(const DriveJob& job, DriveControl& control, DriveRun& run) {
  Xoshiro256 random(Xoshiro256::FreshSeed());
  DriveBuffers buffers(job.depth, job.blockBytes, random);
  std::vector<Worker> workers;
  workers.reserve(static_cast<size_t>(job.depth));
  for (int i = 0; i < job.depth; ++i) workers.emplace_back(random.Next());
  const int64_t blocks = job.fileBytes / job.blockBytes;
  std::atomic<int64_t> cursor{0};  // the next block of a sequential row or the fill
  std::atomic<uint64_t> sequence{0};
  std::atomic<bool> failed{false};
  const int64_t warmUpEnd = platform::MonotonicNanoseconds() + job.warmUpNs;
  const int64_t windowEnd = warmUpEnd + job.rowNs;

  const auto work = [&](int slot) {
    Worker& self = workers[static_cast<size_t>(slot)];
    uint8_t* block = buffers.Slot(slot);
    int64_t lastEnd = 0;
    while (!failed.load(std::memory_order_relaxed)) {
      int64_t index;
      if (job.random) {
        index = static_cast<int64_t>(self.random.Below(static_cast<uint64_t>(blocks)));
      } else {
        index = cursor.fetch_add(1, std::memory_order_relaxed);
        if (job.fill && index >= blocks) break;
        index %= blocks;
      }
      if (job.fill) buffers.Refill(slot, self.random);
      if (job.write || job.fill) buffers.Stamp(slot, sequence.fetch_add(1, std::memory_order_relaxed) + 1);
      const int64_t offset = index * job.blockBytes;
      if (control.stop.load(std::memory_order_relaxed)) {
        // A thread whose last request ended after the window has done its part.
        self.stopped = job.fill || lastEnd < windowEnd;
        break;
      }
      const int64_t start = platform::MonotonicNanoseconds();
      if (!job.fill && start >= windowEnd) break;  // the row is complete
      const int64_t moved = job.write || job.fill ? file_.WriteAt(block, job.blockBytes, offset)
                                                  : file_.ReadAt(block, job.blockBytes, offset);
      const int64_t end = platform::MonotonicNanoseconds();
      lastEnd = end;
      if (moved != static_cast<int64_t>(job.blockBytes)) {
        if (moved < 0) {
          self.error = static_cast<int>(-moved);
        } else {
          self.shortTransfer = true;
        }
        failed.store(true, std::memory_order_relaxed);
        break;
      }
      self.bytes += moved;
      if (job.fill) {
        control.filled.fetch_add(moved, std::memory_order_relaxed);
      } else if (end > warmUpEnd && end <= windowEnd) {
        self.latency.Record(end - start);
        ++self.requests;
      }
    }
  };

  {
    std::vector<std::jthread> threads;
    threads.reserve(static_cast<size_t>(job.depth));
    try {
      for (int slot = 0; slot < job.depth; ++slot) threads.emplace_back(work, slot);
    } catch (...) {
      control.stop.store(true);  // the threads already started end at once
      throw;
    }
  }  // every thread joined here

  for (const Worker& worker : workers) {
    run.latency.Merge(worker.latency);
    run.requests += worker.requests;
    run.bytesMoved += worker.bytes;
    if (!run.Failed()) {
      run.error = worker.error;
      run.shortTransfer = worker.shortTransfer;
    }
    run.stopped = run.stopped || worker.stopped;
  }
  if (!job.fill && !run.stopped) run.elapsedNs = job.rowNs;
}

}  // namespace torvik
