// Benchmark: the program's own BenchTests, running the real measured work:
// the processor tests and their workers, the test files, the disk tests and
// the memory tests, and the window's drawing tests. GUI thread only.
#pragma once

#include "core/run/BenchSteps.h"
#include "core/workloads/CpuWorkloads.h"
#include "core/workloads/DiskWorkloads.h"
#include "core/workloads/MemoryWorkloads.h"
#include "core/workloads/TestDirectory.h"

namespace torvik {

class Benchmark : public BenchTests {
 public:
  Benchmark(RunState& state, SettingsStore& settings, platform::FileSystem& fileSystem, TestPathRules& rules)
      : cpu_(state), files_(state, settings, fileSystem, rules), disk_(state, files_), memory_(state, files_) {}

  TestFiles& Files() { return files_; }

  void StartCalcWorker() override;
  void StartRootWorker() override;
  void PrimeTest() override { cpu_.PrimeTest(); }
  void TrigTest() override { cpu_.TrigTest(); }

  // The window's drawing tests; until they are set the drawing steps refuse.
  void SetDrawingTests(DrawingTests* drawing) { drawing_ = drawing; }
  void SquareTest() override { Drawing().SquareTest(); }
  void CircleTest() override { Drawing().CircleTest(); }
  void TriangleTest() override { Drawing().TriangleTest(); }
  void TextTest() override { Drawing().TextTest(); }
  void ScrollTest() override { Drawing().ScrollTest(); }
  void MemoryCopyTest() override { memory_.MemoryCopyTest(); }
  void MixModeTest() override { memory_.MixModeTest(); }
  void DiskWrite40() override { disk_.Write(kWrite40); }
  void DiskWrite50() override { disk_.Write(kWrite50); }
  void DiskWrite60() override { disk_.Write(kWrite60); }
  void DiskRead40() override { disk_.Read(kRead40); }
  void DiskRead50() override { disk_.Read(kRead50); }
  void DiskRead60() override { disk_.Read(kRead60); }
  void CheckTestDrive() override { files_.CheckTestDrive(); }
  void PrepareMemoryBuffers() override { files_.PrepareMemoryBuffers(); }
  void PrepareDiskFiles() override { files_.PrepareDiskFiles(); }
  void ScratchWrite() override { files_.ScratchWrite(); }
  void CleanupTestData() override { files_.CleanupTestData(); }

 private:
  // Refuses loudly, rather than report a time for work that was not done.
  DrawingTests& Drawing();

  CpuTests cpu_;
  DrawingTests* drawing_ = nullptr;
  TestFiles files_;
  DiskTests disk_;
  MemoryTests memory_;
};

}  // namespace torvik
