// BenchWorkloads: the program's own BenchSteps, running the real measured
// work: the processor tests and their load workers, the disk tests in the
// test directory, the memory copy and the mix mode over the memory buffers,
// and the drawing tests of the stage the user interface hands in. GUI
// thread only.
#pragma once

#include "core/run/BenchSteps.h"
#include "core/workloads/CpuWorkloads.h"
#include "core/workloads/DiskWorkloads.h"
#include "core/workloads/DrawingWorkloads.h"
#include "core/workloads/MemoryBuffers.h"
#include "core/workloads/MemoryWorkloads.h"
#include "core/workloads/TestDirectory.h"

namespace torvik {

class BenchWorkloads : public BenchSteps {
 public:
  // All must outlive the workloads.
  BenchWorkloads(RunState& state, SettingsStore& settings, platform::FileSystem& fileSystem, TestPathRules& rules)
      : cpu_(state),
        directory_(state, settings, fileSystem, rules),
        buffers_(directory_),
        disk_(state, directory_),
        memory_(state, directory_, buffers_) {}

  TestDirectory& Directory() { return directory_; }
  const MemoryBuffers& Buffers() const { return buffers_; }
  // The stage's drawing tests; until they are set the drawing steps refuse.
  void SetDrawingWorkloads(DrawingWorkloads* drawing) { drawing_ = drawing; }

  void StartCalcWorker() override;
  void StartRootWorker() override;
  void RunTest(Test test) override;
  void CheckTestDrive() override { directory_.CheckTestDrive(); }
  void PrepareMemoryBuffers() override { buffers_.PrepareMemoryBuffers(); }
  void PrepareDiskFiles() override { directory_.PrepareDiskFiles(); }
  void ScratchWrite() override { directory_.ScratchWrite(); }
  QStringList CleanupTestData() override;

 private:
  // Refuses loudly, rather than report a time for work that was not done.
  DrawingWorkloads& Drawing();

  CpuWorkloads cpu_;
  DrawingWorkloads* drawing_ = nullptr;
  TestDirectory directory_;
  MemoryBuffers buffers_;
  DiskWorkloads disk_;
  MemoryWorkloads memory_;
};

}  // namespace torvik
