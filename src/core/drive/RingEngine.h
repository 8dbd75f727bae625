// RingEngine: a drive job through an io_uring submission queue, on the one
// thread that calls Run, the way fio's io_uring engine runs the same job
// by default: each request handed to the kernel as soon as it is prepared,
// one completion reaped at a time and replaced at once by the next request
// on the same buffer slot, so `depth` requests stay in flight. Each job
// opens a queue of its own depth on the thread that runs it, as the kernel
// wants of a queue with one submitter. One job at a time.
#pragma once

#include "core/drive/DriveEngine.h"

namespace torvik {

class RingEngine : public DriveEngine {
 public:
  // Both must outlive the engine.
  RingEngine(platform::DriveIo& io, platform::DirectFile& file) : io_(io), file_(file) {}
  const char* Name() const override { return "io_uring"; }
  // A queue the kernel refuses now (it gave one when the engine was
  // chosen) is the job's error.
  void Run(const DriveJob& job, DriveControl& control, DriveRun& run) override;

 private:
  platform::DriveIo& io_;
  platform::DirectFile& file_;
};

}  // namespace torvik
