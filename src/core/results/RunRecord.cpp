#include "core/results/RunRecord.h"

#include <cmath>

namespace torvik {

void RunRecord::Add(const RunRecord& later) {
  groups.insert(groups.end(), later.groups.begin(), later.groups.end());
  for (const TestEntry& entry : kTests) {
    if (later.results[entry.test].HasResult()) results[entry.test] = later.results[entry.test];
  }
  results.AddTotal(later.results.Total(), later.results.TotalNs());
  points.insert(points.end(), later.points.begin(), later.points.end());
  for (auto facts = later.pointFacts.begin(); facts != later.pointFacts.end(); ++facts) {
    pointFacts.insert(facts.key(), facts.value());
  }
  stopped = stopped || later.stopped;
}

int32_t BenchNumber(TimeValue total) {
  const int64_t n = std::llround(static_cast<double>(total.Raw()) / TimeValue::kScale);
  if (n <= 0) return 0;
  const uint64_t sum = static_cast<uint64_t>(n) * static_cast<uint64_t>(n + 1) / 2;
  return static_cast<int32_t>(static_cast<uint32_t>(sum));
}

}  // namespace torvik
