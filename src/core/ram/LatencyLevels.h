// LatencyLevels: the levels a latency curve shows. On a curve of working
// set sizes and nanoseconds per load, a level is a plateau: three or more
// neighbouring points within 20 % of their mean (single spikes are smoothed
// away first); the points between plateaus are the steps. Neighbouring
// plateaus less than 35 % apart are one level. A level's size as the curve
// shows it is the largest working set still on its plateau; the last level,
// when the curve ends on it, is the memory beyond the caches and has no
// size. The levels are then set beside the caches the machine reports, in
// order. Pure; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/ram/ReportedCaches.h"

namespace torvik {

struct LatencyPoint {
  int64_t bytes = 0;
  double nanoseconds = 0;
};

struct LatencyLevel {
  double nanoseconds = 0;  // the plateau's median
  int64_t firstBytes = 0;  // its smallest and largest working sets
  int64_t lastBytes = 0;
  int points = 0;
  bool open = false;  // the curve ends on it: its size is not seen
};

std::vector<LatencyLevel> DetectLatencyLevels(std::vector<LatencyPoint> curve);

// A level beside the cache the machine reports at its place (the first
// level beside L1d, the next beside L2, ...); the open level beside none.
struct LevelBesideCache {
  LatencyLevel level;
  std::optional<ReportedCache> cache;
  // The level's size over the cache's; none for the open level or without a cache.
  std::optional<double> SizeRatio() const;
};

std::vector<LevelBesideCache> SetBesideCaches(const std::vector<LatencyLevel>& levels,
                                              const std::vector<ReportedCache>& caches);

}  // namespace torvik
