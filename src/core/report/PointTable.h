// The points of the groups that measure today's machine as the command
// line's text shows them: one line a point, its group, its test, its rate
// in its unit, a latency's nanoseconds, a drive row's requests a second,
// completion latency percentiles and engine. Plain text with LF line ends,
// for people (the JSON document is for programs). Pure; any thread.
#pragma once

#include <QString>
#include <vector>

#include "core/results/MeasuredPoint.h"

namespace torvik {

QString PointTable(const std::vector<MeasuredPoint>& points);

}  // namespace torvik
