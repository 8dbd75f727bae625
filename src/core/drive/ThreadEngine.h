// ThreadEngine: a drive job without io_uring, for kernels that refuse it
// (ENOSYS, or EPERM under a seccomp filter): `depth` threads, each with
// one pread or pwrite in flight at a time, so the drive sees the same queue
// depth. Sequential rows share one cursor (each thread takes the next
// block); random rows draw from a generator per thread. Each thread times
// its own calls into a histogram of its own, merged when all have ended;
// Run starts and joins them, so none outlives it. One job at a time.
#pragma once

#include "core/drive/DriveEngine.h"

namespace torvik {

class ThreadEngine : public DriveEngine {
 public:
  // `file` must outlive the engine.
  explicit ThreadEngine(platform::DirectFile& file) : file_(file) {}
  const char* Name() const override { return "threads"; }
  void Run(const DriveJob& job, DriveControl& control, DriveRun& run) override;

 private:
  platform::DirectFile& file_;
};

}  // namespace torvik
