// What the comparison window shows for the runs ticked in its list, worked
// out in one place and drawn by the charts alone: one entry per ticked run
// (a run with repetitions stands for its whole series: one entry for them,
// its figures their means and spreads; at most kMostCompared entries, the
// rest folded away and counted), the baseline (the one chosen while it is
// ticked, else the first with precise seconds, else the first), each run's
// overall figure against it (the geometric mean of the rates on the tests
// both ran), and per group of tests a chart: the tests any run has, the
// baseline each chart compares with (the first run that ran any of its
// tests when the baseline ran none), every bar (seconds as they are, or
// rates in percent of the baseline's) with its spread and noise mark, and
// every figure's difference from the baseline's with the verdict the
// command line's comparison gives (Welch's t test at 95 %). Every
// difference is how much faster, in percent: + is always faster, in
// seconds and in rates. Pure; any thread.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "core/analysis/ComparisonFigures.h"
#include "core/analysis/RunComparison.h"

namespace torvik {

struct PlannedBar {
  bool present = false;  // the run has this test's figure (and, in rates, the baseline too)
  double value = 0;      // seconds, or percent of the baseline's rate
  double spread = 0;     // one standard deviation; 0 for a single run
  bool noisy = false;
  bool precise = true;  // false: an imported sheet's tenths, drawn without a spread
};

struct PlannedCell {
  std::optional<Figure> figure;  // none: the run did not run the test
  // How much faster than the chart's baseline, in percent (+ faster);
  // none for the baseline itself and where either lacks the figure.
  std::optional<double> percent;
  // Whether that difference is beyond the noise of both (as the command
  // line's comparison says); NotTested for the baseline and a lone run.
  Verdict verdict = Verdict::NotTested;
};

struct PlannedChart {
  QString id;     // "cpu", "graphic", "memory", "hdd", "mix", "cores.zstd-compress", "ram.latency", "drive"...
  QString title;  // the button's caption: "CPU", ..., "MIX Mode"; "Cores — zstd compress", ...
  std::vector<QString> tests{};  // by id, in their order (TestInfo)
  size_t baseline = 0;                          // the run this chart compares with
  std::vector<QString> labels{};                // per run, its platform's mark where its figures are not comparable
  std::vector<std::vector<PlannedBar>> bars{};  // per run, per test
  std::vector<std::vector<PlannedCell>> cells{};  // per run, per test
  // The runs every drawer shows in this chart, in the plan's order: those
  // with a bar of its tests (the others ran none of them).
  std::vector<size_t> rows{};
  double top = 0;  // the highest bar with its spread
};

// The most runs a plan sets side by side: more bars than this in one group
// are no longer read apart (the trend shows a machine's long history).
inline constexpr size_t kMostCompared = 12;

struct ComparisonPlan {
  bool rates = false;
  std::vector<ComparedRun> runs;  // in the list's order
  std::vector<QString> labels;    // per run: PC name, group, date, id, and n for a series
  size_t folded = 0;              // ticked series beyond kMostCompared, left out
  size_t baseline = 0;
  std::vector<std::optional<double>> overall;  // per run, in percent against the baseline
  std::vector<PlannedChart> charts;            // the groups some run has figures of
};

// `series`: for each ticked run in the list's order, that run and the other
// repetitions of its series (ResultStore::SeriesOf); a series ticked twice
// counts once. `baselineId`: the run chosen as the baseline, if any.
ComparisonPlan PlanComparison(const std::vector<std::vector<StoredRun>>& series, std::optional<int64_t> baselineId,
                              bool rates);

// A run as the list and the charts name it: "desk-1 cpu 2026-12-08 18:42 #12"
// (the host name for a PC without a name), the machine first so that a
// legend cut short keeps it.
QString RunLabel(const StoredRun& run);

}  // namespace torvik
