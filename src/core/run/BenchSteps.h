// BenchTests: the tests and preparation steps that the group sequencers call,
// in the order the groups prescribe. The program's implementation runs the
// real measured work; tests substitute a recorder. GUI thread only.
#pragma once

namespace torvik {

class BenchTests {
 public:
  virtual ~BenchTests() = default;

  // Worker threads that load the processor beside the processor tests. They
  // run from construction on; nobody waits for them.
  virtual void StartCalcWorker() = 0;
  virtual void StartRootWorker() = 0;

  // Each test sets its slot's elapsed time and writes its result label.
  virtual void PrimeTest() = 0;
  virtual void TrigTest() = 0;
  virtual void SquareTest() = 0;
  virtual void CircleTest() = 0;
  virtual void TriangleTest() = 0;
  virtual void TextTest() = 0;
  virtual void ScrollTest() = 0;
  virtual void MemoryCopyTest() = 0;
  virtual void MixModeTest() = 0;

  // Disk tests accumulate their slot's elapsed time over the passes.
  virtual void DiskWrite40() = 0;
  virtual void DiskWrite50() = 0;
  virtual void DiskWrite60() = 0;
  virtual void DiskRead40() = 0;
  virtual void DiskRead50() = 0;
  virtual void DiskRead60() = 0;

  // Sets the Stop flag, after telling the user, when the test drive is unusable.
  virtual void CheckTestDrive() = 0;
  virtual void PrepareMemoryBuffers() = 0;
  virtual void PrepareDiskFiles() = 0;
  virtual void ScratchWrite() = 0;
  // Releases the memory buffers and deletes every test file; safe to call
  // when nothing was prepared.
  virtual void CleanupTestData() = 0;
};

// The drawing and scroll tests, which need a screen: the window provides
// them. Each sets its slot's elapsed time and writes its result label.
class DrawingTests {
 public:
  virtual ~DrawingTests() = default;
  virtual void SquareTest() = 0;
  virtual void CircleTest() = 0;
  virtual void TriangleTest() = 0;
  virtual void TextTest() = 0;
  virtual void ScrollTest() = 0;
};

}  // namespace torvik
