// The report page's charts as SVG text, written by hand rather than
// painted, so that they come out the same on any platform (the offscreen
// one included) and byte for byte from the same figures: 640 px wide, a
// height in px and a viewBox to match, the generic "sans-serif" family,
// every text escaped. A figure's verdict is drawn with it: a difference
// within the noise is a pale bar with the words beside it, never a bar
// that looks like a difference. Pure; any thread.
#pragma once

#include <QString>
#include <vector>

#include "core/analysis/ComparisonPlan.h"
#include "core/analysis/MachineRanking.h"
#include "core/analysis/MachineTrend.h"
#include "core/page/SvgElements.h"

namespace torvik {

// A trend chart draws a test's newest series only, this many at most (6 px
// apart in a panel, wider than a mark, and a page of 50 machines' trends
// of every test stays under 2 MB); the older are counted beside it.
inline constexpr size_t kTrendPointsShown = 40;

// One group's tests side by side: a row of bars per test, one bar per run
// in its colour (ChartColour), with one standard deviation either side
// where there is a spread, the noise mark, "tenths only" for an imported
// figure, and the value with its difference from the baseline and its
// verdict at the bar's end, the run's label before it.
QString ComparisonSvg(const PlannedChart& chart, bool rates);

// Each machine's overall figure against the baseline machine, + faster, as
// a bar right of the zero line (left for slower), fastest on top, the
// baseline marked.
QString RankingSvg(const MachineRanking& ranking);

// A machine's trend: a small panel per test with its newest series' mean
// seconds as a line, one standard deviation as a band around it, the noisy
// series ringed, the changes beyond the noise marked (faster up, slower
// down), the first and last dates under it.
QString TrendSvg(const MachineTrend& trend);

// How many of a trend line's oldest series the chart leaves out.
inline size_t FoldedPoints(const TrendLine& line) {
  return line.points.size() > kTrendPointsShown ? line.points.size() - kTrendPointsShown : 0;
}

}  // namespace torvik
