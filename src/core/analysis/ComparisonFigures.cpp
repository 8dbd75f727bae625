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
  if (info.fixedWork) return test.Seconds() > 0 ? std::optional(test.Seconds()) : std::nullopt;
  if (!test.rate || !std::isfinite(*test.rate) || *test.rate <= 0) return std::nullopt;
  return static_cast<double>(info.standardWork) / info.perUnit / *test.rate;
}

ComparedRun FiguresOf(const std::vector<StoredRun>& series) {
  ComparedRun compared;
  if (series.empty()) return compared;
  compared.run = series.front();
  std::map<QString, std::pair<std::vector<double>, std::vector<double>>> values;  // seconds, rates
  for (const StoredRun& run : series) {
    for (const StoredTest& test : run.tests) {
      const std::optional<TestInfo> info = InfoOfTest(test.test);
      if (!info) continue;
      const std::optional<double> time = ComparedSeconds(test, *info);
      if (!time) continue;
      const double seconds = *time;
      const double rate = test.rate ? *test.rate : info->standardWork / seconds / info->perUnit;
      if (!test.seconds) compared.figures[test.test].precise = false;
      values[test.test].first.push_back(seconds);
      values[test.test].second.push_back(rate);
      if (test.noise && test.noise->Flagged()) {
        compared.figures[test.test].noisy = true;
      }
    }
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
    if (base == baseline.figures.end() || base->second.rate <= 0 || figure.rate <= 0) continue;
    logSum += std::log(figure.rate / base->second.rate);
    ++shared;
  }
  if (shared == 0) return std::nullopt;
  return (std::exp(logSum / shared) - 1) * 100;
}

}  // namespace torvik
