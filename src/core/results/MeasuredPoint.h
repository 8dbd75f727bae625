// MeasuredPoint: one figure of the groups that measure today's machine
// (cores, ram, drive): a workload or kernel at a thread count, a latency
// at a working-set size, or a drive row at a queue depth, with the time
// its timed section took, the work done in it and the rate that follows,
// and what else the machine did around it. The archive keeps each point as
// a test of its own (StoreId). Plain values; any thread.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "core/machine/MachineNoise.h"

namespace torvik {

struct MeasuredPoint {
  QString group;  // "cores", "ram", "drive"
  // The workload or kernel: "division", "zstd-compress", "zstd-decompress",
  // "sha256", "aes-256-gcm", "stream-copy", "stream-scale", "stream-add",
  // "stream-triad", "latency", "seq1m-q8t1-read", ...
  QString test;
  int threads = 1;        // the threads that ran it (a drive row: its T)
  int64_t bytes = 0;      // a latency point's working set; 0 for the others
  int64_t elapsedNs = 0;  // the timed section: from the common start to the last thread's end
  double work = 0;        // in the work's own unit: divisions, bytes, loads, requests
  double rate = 0;        // in `unit`, from work and elapsedNs
  QString unit{};         // "ops/s", "MB/s", "GB/s", "ns"
  std::optional<double> nanoseconds{};  // a latency point: per dependent load
  // A latency point: how many bytes of its buffer transparent huge pages
  // backed (AnonHugePages of the range in /proc/self/smaps); none where
  // that could not be read.
  std::optional<int64_t> hugePageBytes{};
  // A drive row: requests a second, completion latency percentiles in
  // microseconds, the engine that measured it ("io_uring", "threads"), and
  // the bytes other processes moved on the drive meanwhile.
  std::optional<double> iops{}, p50Us{}, p99Us{}, p999Us{};
  QString engine{};
  std::optional<int64_t> othersIoBytes{};
  std::optional<TestNoise> noise{};  // the processor around it; none where nobody looked

  // The test the archive keeps it as: "zstd-compress.t4", "latency.32768",
  // "seq1m-q8t1-read": a workload at a thread count, a latency at a size,
  // a drive row by its name.
  QString StoreId() const {
    if (test == QLatin1String("latency")) return test + u'.' + QString::number(bytes);
    if (group == QLatin1String("drive")) return test;
    return test + QStringLiteral(".t") + QString::number(threads);
  }
};

// What a group of points asks of whoever runs it. Called on the thread that
// runs the group; a point is never interrupted inside its timed section.
class PointSink {
 public:
  virtual ~PointSink() = default;
  // Looked at between points (a drive row: between its seconds): true ends
  // the group after the point under way, the points done kept.
  virtual bool StopRequested() = 0;
  // How far the group has got (0..100) and what it does now.
  virtual void Progress(int percent, const QString& status) = 0;
  // A point has been measured.
  virtual void PointDone(const MeasuredPoint& point) = 0;
};

}  // namespace torvik
