// ArctanLoadWorker: a worker that loads the processor with 40,000,000 x87 arctangents,
// beside the trigonometric test. It starts on construction and deletes itself
// when done. Construct on the GUI thread.
#pragma once

#include "core/workloads/WorkerThread.h"

namespace torvik {

class ArctanLoadWorker : public WorkerThread {
 public:
  static constexpr int32_t kLast = 40'000'000;
  ArctanLoadWorker() { StartNow(); }

 protected:
  void run() override { RootWorkerLoop(kLast, *this); }
};

}  // namespace torvik
