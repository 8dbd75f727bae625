#include "core/analysis/MachineTrend.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "core/analysis/ComparisonFigures.h"
#include "core/analysis/PointSelection.h"

namespace torvik {
namespace {

TrendPoint PointOf(const std::vector<StoredRun>& series, const TestInfo& test) {
  TrendPoint point{.time = series.front().sortTime, .runId = series.front().id};
  std::vector<double> seconds;
  for (const StoredRun& run : series) {
    for (const StoredTest& stored : run.tests) {
      if (stored.test != test.id) continue;
      const std::optional<double> compared = ComparedSeconds(stored, test);
      if (!compared) continue;
      seconds.push_back(*compared);
      if (!stored.seconds) point.precise = false;
      if (stored.noise && stored.noise->Flagged()) point.noisy = true;
    }
  }
  point.seconds = StatisticsOf(seconds);
  return point;
}

}  // namespace

MachineOf::MachineOf(const StoredRun& run)
    : name(run.MachineName()),
      processor(run.values.processorName.isEmpty() ? run.processor : run.values.processorName) {}

std::vector<std::vector<StoredRun>> NewestSeries(std::vector<StoredRun> runs, size_t count, bool cut) {
  // A run without a series is one of its own, whole; the series of a run
  // with one may go on before the read's end.
  const auto oldest = std::min_element(runs.begin(), runs.end(), [](const StoredRun& a, const StoredRun& b) {
    return std::tie(a.sortTime, a.id) < std::tie(b.sortTime, b.id);
  });
  if (cut && oldest != runs.end() && !oldest->series.isEmpty()) {
    const std::pair<QString, QString> partial(oldest->series, oldest->group);
    std::erase_if(runs,
                  [&](const StoredRun& run) { return run.series == partial.first && run.group == partial.second; });
  }
  std::vector<std::vector<StoredRun>> series = SeriesOfRuns(std::move(runs));
  if (series.size() > count) series.erase(series.begin(), series.end() - static_cast<std::ptrdiff_t>(count));
  return series;
}

std::vector<std::vector<StoredRun>> SeriesOfRuns(std::vector<StoredRun> runs) {
  std::sort(runs.begin(), runs.end(), [](const StoredRun& a, const StoredRun& b) {
    return std::tie(a.sortTime, a.id) < std::tie(b.sortTime, b.id);
  });
  std::vector<std::vector<StoredRun>> series;
  std::map<std::pair<QString, QString>, size_t> bySeries;  // (series, group) -> its place
  for (StoredRun& run : runs) {
    if (run.series.isEmpty()) {
      series.push_back({std::move(run)});
      continue;
    }
    const auto [place, added] = bySeries.try_emplace({run.series, run.group}, series.size());
    if (added) series.emplace_back();
    series[place->second].push_back(std::move(run));
  }
  return series;
}

std::vector<MachineTrend> PlanTrends(const std::vector<StoredRun>& runs) {
  return PlanTrends(std::vector<StoredRun>(runs));
}

std::vector<MachineTrend> PlanTrends(std::vector<StoredRun>&& runs) {
  // By machine and group, the machines by name and processor.
  using Key = std::tuple<QString, QString, size_t, QString>;
  std::map<Key, std::vector<StoredRun>> byMachine;
  std::map<Key, size_t> undated;
  for (StoredRun& run : runs) {
    const MachineOf machine(run);
    const Key key{machine.name, machine.processor, GroupOrderOf(run.group), run.group};
    if (run.Undated()) {
      ++undated[key];
      continue;
    }
    byMachine[key].push_back(WithAllThreadTests(std::move(run)));
  }
  std::vector<MachineTrend> trends;
  for (auto& [key, machineRuns] : byMachine) {
    MachineTrend& trend = trends.emplace_back();
    std::tie(trend.machine, trend.processor, std::ignore, trend.group) = key;
    trend.undatedRuns = undated[key];
    trend.notFigures = NotFiguresOf(machineRuns);
    const std::vector<std::vector<StoredRun>> series = SeriesOfRuns(std::move(machineRuns));
    trend.seriesCount = series.size();
    // A series against the one before it that ran the test: every test of
    // the pair compared once, for all the lines.
    std::map<std::pair<size_t, size_t>, std::vector<TestComparison>> compared;
    std::vector<const StoredRun*> all;
    for (const std::vector<StoredRun>& one : series) {
      for (const StoredRun& run : one) all.push_back(&run);
    }
    for (const QString& test : TestsOf(all)) {
      const TestInfo info = InfoOf(test);
      if (!ShownInSummary(info)) continue;
      TrendLine line{.test = test};
      size_t before = 0;
      for (size_t k = 0; k < series.size(); ++k) {
        TrendPoint point = PointOf(series[k], info);
        if (point.seconds.count == 0) continue;
        if (!line.points.empty()) {
          point.fasterPercent = FasterPercentOf(line.points.back().seconds.mean, point.seconds.mean, false);
          auto pair = compared.find({before, k});
          if (pair == compared.end())
            pair = compared.emplace(std::pair{before, k}, CompareRuns(series[before], series[k])).first;
          for (const TestComparison& c : pair->second) {
            if (c.test != test) continue;
            point.change = c.verdict;
            if (c.t && c.degreesOfFreedom && c.verdict != Verdict::NotTested) {
              point.pValue = TwoSidedPValue(*c.t, *c.degreesOfFreedom);
            }
          }
        }
        line.points.push_back(point);
        before = k;
      }
      if (line.points.size() > 1) {
        line.fasterSinceFirst = FasterPercentOf(line.points.front().seconds.mean, line.points.back().seconds.mean, false);
      }
      if (!line.points.empty()) trend.lines.push_back(std::move(line));
    }
  }
  ControlFalseDiscoveries(trends);
  return trends;
}

size_t ControlFalseDiscoveries(std::vector<MachineTrend>& trends, std::optional<int64_t> from, double rate) {
  std::vector<TrendPoint*> judged;
  std::vector<double> pValues;
  for (MachineTrend& trend : trends) {
    for (TrendLine& line : trend.lines) {
      for (TrendPoint& point : line.points) {
        if (!point.pValue || (from && point.time < *from)) continue;
        judged.push_back(&point);
        pValues.push_back(*point.pValue);
      }
    }
  }
  const std::vector<bool> discovered = BenjaminiHochberg(pValues, rate);
  for (size_t i = 0; i < judged.size(); ++i) {
    TrendPoint& point = *judged[i];
    point.change = !discovered[i]                                   ? Verdict::WithinNoise
                   : point.fasterPercent.value_or(0.0) >= 0.0 ? Verdict::Faster
                                                                    : Verdict::Slower;
  }
  return judged.size();
}

}  // namespace torvik
