// The two processor tests of the GUI thread: the prime calculation test
// (trial division of 1..100,000) and the trigonometric test (40,000,000 x
// tan, cos, sin). Each runs in ten blocks, writes its slot and its result
// label after every block and pumps messages there; neither looks at the Stop
// flag. GUI thread only.
#pragma once

#include "core/RunState.h"

namespace torvik {

// A test of ten blocks over the arguments 1..kBlocks*perBlock.
struct BlockPlan {
  int32_t blocks;
  int32_t perBlock;
};
inline constexpr BlockPlan kPrimePlan{10, 10'000};
inline constexpr BlockPlan kTrigPlan{10, 4'000'000};

class CpuTests {
 public:
  explicit CpuTests(RunState& state) : state_(state) {}

  void PrimeTest();
  void TrigTest();

 private:
  void RunBlocks(Test test, BlockPlan plan, void (*block)(int32_t first, int32_t last));

  RunState& state_;
};

}  // namespace torvik
