// What changed on each machine since a day: every series from then on
// against the series before it on the same machine, group and test, as the
// trend compares them, the whole set judged as one family (the false
// discovery rate held by Benjamini-Hochberg), and the changes found, faster
// and slower, by how much. Pure; any thread.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "core/analysis/MachineTrend.h"

namespace torvik {

struct TrendChange {
  QString machine, processor, group, test;
  int64_t time = 0;          // the later series' first run, seconds since 1970
  int64_t runId = 0;         // that run
  int64_t beforeRunId = 0;   // the series it is compared with
  double fasterPercent = 0;  // + faster
  double pValue = 1;
  Verdict verdict = Verdict::WithinNoise;  // Faster or Slower
};

struct ChangeReport {
  std::vector<TrendChange> changes;  // by machine, processor, group, test, time
  size_t comparisons = 0;            // the family judged
  double rate = kFalseDiscoveryRate;
  bool AnySlower() const;
};

// The changes in `trends` (as PlanTrends plans them) from `since` on,
// judged at false discovery rate `rate` across all of them.
ChangeReport ChangesSince(std::vector<MachineTrend> trends, int64_t since, double rate = kFalseDiscoveryRate);

}  // namespace torvik
