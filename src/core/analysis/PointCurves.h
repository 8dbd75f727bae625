// What the charts of today's machine draw, worked out from the points
// measured so far (in the order they came): the cores group's speed-up of
// each workload against its threads (the rate over the rate of one thread)
// and the ideal line, STREAM's bandwidth of each kernel against threads,
// the latency curve (nanoseconds a load against the working set) and the
// drive's rows as read and write bars. A chart only draws these. Pure; any
// thread.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "core/results/MeasuredPoint.h"

namespace torvik {

struct CurvePoint {
  double x = 0, y = 0;
  bool operator==(const CurvePoint&) const = default;
};

struct PointCurve {
  QString test;                    // the workload or kernel: "zstd-compress", "stream-triad", "latency"
  QString name;                    // for people: "zstd compress", "STREAM Triad"
  std::vector<CurvePoint> points;  // x rising; a later point at the same x replaces the earlier
};

// The cores workloads in the order they first came, each point's rate over
// that of its one-thread point; a workload whose one-thread point has not
// come (or measured nothing) has no curve yet.
std::vector<PointCurve> ScalingCurves(const std::vector<MeasuredPoint>& points);
// The speed-up that doubles with the threads (y = x) at every thread count
// of `curves`; empty without curves.
PointCurve IdealScaling(const std::vector<PointCurve>& curves);
// STREAM's kernels in the order they first came: the rate (GB/s) against threads.
std::vector<PointCurve> BandwidthCurves(const std::vector<MeasuredPoint>& points);
// The latency points: nanoseconds a load against the working set in bytes.
PointCurve LatencyCurve(const std::vector<MeasuredPoint>& points);

// A drive row's pair of figures, MB/s; none where that half has not come.
struct DriveBar {
  QString label;  // "SEQ1M Q8T1"
  std::optional<double> read, write;
  bool operator==(const DriveBar&) const = default;
};
// The drive's rows measured so far, in the group's order of rows.
std::vector<DriveBar> DriveBars(const std::vector<MeasuredPoint>& points);

// A workload's name without its thread count ("zstd compress"); the id
// itself for one this program does not have.
QString WorkloadName(const QString& test);

}  // namespace torvik
