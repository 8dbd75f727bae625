#include "core/workloads/CpuKernels.h"

namespace torvik {
namespace {

// Lets a worker's thread end the loop and hears of every composite number.
class HookProbe {
 public:
  explicit HookProbe(WorkerHooks& hooks) : hooks_(hooks) {}
  bool KeepGoing() { return hooks_.KeepGoing(); }
  void Remainder() {}
  void Composite(int32_t) { hooks_.CheckQueue(); }
  void Argument(int32_t) {}

 private:
  WorkerHooks& hooks_;
};

}  // namespace

__attribute__((noinline)) void PrimeBlock(int32_t first, int32_t last) {
  NoProbe probe;
  TrialDivision(first, last, probe);
}

__attribute__((noinline)) void TrigBlock(int32_t first, int32_t last) {
  NoProbe probe;
  TrigSeries(first, last, probe);
}

__attribute__((noinline)) void CalcWorkerLoop(int32_t last, WorkerHooks& hooks) {
  HookProbe probe(hooks);
  TrialDivision(1, last, probe);
}

__attribute__((noinline)) void RootWorkerLoop(int32_t last, WorkerHooks& hooks) {
  HookProbe probe(hooks);
  ArcTanSeries(1, last, probe);
}

}  // namespace torvik
