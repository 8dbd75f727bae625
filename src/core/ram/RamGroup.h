// The ram group: memory bandwidth beyond the caches (STREAM's Copy, Scale,
// Add and Triad on one thread and on every usable processor) and memory
// latency at every level (dependent loads through a random cycle of cache
// lines, working sets from 4 KiB to beyond the last-level cache, on
// transparent huge pages where the system grants them), with the levels the
// latency curve shows set beside the caches the machine reports.
//
// Runs on the calling thread (blocking) with measuring threads that never
// outlive a point. The memory the plan needs is checked against
// MemAvailable before anything is allocated. Each point goes to the sink as
// it is measured; Stop, asked between points (a STREAM run of four kernels
// counts as one), ends the group with the points done kept. A failure
// throws MeasureFailure and gives no figure.
#pragma once

#include <QString>
#include <vector>

#include "core/cores/GroupEnvironment.h"
#include "core/ram/LatencyLevels.h"
#include "core/ram/RamPlan.h"
#include "core/results/MeasuredPoint.h"

namespace torvik {

struct RamResult {
  std::vector<LatencyLevel> levels;      // from the latency points measured
  std::vector<LevelBesideCache> beside;  // the levels beside the reported caches
  QString hugePageMode;                  // the system's setting: "always", "madvise", "never", or empty
  bool stopped = false;
};

RamResult RunRamGroup(const RamPlan& plan, PointSink& sink, const GroupEnvironment& environment = {});

// "メモリ帯域 計測中！（STREAM、2 スレッド）"
QString RamBandwidthStatusText(int threads);
// "メモリレイテンシ 計測中！（256 KiB）"
QString RamLatencyStatusText(int64_t bytes);
// "4 KiB", "1.5 MiB", "256 MiB", "1 GiB"
QString WorkingSetText(int64_t bytes);

}  // namespace torvik
