// Benchmark: the program's own BenchTests, running the real measured work.
// The processor tests and their workers are built here; the drawing, memory
// and disk tests join as they are built, and until then the buttons that
// would reach them stay disabled (see TFMain). GUI thread only.
#pragma once

#include "core/BenchTests.h"
#include "core/CpuTests.h"

namespace torvik {

class Benchmark : public BenchTests {
 public:
  explicit Benchmark(RunState& state) : cpu_(state) {}

  void StartCalcWorker() override;
  void StartRootWorker() override;
  void PrimeTest() override { cpu_.PrimeTest(); }
  void TrigTest() override { cpu_.TrigTest(); }

  void SquareTest() override { NotBuilt("Square"); }
  void CircleTest() override { NotBuilt("Circle"); }
  void TriangleTest() override { NotBuilt("Triangle"); }
  void TextTest() override { NotBuilt("Text"); }
  void ScrollTest() override { NotBuilt("Scroll"); }
  void MemoryCopyTest() override { NotBuilt("Memory"); }
  void MixModeTest() override { NotBuilt("MIX Mode"); }
  void DiskWrite40() override { NotBuilt("HDD Write"); }
  void DiskWrite50() override { NotBuilt("HDD Write"); }
  void DiskWrite60() override { NotBuilt("HDD Write"); }
  void DiskRead40() override { NotBuilt("HDD Read"); }
  void DiskRead50() override { NotBuilt("HDD Read"); }
  void DiskRead60() override { NotBuilt("HDD Read"); }
  void CheckTestDrive() override { NotBuilt("HDD"); }
  void PrepareMemoryBuffers() override { NotBuilt("Memory"); }
  void PrepareDiskFiles() override { NotBuilt("HDD"); }
  void ScratchWrite() override { NotBuilt("HDD"); }
  // Nothing is prepared yet, so there is nothing to release.
  void CleanupTestData() override {}

 private:
  // Never reached from the window; refuses loudly rather than report a time
  // for work that was not done.
  [[noreturn]] static void NotBuilt(const char* test);

  CpuTests cpu_;
};

}  // namespace torvik
