// RamPlan: what the ram group will measure: STREAM's arrays and trials and
// the thread counts it runs them on (one, and every processor the program
// may use, pinned as the thread plan says), the working-set sizes of the
// latency curve, and the caches the machine reports beside which its
// levels are set. Made by a pure function from the machine's facts; a
// user's smaller sizes go through the same plan. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/cores/GroupEnvironment.h"
#include "core/cores/ProcessorAllowance.h"
#include "core/cores/ProcessorTopology.h"
#include "core/cores/ThreadPlan.h"
#include "core/ram/ReportedCaches.h"

namespace torvik {

// The user's settings; a zero size takes the standard one.
struct RamWork {
  // Each of STREAM's three arrays. Standard: four times the last-level
  // caches of the usable processors together, and at least 64 MiB.
  int64_t arrayBytes = 0;
  int trials = 10;  // timed trials after a warm-up, the best kept; at least 5
  int64_t latencyFirstBytes = 4096;
  // The largest working set. Standard: the power of two at or above eight
  // times the last-level cache, no more than half of MemAvailable.
  int64_t latencyLastBytes = 0;
  bool halfSteps = true;                       // 6, 12, 24 KiB ... between the powers of two
  int64_t latencyMinLoads = int64_t{1} << 20;  // timed loads of a walk (at least, or whole rounds)
  int latencyRepeats = 3;                      // timed walks of a point, the fastest kept
};

inline constexpr int64_t kStreamMinArrayBytes = int64_t{64} << 20;
inline constexpr int kStreamMinTrials = 5;

struct RamPlan {
  ProcessorAllowance allowance;
  ThreadPlan threads;
  std::vector<int> bandwidthThreads;  // 1, and all usable when that is more
  int64_t arrayElements = 0;          // doubles in each array
  int trials = kStreamMinTrials;
  std::vector<int64_t> latencySizes;  // ascending
  int64_t latencyMinLoads = 0;
  int latencyRepeats = 1;
  int latencyProcessor = 0;           // the processor the curve is measured on
  std::vector<ReportedCache> caches;  // that processor's
  int64_t lastLevelBytes = 0;         // its last-level cache
  int64_t lastLevelTotal = 0;         // the usable processors' last-level caches together
  // The curve stops below eight times the last-level cache: MemAvailable
  // was too small for more.
  bool latencyCut = false;

  int64_t ArrayBytes() const { return arrayElements * static_cast<int64_t>(sizeof(double)); }
  // The most the group holds at once (the three arrays, or the largest
  // latency block with its visiting order): checked against MemAvailable
  // before the group allocates anything.
  int64_t BytesNeeded() const;
  int PointCount() const { return static_cast<int>(4 * bandwidthThreads.size() + latencySizes.size()); }
};

// The latency sizes from `first` to `last`: powers of two, with the
// half-steps (1.5 times each power) when asked; in whole 64-byte lines.
std::vector<int64_t> LatencySizes(int64_t first, int64_t last, bool halfSteps);

// `available`: MemAvailable, where known. Pure.
RamPlan PlanRamGroup(const ProcessorTopology& topology, const ProcessorAllowance& allowance,
                     const std::vector<ReportedCache>& caches, int64_t lastLevelTotal, std::optional<int64_t> available,
                     const RamWork& work = {});

// The plan for the machine `environment` shows.
RamPlan PlanRamGroup(const GroupEnvironment& environment, const RamWork& work = {});

}  // namespace torvik
