// PrimeLoadWorker: a worker that loads the processor with the prime test's trial
// division on 1..50,000, beside the prime calculation test. It starts on
// construction and deletes itself when done. Construct on the GUI thread.
#pragma once

#include "core/workloads/WorkerThread.h"

namespace torvik {

class PrimeLoadWorker : public WorkerThread {
 public:
  static constexpr int32_t kLast = 50'000;
  PrimeLoadWorker() { StartNow(); }

 protected:
  void run() override { CalcWorkerLoop(kLast, *this); }
};

}  // namespace torvik
