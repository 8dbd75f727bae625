// The report page's charts of the groups that measure today's machine, as
// SVG text in the manner of SvgCharts (640 px wide, the generic font, the
// title as the chart's accessible name, every text escaped), each drawn
// from the latest series of every machine of a ranking: a machine's
// scaling (each cores workload's rate over its rate at one thread against
// the threads, both axes log 2, the ideal line where n threads give n
// times the rate); the ram group's bandwidth (STREAM's kernels at one and
// at all threads, a bar per machine, GB/s from zero); the latency curves
// (nanoseconds a load against the working set, both axes log, a line per
// machine with the levels its curve shows marked); and the drive's eight
// rows (MB/s, a bar per machine on a log axis, as the rows span three
// orders of magnitude). An axis says its scale in its group's class
// ("x-axis log2", "y-axis log10", "x-axis linear"). Pure; any thread.
#pragma once

#include <QString>
#include <vector>

#include "core/analysis/MachineRanking.h"
#include "core/ram/LatencyLevels.h"

namespace torvik {

// The most machines a chart of these draws (a colour each); the page's
// tables list them all.
inline constexpr size_t kMostPointMachines = 12;

QString ScalingSvg(const ComparedRun& run, const QString& title);
QString BandwidthSvg(const MachineRanking& ranking);
QString LatencySvg(const MachineRanking& ranking);
QString DriveSvg(const MachineRanking& ranking);

// A run's latency curve from its figures (a load's nanoseconds from the
// loads a second), by working set, and the levels it shows.
std::vector<LatencyPoint> LatencyCurveOf(const ComparedRun& run);
std::vector<LatencyLevel> LevelsOf(const ComparedRun& run);

// A cores workload's points of a run, by thread count: (threads, rate).
std::vector<std::pair<int, double>> ScalingOf(const ComparedRun& run, const QString& workload);

}  // namespace torvik
