// What a screen reader reads of a comparison chart instead of its picture:
// the chart's title and unit, then one line per test giving each run's
// figure, its difference from the baseline and, where the machine was busy
// during the measurement, that the figure is marked "!". Built from the
// same plan the chart is drawn from. GUI thread only.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

#include "core/analysis/ComparisonPlan.h"

namespace torvik {

// The chart's figures as text, one line per test after a title line.
QString ChartTextAlternative(const PlannedChart& chart, bool rates);

// Names the chart's view and its table for a screen reader, the figures as
// their description; the view is read, not a stop of its own for Tab (the
// chart area around it is).
void DescribeChart(QWidget& view, QLabel& table, const PlannedChart& chart, bool rates);

}  // namespace torvik
