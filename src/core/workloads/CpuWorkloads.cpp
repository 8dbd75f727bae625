#include "core/workloads/CpuWorkloads.h"

#include "core/results/Timing.h"
#include "core/workloads/CpuKernels.h"

namespace torvik {

// The label updates and message pumps between the blocks lie inside the
// timed section: elapsed always runs from the start reading.
void CpuWorkloads::RunBlocks(Test test, BlockPlan plan, void (*block)(int32_t first, int32_t last)) {
  TimingSlot& slot = state_.Results()[test];
  slot.work = 0;  // known once every block has run
  slot.Begin(ReadClock());
  for (int32_t b = 1; b <= plan.blocks; ++b) {
    block(plan.perBlock * (b - 1) + 1, plan.perBlock * b);
    slot.End(ReadClock());
    if (b == plan.blocks) slot.work = plan.work;
    state_.ShowElapsed(test);
    if (b == plan.blocks) state_.View().RepaintNow();
    state_.PumpMessages();
  }
}

void CpuWorkloads::PrimeTest() { RunBlocks(Test::Calc, kPrimePlan, &PrimeBlock); }

void CpuWorkloads::TrigTest() { RunBlocks(Test::Trig, kTrigPlan, &TrigBlock); }

}  // namespace torvik
