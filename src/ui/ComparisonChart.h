// One chart of the comparison window: a group's tests (CPU, Graphic,
// Memory, HDD, the mix mode), one bar per ticked run in each, with the
// values on the bars, error bars (one standard deviation) where a run has
// repetitions, "!" over a figure whose machine was noisy, what is better
// said on the axis, and below it a table of every figure in its unit (with
// k/M/G prefixes) and its difference from the baseline run. Seconds are
// drawn as they are (lower is better); rates as percent of the baseline's
// rate (higher is better), which puts tests of different units on one axis.
// GUI thread only.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "core/history/ComparisonFigures.h"

namespace torvik {

struct ChartGroup {
  QString id;     // "cpu", ..., "mix"
  QString title;  // the button's caption: "CPU", ...
  std::vector<Test> tests;
};

// The catalogue's groups but ALL, and the mix mode, which only ALL runs.
const std::vector<ChartGroup>& ChartGroups();

struct ChartInputs {
  const std::vector<ComparedRun>* runs = nullptr;
  std::vector<QString> labels;  // per run
  size_t baseline = 0;
  bool rates = false;
};

// The chart and its table, named "Chart_<group id>"; null when no run has
// a figure of the group's tests. A baseline that ran none of them gives way
// to the first run that did.
QWidget* MakeGroupChart(const ChartGroup& group, const ChartInputs& inputs);

}  // namespace torvik
