#include "core/analysis/ComparisonFigures.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

#include "core/results/Statistics.h"

namespace torvik {

std::optional<double> FasterPercentOf(double baseline, double figure, bool higherIsFaster) {
  if (!std::isfinite(baseline) || !std::isfinite(figure) || baseline <= 0 || figure <= 0) return std::nullopt;
  const double ratio = higherIsFaster ? figure / baseline : baseline / figure;
  return std::isfinite(ratio) ? std::optional((ratio - 1) * 100) : std::nullopt;
}

TestInfo InfoOf(const QString& id) {
  std::optional<TestInfo> info = InfoOfTest(id);
  if (info) return *std::move(info);
  TestInfo unknown;
  unknown.id = unknown.displayName = id;
  unknown.order = INT64_MAX;
  return unknown;
}

std::vector<QString> TestsOf(const std::vector<const StoredRun*>& runs) {
  std::map<int64_t, QString> ordered;
  for (const StoredRun* run : runs) {
    for (const StoredTest& test : run->tests) {
      if (const std::optional<TestInfo> info = InfoOfTest(test.test)) ordered.emplace(info->order, test.test);
    }
  }
  std::vector<QString> tests;
  for (auto& [order, id] : ordered) tests.push_back(id);
  return tests;
}

std::optional<double> ComparedSeconds(const StoredTest& test, const TestInfo& info) {
  // The one door of the analysis: a test holding anything that is no
  // figure is left out whole (NotFiguresOf names it).
  if (!test.Figures()) return std::nullopt;
  if (info.fixedWork) return IsTimeFigure(test.Seconds()) ? std::optional(test.Seconds()) : std::nullopt;
  if (!test.rate) return std::nullopt;
  const double seconds = static_cast<double>(info.standardWork) / info.perUnit / *test.rate;
  return IsTimeFigure(seconds) ? std::optional(seconds) : std::nullopt;
}

std::vector<QString> NotFiguresOf(const std::vector<const StoredRun*>& runs) {
  std::map<int64_t, QString> ordered;
  for (const StoredRun* run : runs) {
    for (const StoredTest& test : run->tests) {
      if (!test.Figures()) ordered.emplace(InfoOf(test.test).order, test.test);
    }
  }
  std::vector<QString> tests;
  for (auto& [order, id] : ordered) tests.push_back(id);
  return tests;
}

std::vector<QString> NotFiguresOf(const std::vector<StoredRun>& runs) {
  std::vector<const StoredRun*> pointers;
  for (const StoredRun& run : runs) pointers.push_back(&run);
  return NotFiguresOf(pointers);
}

ComparedRun FiguresOf(const std::vector<StoredRun>& series) {
  ComparedRun compared;
  if (series.empty()) return compared;
  compared.run = series.front();
  std::map<QString, std::pair<std::vector<double>, std::vector<double>>> values;  // seconds, rates
  struct DriveValues {
    std::vector<double> iops, p50, p99, p999;
    QString engine;
  };
  std::map<QString, DriveValues> drive;
  for (const StoredRun& run : series) {
    for (const StoredTest& test : run.tests) {
      const std::optional<TestInfo> info = InfoOfTest(test.test);
      if (!info) continue;
      const std::optional<double> time = ComparedSeconds(test, *info);
      if (!time) continue;
      const double seconds = *time;
      const double rate = test.rate ? *test.rate : info->standardWork / seconds / info->perUnit;
      if (!IsFigure(rate)) continue;
      if (!test.seconds) compared.figures[test.test].precise = false;
      values[test.test].first.push_back(seconds);
      values[test.test].second.push_back(rate);
      if (test.noise && test.noise->Flagged()) {
        compared.figures[test.test].noisy = true;
      }
      if (test.iops || test.p50Us || test.p99Us || test.p999Us || !test.engine.isEmpty()) {
        DriveValues& row = drive[test.test];
        for (const auto& [value, list] : {std::pair{&test.iops, &row.iops}, std::pair{&test.p50Us, &row.p50},
                                          std::pair{&test.p99Us, &row.p99}, std::pair{&test.p999Us, &row.p999}}) {
          if (*value && IsFigure(**value)) list->push_back(**value);
        }
        if (row.engine.isEmpty()) row.engine = test.engine;
      }
    }
  }
  const auto mean = [](const std::vector<double>& list) {
    return list.empty() ? std::nullopt : std::optional(StatisticsOf(list).mean);
  };
  for (const auto& [test, row] : drive) {
    Figure& figure = compared.figures[test];
    figure.iops = mean(row.iops);
    figure.p50Us = mean(row.p50);
    figure.p99Us = mean(row.p99);
    figure.p999Us = mean(row.p999);
    figure.engine = row.engine;
  }
  for (auto& [test, pair] : values) {
    const Statistics seconds = StatisticsOf(pair.first), rates = StatisticsOf(pair.second);
    Figure& figure = compared.figures[test];
    figure.seconds = seconds.mean;
    figure.secondsStdev = seconds.stdev;
    figure.rate = rates.mean;
    figure.rateStdev = rates.stdev;
    figure.repetitions = seconds.count;
  }
  return compared;
}

bool ComparedRun::Precise() const {
  return std::all_of(figures.begin(), figures.end(), [](const auto& entry) { return entry.second.precise; });
}

std::optional<double> FasterPercent(const Figure& figure, const Figure& baseline, bool rates) {
  return rates ? FasterPercentOf(baseline.rate, figure.rate, true) : FasterPercentOf(baseline.seconds, figure.seconds, false);
}

std::optional<double> OverallAgainst(const ComparedRun& run, const ComparedRun& baseline) {
  double logSum = 0;
  int shared = 0;
  for (const auto& [test, figure] : run.figures) {
    const auto base = baseline.figures.find(test);
    if (base == baseline.figures.end() || !IsFigure(base->second.rate) || !IsFigure(figure.rate)) continue;
    logSum += std::log(figure.rate / base->second.rate);
    ++shared;
  }
  if (shared == 0) return std::nullopt;
  const double overall = (std::exp(logSum / shared) - 1) * 100;
  return std::isfinite(overall) ? std::optional(overall) : std::nullopt;
}

}  // namespace torvik
