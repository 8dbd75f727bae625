#include "core/analysis/PointSelection.h"

#include <algorithm>
#include <map>

namespace torvik {

bool IsPointGroup(QStringView group) { return group == u"cores" || group == u"ram" || group == u"drive"; }

StoredRun WithAllThreadTests(StoredRun run) {
  if (!IsPointGroup(run.group)) return run;
  // Per workload, its point at the highest thread count.
  std::map<int64_t, std::pair<int, const StoredTest*>> highest;  // by the all-thread figure's order
  for (const StoredTest& test : run.tests) {
    const std::optional<TestInfo> info = InfoOfTest(test.test);
    if (!info || info->group == u"drive" || info->bytes > 0) continue;
    const QString workload = test.test.left(test.test.indexOf(u'.'));
    if (info->threads == 0) return run;  // derived before
    const std::optional<TestInfo> all = InfoOfTest(workload + QStringLiteral(".all"));
    if (!all) continue;
    auto& best = highest[all->order];
    if (best.second == nullptr || info->threads > best.first) best = {info->threads, &test};
  }
  std::vector<StoredTest> added;
  for (const auto& [order, best] : highest) {
    StoredTest all = *best.second;
    all.test = all.test.left(all.test.indexOf(u'.')) + QStringLiteral(".all");
    added.push_back(std::move(all));
  }
  run.tests.insert(run.tests.end(), added.begin(), added.end());
  return run;
}

std::vector<StoredRun> WithAllThreadTests(std::vector<StoredRun> runs) {
  for (StoredRun& run : runs) {
    if (IsPointGroup(run.group)) run = WithAllThreadTests(std::move(run));
  }
  return runs;
}

bool ShownInSummary(const TestInfo& test) {
  if (test.group == u"cores") return test.threads == 1 || test.id.endsWith(u".all");
  if (test.group == u"ram") {
    if (test.bytes > 0) {
      return std::find(kShownLatencyBytes.begin(), kShownLatencyBytes.end(), test.bytes) != kShownLatencyBytes.end();
    }
    return test.id.endsWith(u".all");
  }
  return true;
}

}  // namespace torvik
