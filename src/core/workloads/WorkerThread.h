// WorkerThread: the base of the processor-load workers. A worker starts its
// operating-system thread as soon as it is constructed, is never waited for
// by a test group, and deletes itself once its body has returned.
//
// Every live worker is registered so that program exit can ask the running
// ones to end and wait for them (StopAllWorkers): a thread must not be torn
// down under a still-running body. Construct and stop on the GUI thread.
#pragma once

#include <QThread>

#include "core/workloads/CpuKernels.h"

namespace torvik {

class WorkerThread : public QThread, protected WorkerHooks {
 public:
  ~WorkerThread() override;

  // Workers currently alive (started and not yet deleted).
  static int LiveCount();
  // Requests termination of every live worker, waits for each body to return
  // and deletes the workers. Called once at program exit.
  static void StopAllWorkers();

 protected:
  WorkerThread();
  // Call at the end of the derived constructor: the body starts at once.
  void StartNow();

  bool KeepGoing() override { return !isInterruptionRequested(); }
  void CheckQueue() override;
};

}  // namespace torvik
