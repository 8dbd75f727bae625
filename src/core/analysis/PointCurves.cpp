#include "core/analysis/PointCurves.h"

#include <algorithm>

#include "core/drive/DrivePlan.h"
#include "core/results/TestInfo.h"

namespace torvik {
namespace {

// Puts `point` in its place by x, replacing one at the same x.
void Place(std::vector<CurvePoint>& curve, CurvePoint point) {
  const auto at =
      std::lower_bound(curve.begin(), curve.end(), point.x, [](const CurvePoint& p, double x) { return p.x < x; });
  if (at != curve.end() && at->x == point.x) {
    *at = point;
  } else {
    curve.insert(at, point);
  }
}

PointCurve& CurveOf(std::vector<PointCurve>& curves, const QString& test) {
  for (PointCurve& curve : curves) {
    if (curve.test == test) return curve;
  }
  curves.push_back({test, WorkloadName(test), {}});
  return curves.back();
}

bool IsStream(const MeasuredPoint& point) {
  return point.group == QLatin1String("ram") && point.test.startsWith(QLatin1String("stream-"));
}

}  // namespace

QString WorkloadName(const QString& test) {
  const std::optional<TestInfo> info = InfoOfTest(test + QStringLiteral(".t1"));
  if (!info) return test;
  QString name = info->displayName;
  if (const qsizetype times = name.lastIndexOf(QStringLiteral(" ×")); times > 0) name.truncate(times);
  return name;
}

std::vector<PointCurve> ScalingCurves(const std::vector<MeasuredPoint>& points) {
  std::vector<PointCurve> curves;
  for (const MeasuredPoint& point : points) {
    if (point.group != QLatin1String("cores")) continue;
    CurveOf(curves, point.test);  // its place among the curves: where it first came
  }
  for (PointCurve& curve : curves) {
    // The last one-thread point of the workload is the base of all of its points.
    double single = 0;
    for (const MeasuredPoint& point : points) {
      if (point.group == QLatin1String("cores") && point.test == curve.test && point.threads == 1) single = point.rate;
    }
    if (single <= 0) continue;
    for (const MeasuredPoint& point : points) {
      if (point.group == QLatin1String("cores") && point.test == curve.test) {
        Place(curve.points, {double(point.threads), point.rate / single});
      }
    }
  }
  std::erase_if(curves, [](const PointCurve& curve) { return curve.points.empty(); });
  return curves;
}

PointCurve IdealScaling(const std::vector<PointCurve>& curves) {
  PointCurve ideal{QStringLiteral("ideal"), QString(), {}};
  for (const PointCurve& curve : curves) {
    for (const CurvePoint& point : curve.points) Place(ideal.points, {point.x, point.x});
  }
  return ideal;
}

std::vector<PointCurve> BandwidthCurves(const std::vector<MeasuredPoint>& points) {
  std::vector<PointCurve> curves;
  for (const MeasuredPoint& point : points) {
    if (IsStream(point)) Place(CurveOf(curves, point.test).points, {double(point.threads), point.rate});
  }
  return curves;
}

PointCurve LatencyCurve(const std::vector<MeasuredPoint>& points) {
  PointCurve curve{QStringLiteral("latency"), WorkloadName(QStringLiteral("latency")), {}};
  if (const std::optional<TestInfo> info = InfoOfTest(QStringLiteral("latency.4096"))) {
    curve.name = info->displayName.section(u' ', 0, 0);
  }
  for (const MeasuredPoint& point : points) {
    if (point.test == QLatin1String("latency") && point.nanoseconds && point.bytes > 0) {
      Place(curve.points, {double(point.bytes), *point.nanoseconds});
    }
  }
  return curve;
}

std::vector<DriveBar> DriveBars(const std::vector<MeasuredPoint>& points) {
  std::vector<DriveBar> bars;
  for (const DriveRow& row : kDriveRows) {
    const QString label = QLatin1String(row.label);
    auto bar = std::find_if(bars.begin(), bars.end(), [&label](const DriveBar& b) { return b.label == label; });
    if (bar == bars.end()) bar = bars.insert(bars.end(), DriveBar{label, std::nullopt, std::nullopt});
    for (const MeasuredPoint& point : points) {
      if (point.group == QLatin1String("drive") && point.test == QLatin1String(row.id)) {
        (row.write ? bar->write : bar->read) = point.rate;
      }
    }
  }
  std::erase_if(bars, [](const DriveBar& bar) { return !bar.read && !bar.write; });
  return bars;
}

}  // namespace torvik
