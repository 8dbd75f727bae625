// The cores group: processor throughput as the thread count grows. Every
// workload of the plan runs at every thread count of the plan, a point at a
// time, on the calling thread's behalf by a team of pinned threads that
// never outlives its point. Each point is reported to the sink as it is
// measured; Stop, asked between points, ends the group after the point
// under way with the points done kept. A failure (not enough memory, a pin
// refused, a library error, a wrong result) throws MeasureFailure and
// reports no figure for that point. Call on one thread (the GUI's or the
// command line's); it blocks until the group is done.
#pragma once

#include <QString>
#include <vector>

#include "core/cores/CoreWorkload.h"
#include "core/cores/CoresPlan.h"
#include "core/cores/GroupEnvironment.h"
#include "core/cores/ScalingFigures.h"
#include "core/results/MeasuredPoint.h"

namespace torvik {

struct CoresResult {
  std::vector<ScalingFigures> figures;  // one per workload that has points, in the plan's order
  bool stopped = false;                 // Stop ended the group early
};

CoresResult RunCoresGroup(const CoresPlan& plan, PointSink& sink, const GroupEnvironment& environment = {});

// The plan for the machine `environment` shows: its topology, its affinity
// mask and cgroup limits.
CoresPlan PlanCoresGroup(const GroupEnvironment& environment, const CoresWork& work = CoresWork::Standard());

// One point of `workload`: a team pinned to the point's processors, every
// thread's buffers prepared, the timed run, every thread's work checked.
// The elapsed nanoseconds of the timed run; MeasureFailure when a thread
// cannot be started or pinned, memory is refused, or a check fails.
int64_t MeasureCorePoint(CoreWorkload& workload, const ThreadPoint& point, const platform::ProcessorAffinity& affinity);

// "マルチコア性能 計測中！（zstd 圧縮、4 スレッド）"
QString CoresStatusText(const QString& workloadName, int threads);

}  // namespace torvik
