// The timed loop holds the clock reads, one system call to submit each
// request, one to wait when no completion is there yet, the reap from the
// completion ring, the histogram's bucket increments and the next offsets:
// no allocation, no logging, no other system call. Buffers, tags and the
// scratch arrays are made before it.
#include "core/drive/RingEngine.h"

#include <cerrno>
#include <memory>
#include <vector>

#include "core/drive/DriveBuffers.h"
#include "core/drive/Xoshiro256.h"
#include "platform/Clock.h"

namespace torvik {
namespace {

// Waits the kernel refuses in a row before the job gives up on the
// requests still in flight (their buffers are then left to them).
constexpr int kRefusalsAllowed = 1'000;

// Completions taken at a time: one, its replacement handed to the kernel
// before the next is looked at, as fio does by default (its
// iodepth_batch_complete_min and _max both 1). A completion that waits in
// the ring meanwhile waits in the latency too, as it does in fio's.
constexpr int kReapedAtOnce = 1;

enum class Phase { Untimed, WarmUp, Timed, Draining };

}  // namespace

void RingEngine::Run(const DriveJob& job, DriveControl& control, DriveRun& run) {
  int refused = 0;
  const std::unique_ptr<platform::IoRing> ring = io_.OpenRing(file_, job.depth, refused);
  if (!ring) {
    run.error = refused != 0 ? refused : EOPNOTSUPP;
    return;
  }
  Xoshiro256 random(Xoshiro256::FreshSeed());
  const int depth = job.depth;
  DriveBuffers buffers(depth, job.blockBytes, random);
  std::vector<int64_t> submittedAt(depth, 0);  // by slot: when its request went to the kernel
  int freed[kReapedAtOnce];
  platform::IoCompletion done[kReapedAtOnce];
  const int64_t blocks = job.fileBytes / job.blockBytes;
  int64_t nextBlock = 0, issuedBlocks = 0;
  uint64_t sequence = 0;
  int inFlight = 0;
  bool issuing = true;

  // Prepares the slot's next request and hands it to the kernel at once,
  // one system call each, as fio does (its iodepth_batch=1).
  const auto issue = [&](int slot) {
    int64_t block;
    if (job.random) {
      block = static_cast<int64_t>(random.Below(static_cast<uint64_t>(blocks)));
    } else {
      block = nextBlock;
      if (++nextBlock == blocks) nextBlock = 0;  // a sequential row wraps; the fill ends before
    }
    const int64_t offset = block * job.blockBytes;
    if (job.write || job.fill) {
      if (job.fill) buffers.Refill(slot, random);
      buffers.Stamp(slot, ++sequence);
      ring->PrepareWrite(buffers.Slot(slot), job.blockBytes, offset, static_cast<uint64_t>(slot));
    } else {
      ring->PrepareRead(buffers.Slot(slot), job.blockBytes, offset, static_cast<uint64_t>(slot));
    }
    ++issuedBlocks;
    submittedAt[slot] = platform::MonotonicNanoseconds();
    if (const int result = ring->Submit(); result < 0) {
      if (!run.Failed()) run.error = -result;
      issuing = false;  // the queue is good for the drain alone now
      return;
    }
    ++inFlight;
  };
  const auto mayIssue = [&] { return issuing && (!job.fill || issuedBlocks < blocks); };

  for (int slot = 0; slot < depth && mayIssue(); ++slot) issue(slot);
  Phase phase = job.fill ? Phase::Untimed : Phase::WarmUp;
  const int64_t warmUpEnd = platform::MonotonicNanoseconds() + job.warmUpNs;
  int64_t timedFrom = 0;
  int refusals = 0;
  while (inFlight > 0) {
    if (const int result = ring->Wait(); result < 0) {
      if (!run.Failed()) run.error = -result;
      issuing = false;
      if (++refusals == kRefusalsAllowed) {
        buffers.Abandon();
        return;
      }
      continue;
    }
    refusals = 0;
    const int reaped = ring->Reap(done, kReapedAtOnce);
    const int64_t now = platform::MonotonicNanoseconds();
    const bool counting = phase == Phase::Timed;
    int freedCount = 0;
    for (int i = 0; i < reaped; ++i) {
      --inFlight;
      const platform::IoCompletion& completion = done[i];
      const int slot = static_cast<int>(completion.tag);
      if (completion.result != static_cast<int32_t>(job.blockBytes)) {
        if (!run.Failed()) {
          if (completion.result < 0) {
            run.error = -completion.result;
          } else {
            run.shortTransfer = true;
          }
        }
        issuing = false;
        continue;
      }
      run.bytesMoved += completion.result;
      if (counting) {
        run.latency.Record(now - submittedAt[slot]);
        ++run.requests;
      }
      freed[freedCount++] = slot;
    }
    if (phase == Phase::Untimed) {
      control.filled.store(run.bytesMoved, std::memory_order_relaxed);
    } else if (phase == Phase::WarmUp && now >= warmUpEnd) {
      // What completed up to now belongs to the warm-up; the queue stays full.
      phase = Phase::Timed;
      timedFrom = now;
    } else if (phase == Phase::Timed && now - timedFrom >= job.rowNs) {
      phase = Phase::Draining;
      run.elapsedNs = now - timedFrom;
      issuing = false;
    }
    if (control.stop.load(std::memory_order_relaxed) && phase != Phase::Draining) {
      run.stopped = true;
      issuing = false;
    }
    for (int i = 0; i < freedCount && mayIssue(); ++i) issue(freed[i]);
  }
}

}  // namespace torvik
