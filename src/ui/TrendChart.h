// The trend charts of the comparison window, drawn from MachineTrend alone:
// one chart per test, each machine a line of its series' mean seconds over
// time (dates on the axis) in its own colour, a band of one standard
// deviation around it, noisy series drawn as hollow red rings, and a change
// beyond the noise from the series before as a green triangle (faster) or
// a red diamond (slower). At most twelve machines. Nothing is worked out
// here. GUI thread only.
#pragma once

#include <QWidget>
#include <vector>

#include "core/analysis/MachineTrend.h"

namespace torvik {

// The charts, named "Trend_<test id>", one under the other.
QWidget* MakeTrendCharts(const std::vector<MachineTrend>& trends);

}  // namespace torvik
