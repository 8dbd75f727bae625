// One chart of the comparison window, drawn from its plan (ComparisonPlan):
// a group's tests (CPU, Graphic, Memory, HDD, the mix mode), one bar per
// run in each, with the values on the bars, error bars (one standard
// deviation) where a run has repetitions, "!" over a figure whose machine
// was noisy, what is better said on the axis, and below it a table of every
// figure in its unit (with k/M/G prefixes) and its difference from the
// baseline run. Seconds are drawn as they are (lower is better); rates as
// percent of the baseline's rate (higher is better), which puts tests of
// different units on one axis. Nothing is worked out here. GUI thread only.
#pragma once

#include <QWidget>

#include "core/analysis/ComparisonPlan.h"

namespace torvik {

// The chart and its table, named "Chart_<group id>" and "Table_<group id>".
QWidget* MakeGroupChart(const PlannedChart& chart, bool rates);

// What the marks, the sign and the whiskers of every chart mean.
QString ChartKey();

}  // namespace torvik
