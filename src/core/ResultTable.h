// The result table: one timing slot per test plus the running total. Owned by
// the main window's run state for the whole program run and cleared at the
// start of every group. GUI thread only.
#pragma once

#include <array>
#include <cstddef>

#include "core/TimeValue.h"

namespace torvik {

// The tests, in the order of their slots.
enum class Test : std::size_t {
  Calc,
  Trig,
  Square,
  Circle,
  Triangle,
  Text,
  Scroll,
  Memory,
  Write1,
  Write2,
  Write3,
  Read1,
  Read2,
  Read3,
  Mix,
};
inline constexpr std::size_t kTestCount = 15;

// start: reading when the timed section began; end: latest reading;
// elapsed: the result (0 = no result).
struct TimingSlot {
  TimeValue start;
  TimeValue end;
  TimeValue elapsed;

  // The timed section begins at the clock reading `now`.
  void Begin(TimeValue now) { start = now; }
  // It ends at `now`: elapsed becomes end - start (a test's own result)...
  void End(TimeValue now) {
    end = now;
    elapsed = end - start;
  }
  // ...or grows by it (the disk tests, summed over the passes of a group).
  void EndAdding(TimeValue now) {
    end = now;
    elapsed += end - start;
  }
};

class ResultTable {
 public:
  TimingSlot& operator[](Test test) { return slots_[static_cast<std::size_t>(test)]; }
  const TimingSlot& operator[](Test test) const { return slots_[static_cast<std::size_t>(test)]; }

  TimeValue& Total() { return total_; }
  TimeValue Total() const { return total_; }

  // Sets every field of every slot and the total to 0.
  void Clear() {
    slots_ = {};
    total_ = TimeValue();
  }

 private:
  std::array<TimingSlot, kTestCount> slots_{};
  TimeValue total_;
};

}  // namespace torvik
