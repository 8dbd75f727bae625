// The report page's section on the groups that measure today's machine,
// from the rankings of their latest series: per cores machine its scaling
// chart and a table of each workload at one and at all threads with the
// speed-up and the efficiency; for ram the bandwidth chart, the latency
// curves and a table of the levels each curve shows; for drive the eight
// rows as bars and a table of each machine's rows with MB/s, IOPS, the
// completion latency's p50, p99 and p99.9 and the engine. Empty without
// such a ranking. Pure; any thread.
#pragma once

#include <QString>
#include <vector>

#include "core/analysis/MachineRanking.h"

namespace torvik {

// Whether `rankings` have a group of points, which the section is about.
bool HasPointRankings(const std::vector<MachineRanking>& rankings);

// The section (<section id="points">), or nothing.
QString PointSections(const std::vector<MachineRanking>& rankings);

}  // namespace torvik
