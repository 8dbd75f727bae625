// CpuWorkloads: the measured work of the two processor tests: the prime
// calculation test (trial division of 1..100,000) and the trigonometric test
// (40,000,000 x tan, cos, sin). Each runs in ten blocks, writes its slot and
// its result label after every block and pumps messages there; neither
// looks at the Stop flag. GUI thread only.
#pragma once

#include "core/run/RunState.h"

namespace torvik {

// A test of ten blocks over the arguments 1..kBlocks*perBlock, and the
// operations they make: 32-bit divisions for the prime test, x87 function
// evaluations (tan, cos, sin) for the trigonometric test.
struct BlockPlan {
  int32_t blocks;
  int32_t perBlock;
  int64_t work;
};
inline constexpr BlockPlan kPrimePlan{10, 10'000, EntryOf(Test::Calc).standardWork};
inline constexpr BlockPlan kTrigPlan{10, 4'000'000, EntryOf(Test::Trig).standardWork};

class CpuWorkloads {
 public:
  explicit CpuWorkloads(RunState& state) : state_(state) {}

  void PrimeTest();
  void TrigTest();

 private:
  void RunBlocks(Test test, BlockPlan plan, void (*block)(int32_t first, int32_t last));

  RunState& state_;
};

}  // namespace torvik
