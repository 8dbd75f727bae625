// The timed loop holds the clock reads, the one system call that submits
// and waits, the reap from the completion ring, the histogram's bucket
// increments and the next offsets: no allocation, no logging, no other
// system call. Buffers, tags and the scratch arrays are made before it.
#include "core/drive/RingEngine.h"

#include <vector>

#include "core/drive/DriveBuffers.h"
#include "core/drive/Xoshiro256.h"
#include "platform/Clock.h"

namespace torvik {
namespace {

// Submissions the kernel refuses in a row before the job gives up on the
// requests still in flight (their buffers are then left to them).
constexpr int kRefusalsAllowed = 1'000;

enum class Phase { Untimed, WarmUp, Timed, Draining };

}  // namespace

void RingEngine::Run(const DriveJob& job, DriveControl& control, DriveRun& run) {
  Xoshiro256 random(Xoshiro256::FreshSeed());
  const int depth = job.depth;
  DriveBuffers buffers(depth, job.blockBytes, random);
  std::vector<int64_t> submittedAt(depth, 0);  // by slot: when its request went to the kernel
  std::vector<int> pending(depth), freed(depth);
  std::vector<platform::IoCompletion> done(depth);
  const int64_t blocks = job.fileBytes / job.blockBytes;
  int64_t nextBlock = 0, issuedBlocks = 0;
  uint64_t sequence = 0;
  int pendingCount = 0, inFlight = 0;
  bool issuing = true;

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
      ring_->PrepareWrite(buffers.Slot(slot), job.blockBytes, offset, static_cast<uint64_t>(slot));
    } else {
      ring_->PrepareRead(buffers.Slot(slot), job.blockBytes, offset, static_cast<uint64_t>(slot));
    }
    ++issuedBlocks;
    pending[pendingCount++] = slot;
    ++inFlight;
  };
  const auto mayIssue = [&] { return issuing && (!job.fill || issuedBlocks < blocks); };

  for (int slot = 0; slot < depth && mayIssue(); ++slot) issue(slot);
  Phase phase = job.fill ? Phase::Untimed : Phase::WarmUp;
  const int64_t warmUpEnd = platform::MonotonicNanoseconds() + job.warmUpNs;
  int64_t timedFrom = 0;
  int refusals = 0;
  while (inFlight > 0) {
    const int64_t submitAt = platform::MonotonicNanoseconds();
    for (int i = 0; i < pendingCount; ++i) submittedAt[pending[i]] = submitAt;
    pendingCount = 0;
    if (const int result = ring_->SubmitAndWait(); result < 0) {
      if (!run.Failed()) run.error = -result;
      issuing = false;
      if (++refusals == kRefusalsAllowed) {
        buffers.Abandon();
        return;
      }
      continue;
    }
    refusals = 0;
    const int reaped = ring_->Reap(done.data(), depth);
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
