#include "core/analysis/TrendChanges.h"

#include <algorithm>

namespace torvik {

bool ChangeReport::AnySlower() const {
  return std::any_of(changes.begin(), changes.end(), [](const TrendChange& c) { return c.verdict == Verdict::Slower; });
}

ChangeReport ChangesSince(std::vector<MachineTrend> trends, int64_t since, double rate) {
  ChangeReport report;
  report.comparisons = ControlFalseDiscoveries(trends, since, rate);
  report.rate = rate;
  for (const MachineTrend& trend : trends) {
    for (const TrendLine& line : trend.lines) {
      for (size_t i = 1; i < line.points.size(); ++i) {
        const TrendPoint& point = line.points[i];
        if (point.time < since || !point.pValue) continue;
        if (point.change != Verdict::Faster && point.change != Verdict::Slower) continue;
        report.changes.push_back(TrendChange{.machine = trend.machine,
                                             .processor = trend.processor,
                                             .group = trend.group,
                                             .test = line.test,
                                             .time = point.time,
                                             .runId = point.runId,
                                             .beforeRunId = line.points[i - 1].runId,
                                             .fasterPercent = point.fasterPercent.value_or(0.0),
                                             .pValue = *point.pValue,
                                             .verdict = point.change});
      }
    }
  }
  return report;
}

}  // namespace torvik
