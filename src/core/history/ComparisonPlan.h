// What the comparison window shows for the runs ticked in its list, worked
// out in one place and drawn by the charts alone: one entry per ticked run
// (a run with repetitions stands for its whole series: one entry for them,
// its figures their means and spreads), the baseline (the one chosen while
// it is ticked, else the first), each run's overall figure against it (the
// geometric mean of the rates on the tests both ran, + is faster), and per
// group of tests a chart: the tests any run has, the baseline each chart
// compares with (the first run that ran any of its tests when the
// baseline ran none), every bar (seconds as they are, or rates in percent
// of the baseline's) with its spread and noise mark, and every figure's
// difference from the baseline's. Pure; any thread.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "core/history/ComparisonFigures.h"

namespace torvik {

struct PlannedBar {
  bool present = false;  // the run has this test's figure (and, in rates, the baseline too)
  double value = 0;      // seconds, or percent of the baseline's rate
  double spread = 0;     // one standard deviation; 0 for a single run
  bool noisy = false;
};

struct PlannedCell {
  std::optional<Figure> figure;  // none: the run did not run the test
  // Against the chart's baseline, in percent: seconds or rates as shown;
  // none for the baseline itself and where either lacks the figure.
  std::optional<double> percent;
};

struct PlannedChart {
  QString id;     // "cpu", "graphic", "memory", "hdd", "mix"
  QString title;  // the button's caption: "CPU", ..., "MIX Mode"
  std::vector<Test> tests{};
  size_t baseline = 0;                          // the run this chart compares with
  std::vector<QString> labels{};                // per run, its platform's mark where its figures are not comparable
  std::vector<std::vector<PlannedBar>> bars{};  // per run, per test
  std::vector<std::vector<PlannedCell>> cells{};  // per run, per test
  double top = 0;                               // the highest bar with its spread
};

struct ComparisonPlan {
  bool rates = false;
  std::vector<ComparedRun> runs;  // in the list's order
  std::vector<QString> labels;    // per run: date, group, PC name, id, and n for a series
  size_t baseline = 0;
  std::vector<std::optional<double>> overall;  // per run, in percent against the baseline
  std::vector<PlannedChart> charts;            // the groups some run has figures of
};

// `series`: for each ticked run in the list's order, that run and the other
// repetitions of its series (ResultStore::SeriesOf); a series ticked twice
// counts once. `baselineId`: the run chosen as the baseline, if any.
ComparisonPlan PlanComparison(const std::vector<std::vector<StoredRun>>& series, std::optional<int64_t> baselineId,
                              bool rates);

// A run as the list and the charts name it: "2026-12-08 18:42 cpu desk-1 #12"
// (the host name for a PC without a name).
QString RunLabel(const StoredRun& run);

}  // namespace torvik
