// LatencyLevels: the levels a latency curve shows. On a curve of working
// set sizes and nanoseconds per load, a level is a plateau: three or more
// neighbouring points within 30 % of their mean (single spikes are smoothed
// away first); the points between plateaus are the steps. Neighbouring
// plateaus less than 50 % apart are one level (real levels differ by two
// times or more). A level's size as the curve shows it is read from the
// step after it: the working set at which the loads have risen a quarter of
// the way to the next level, between the two points around it (a walk
// that repeats one cycle is held whole by a cache up to its size and
// hardly at all beyond it, so the step comes right after the size);
// without a next level, the largest working set still on the plateau. The
// last level, when the curve ends on it, is the memory beyond the caches
// and has no size. The levels are then set beside the caches the machine
// reports, in order. Pure; any thread.
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
  bool open = false;                 // the curve ends on it: its size is not seen
  std::optional<int64_t> sizeBytes;  // its size as the step after it shows it; none when open
};

std::vector<LatencyLevel> DetectLatencyLevels(std::vector<LatencyPoint> curve);

// A level beside the cache the machine reports at its place (the first
// level beside L1d, the next beside L2, ...); the open level beside none.
struct LevelBesideCache {
  LatencyLevel level;
  std::optional<ReportedCache> cache;
  // The level's size (sizeBytes) over the cache's; none for the open level
  // or without a cache.
  std::optional<double> SizeRatio() const;
};

std::vector<LevelBesideCache> SetBesideCaches(const std::vector<LatencyLevel>& levels,
                                              const std::vector<ReportedCache>& caches);

}  // namespace torvik
