// The result table: one timing slot per test (with what else the machine did
// while the test ran) plus the running total. Owned by
// the run session's run state for the whole program run and cleared at the
// start of every group. GUI thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/base/TimeValue.h"
#include "core/machine/MachineNoise.h"
#include "core/results/TestCatalogue.h"

namespace torvik {

// A reading of the clock: tenths of a second (the classic figure) and the
// monotonic nanoseconds that reading was taken from.
struct ClockReading {
  TimeValue tenths;
  int64_t nanoseconds = 0;
};

// start: reading when the timed section began; end: latest reading;
// elapsed: the result (0 = no result). Each kept twice: in tenths, as the
// window shows it, and in nanoseconds, the precise figure, both from the
// same two readings. work: what the timed section did, in the test's unit
// (divisions, shapes, bytes...), summed like elapsed. noise: the machine
// around the test, merged over the passes; none where nobody looked.
struct TimingSlot {
  TimeValue start;
  TimeValue end;
  TimeValue elapsed;
  int64_t startNs = 0;
  int64_t endNs = 0;
  int64_t elapsedNs = 0;
  int64_t work = 0;
  std::optional<TestNoise> noise;

  // Whether the test has a precise result (it ran and its clock moved).
  bool HasResult() const { return elapsedNs > 0; }

  // The timed section begins at the clock reading `now`.
  void Begin(ClockReading now) {
    start = now.tenths;
    startNs = now.nanoseconds;
  }
  // It ends at `now`: elapsed becomes end - start (a test's own result)...
  void End(ClockReading now) {
    end = now.tenths;
    endNs = now.nanoseconds;
    elapsed = end - start;
    elapsedNs = endNs - startNs;
  }
  // ...or grows by it (the disk tests, summed over the passes of a group).
  void EndAdding(ClockReading now) {
    end = now.tenths;
    endNs = now.nanoseconds;
    elapsed += end - start;
    elapsedNs += endNs - startNs;
  }
};

class ResultTable {
 public:
  TimingSlot& operator[](Test test) { return slots_[static_cast<std::size_t>(test)]; }
  const TimingSlot& operator[](Test test) const { return slots_[static_cast<std::size_t>(test)]; }

  TimeValue& Total() { return total_; }
  TimeValue Total() const { return total_; }
  // The running total in nanoseconds, kept beside the tenths.
  int64_t TotalNs() const { return totalNs_; }

  // The total becomes the slot's elapsed time (the first test of a group)...
  void SetTotalTo(Test test) {
    total_ = (*this)[test].elapsed;
    totalNs_ = (*this)[test].elapsedNs;
  }
  // ...or grows by it.
  void AddToTotal(Test test) {
    total_ += (*this)[test].elapsed;
    totalNs_ += (*this)[test].elapsedNs;
  }

  // ...or by another table's total (groups run one after another).
  void AddTotal(TimeValue tenths, int64_t nanoseconds) {
    total_ += tenths;
    totalNs_ += nanoseconds;
  }

  // Sets every field of every slot and the total to 0.
  void Clear() {
    slots_ = {};
    total_ = TimeValue();
    totalNs_ = 0;
  }

 private:
  std::array<TimingSlot, kTestCount> slots_{};
  TimeValue total_;
  int64_t totalNs_ = 0;
};

}  // namespace torvik
