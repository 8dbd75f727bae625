// Benchmark: the program's own BenchTests, running the real measured work:
// the processor tests and their workers, the test files, the disk tests and
// the memory tests. The drawing tests join as they are built; until then the
// buttons that would reach them stay disabled (see TFMain). GUI thread only.
#pragma once

#include "core/BenchTests.h"
#include "core/CpuTests.h"
#include "core/DiskTests.h"
#include "core/MemoryTests.h"
#include "core/TestFiles.h"

namespace torvik {

class Benchmark : public BenchTests {
 public:
  Benchmark(RunState& state, SettingsStore& settings, platform::FileSystem& fileSystem)
      : cpu_(state), files_(state, settings, fileSystem), disk_(state, files_), memory_(state, files_) {}

  TestFiles& Files() { return files_; }

  void StartCalcWorker() override;
  void StartRootWorker() override;
  void PrimeTest() override { cpu_.PrimeTest(); }
  void TrigTest() override { cpu_.TrigTest(); }

  void SquareTest() override { NotBuilt("Square"); }
  void CircleTest() override { NotBuilt("Circle"); }
  void TriangleTest() override { NotBuilt("Triangle"); }
  void TextTest() override { NotBuilt("Text"); }
  void ScrollTest() override { NotBuilt("Scroll"); }
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
  // Never reached from the window; refuses loudly rather than report a time
  // for work that was not done.
  [[noreturn]] static void NotBuilt(const char* test);

  CpuTests cpu_;
  TestFiles files_;
  DiskTests disk_;
  MemoryTests memory_;
};

}  // namespace torvik
