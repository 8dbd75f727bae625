// NoiseWatchedSteps: the steps of another BenchSteps, each test looked at by
// the machine's noise probe just before and just after it runs (outside its
// timed section) and the noise kept in the test's slot, merged over the
// passes of a disk test. A test that fails keeps none. GUI thread only.
#pragma once

#include "core/machine/MachineNoise.h"
#include "core/run/BenchSteps.h"
#include "core/run/RunState.h"

namespace torvik {

class NoiseWatchedSteps : public BenchSteps {
 public:
  // All must outlive the steps.
  NoiseWatchedSteps(BenchSteps& steps, RunState& state, const MachineNoise& noise)
      : steps_(steps), state_(state), noise_(noise) {}

  void StartCalcWorker() override { steps_.StartCalcWorker(); }
  void StartRootWorker() override { steps_.StartRootWorker(); }
  void RunTest(Test test) override {
    const NoiseSample before = noise_.Sample();
    steps_.RunTest(test);
    const TestNoise noise = noise_.Between(before, noise_.Sample());
    std::optional<TestNoise>& kept = state_.Results()[test].noise;
    if (kept) {
      kept->Merge(noise);
    } else {
      kept = noise;
    }
  }
  void CheckTestDrive() override { steps_.CheckTestDrive(); }
  void PrepareMemoryBuffers() override { steps_.PrepareMemoryBuffers(); }
  void PrepareDiskFiles() override { steps_.PrepareDiskFiles(); }
  void ScratchWrite() override { steps_.ScratchWrite(); }
  QStringList CleanupTestData() override { return steps_.CleanupTestData(); }

 private:
  BenchSteps& steps_;
  RunState& state_;
  const MachineNoise& noise_;
};

}  // namespace torvik
