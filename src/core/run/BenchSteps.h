// BenchSteps: the steps the group sequencers call, in the order the groups
// prescribe: the tests (each by its catalogue entry, whose `operation` names
// the step: PrimeTest, DiskWrite40, ...), the load workers and the test
// data's preparation and release. The program's implementation
// (workloads/BenchWorkloads) runs the real measured work; tests substitute
// a recorder. GUI thread only.
#pragma once

#include <QStringList>

#include "core/results/TestCatalogue.h"

namespace torvik {

class BenchSteps {
 public:
  virtual ~BenchSteps() = default;

  // Worker threads that load the processor beside the processor tests. They
  // run from construction on; nobody waits for them.
  virtual void StartCalcWorker() = 0;
  virtual void StartRootWorker() = 0;

  // Runs `test`: its slot's elapsed time is set (accumulated over the passes
  // for a disk test) and its result label written.
  virtual void RunTest(Test test) = 0;

  // Sets the Stop flag, after telling the user, when the test drive is unusable.
  virtual void CheckTestDrive() = 0;
  virtual void PrepareMemoryBuffers() = 0;
  virtual void PrepareDiskFiles() = 0;
  virtual void ScratchWrite() = 0;
  // Releases the memory buffers and deletes every test file; safe to call
  // when nothing was prepared. The test files that could not be deleted
  // (a folder made read-only), by name.
  virtual QStringList CleanupTestData() = 0;
};

}  // namespace torvik
