// DriveEngine: what moves a drive job's requests, and how one job is
// described and accounted. Two engines serve the same jobs: io_uring (one
// thread keeps `depth` requests in flight through a submission queue) and,
// where the kernel refuses io_uring, a pool of `depth` threads each doing
// one pread/pwrite at a time. A job is either a timed row (a warm-up, then
// its timed section; every completion in it counted and its latency kept)
// or the fill (every block of the file written once, in order, with fresh
// pseudo-random content). Latency is from just before a request is handed
// to the kernel (the io_uring_enter that submits it, or the pread/pwrite
// call) to the moment its completion is seen, which is fio's "lat" (its
// slat + clat; fio's clock starts a few hundred nanoseconds earlier, when
// it prepares the request). Run is called on a thread the group makes for
// it and returns once every request it made has finished; its own threads
// never outlive it. The control's flags may be read and written from any
// thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/drive/LatencyHistogram.h"
#include "platform/DriveIo.h"

namespace torvik {

struct DriveJob {
  bool fill = false;  // write every block once, in order, untimed
  bool write = false;
  bool random = false;
  uint32_t blockBytes = 0;
  int depth = 1;
  int64_t fileBytes = 0;  // whole blocks
  int64_t warmUpNs = 0;   // a timed row: completions before this is over are not counted
  int64_t rowNs = 0;      // then its timed section
};

// Shared between the job and the thread watching it.
struct DriveControl {
  std::atomic<bool> stop{false};   // set by the watcher: end the job at the next completion
  std::atomic<int64_t> filled{0};  // the fill: bytes on the drive so far
};

// What a job did.
struct DriveRun {
  int error = 0;               // the errno of the first request that failed (EIO, ENOSPC, ...)
  bool shortTransfer = false;  // a request moved fewer bytes than asked, without an errno
  bool stopped = false;        // ended by DriveControl::stop
  int64_t elapsedNs = 0;       // the timed section
  int64_t requests = 0;        // completed in it
  int64_t bytesMoved = 0;      // by every request of the job, warm-up and drain included
  LatencyHistogram latency;    // one entry for each request counted

  bool Failed() const { return error != 0 || shortTransfer; }
};

class DriveEngine {
 public:
  virtual ~DriveEngine() = default;
  // "io_uring" or "threads": what every figure says measured it.
  virtual const char* Name() const = 0;
  virtual void Run(const DriveJob& job, DriveControl& control, DriveRun& run) = 0;
};

}  // namespace torvik
