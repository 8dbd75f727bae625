// What the charts of today's machine say in words: each chart's title and
// the text a screen reader reads instead of its picture (the title, what
// is drawn against what, then one line per curve or row with every figure),
// built from the same curves the chart draws. GUI thread only (the
// translations installed now are read).
#pragma once

#include <QString>
#include <vector>

#include "core/analysis/PointCurves.h"

namespace torvik::machine_charts {

QString ScalingTitle();
QString BandwidthTitle();
QString LatencyTitle();
QString DriveTitle();

QString ScalingText(const std::vector<PointCurve>& curves);
QString BandwidthText(const std::vector<PointCurve>& curves);
QString LatencyText(const PointCurve& curve);
QString DriveText(const std::vector<DriveBar>& bars);

// "<title> のグラフ": a chart's accessible name.
QString ChartName(const QString& title);

}  // namespace torvik::machine_charts
