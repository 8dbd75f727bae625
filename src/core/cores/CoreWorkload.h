// CoreWorkload: one workload of the cores group, a fixed amount of work per
// thread. A point runs it on a team of pinned threads in three rounds:
// Prepare (each thread makes its own buffers and contexts and touches them
// first), Run (the timed work, nothing else) and Verify (the thread's work
// checked against the known answer, so a wrong call never passes as fast).
// Begin and End run on the group's thread around a point; the per-thread
// calls run on thread `index` only and touch that thread's state alone.
#pragma once

#include <QString>
#include <cstdint>

namespace torvik {

class CoreWorkload {
 public:
  virtual ~CoreWorkload() = default;

  // "division", "zstd-compress", ...: the test the points are kept as.
  virtual QString Test() const = 0;
  // The name in the status line: "zstd 圧縮".
  virtual QString DisplayName() const = 0;
  // "ops/s" or "MB/s" (decimal megabytes of input).
  virtual QString Unit() const = 0;
  // One thread's work in the unit's own count: divisions or bytes.
  virtual double WorkPerThread() const = 0;
  // The rate of `work` done in `nanoseconds`, in Unit().
  double Rate(double work, int64_t nanoseconds) const {
    const double perSecond = work * 1e9 / static_cast<double>(nanoseconds > 0 ? nanoseconds : 1);
    return Unit() == QLatin1String("MB/s") ? perSecond / 1e6 : perSecond;
  }
  // What a thread of this workload holds, for the memory check.
  virtual int64_t BytesPerThread() const = 0;

  virtual void Begin(int threads) = 0;
  virtual void Prepare(int index) = 0;
  virtual void Run(int index) = 0;
  virtual bool Verify(int index) = 0;
  // Frees what Begin and Prepare made.
  virtual void End() = 0;
};

}  // namespace torvik
