#include "core/ram/LatencyLevels.h"

#include <algorithm>
#include <cmath>

namespace torvik {
namespace {

constexpr int kMinPoints = 3;
const double kJoin = std::log(1.30);   // a point within 30 % of the plateau's mean joins it
const double kApart = std::log(1.50);  // plateaus closer than this are one level
constexpr double kRise = 0.25;         // how far up the step a level's size is read

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Run {
  size_t first = 0, last = 0;  // indices into the curve, inclusive
  double sum = 0;              // of the smoothed logarithms
  double Mean() const { return sum / static_cast<double>(last - first + 1); }
};

}  // namespace

std::vector<LatencyLevel> DetectLatencyLevels(std::vector<LatencyPoint> curve) {
  std::erase_if(curve, [](const LatencyPoint& p) {
    return p.bytes <= 0 || !(p.nanoseconds > 0) || !std::isfinite(p.nanoseconds);
  });
  std::sort(curve.begin(), curve.end(), [](const LatencyPoint& a, const LatencyPoint& b) { return a.bytes < b.bytes; });
  const size_t n = curve.size();
  std::vector<double> y(n);
  for (size_t i = 0; i < n; ++i) y[i] = std::log(curve[i].nanoseconds);
  // A median of three: one point off its neighbours is noise, a step has
  // two neighbours of its own side.
  std::vector<double> smooth = y;
  for (size_t i = 1; i + 1 < n; ++i) smooth[i] = Median({y[i - 1], y[i], y[i + 1]});
  // The last point has one neighbour: a level apart from the two before it
  // where those agree, it is a reading taken while something else ran (one
  // point is no level), and left alone it would end the last plateau
  // early, leaving the curve without its memory level.
  if (n >= 3 && std::abs(y[n - 2] - y[n - 3]) <= kJoin && std::abs(y[n - 1] - y[n - 2]) > kApart) {
    smooth[n - 1] = y[n - 2];
  }

  std::vector<Run> runs;
  for (size_t i = 0; i < n; ++i) {
    if (!runs.empty() && runs.back().last + 1 == i && std::abs(smooth[i] - runs.back().Mean()) <= kJoin) {
      runs.back().last = i;
      runs.back().sum += smooth[i];
    } else {
      runs.push_back({i, i, smooth[i]});
    }
  }
  std::vector<Run> plateaus;
  for (const Run& r : runs) {
    if (static_cast<int>(r.last - r.first + 1) < kMinPoints) continue;
    if (!plateaus.empty() && std::abs(r.Mean() - plateaus.back().Mean()) < kApart) {
      // The same level, drifting or interrupted: one plateau through both.
      Run& merged = plateaus.back();
      for (size_t i = merged.last + 1; i <= r.last; ++i) merged.sum += smooth[i];
      merged.last = r.last;
    } else {
      plateaus.push_back(r);
    }
  }

  std::vector<LatencyLevel> levels;
  for (size_t k = 0; k < plateaus.size(); ++k) {
    const Run& r = plateaus[k];
    LatencyLevel level;
    std::vector<double> ns;
    for (size_t i = r.first; i <= r.last; ++i) ns.push_back(curve[i].nanoseconds);
    level.nanoseconds = Median(ns);
    level.firstBytes = curve[r.first].bytes;
    level.lastBytes = curve[r.last].bytes;
    level.points = static_cast<int>(ns.size());
    level.open = r.last + 1 == n;
    levels.push_back(level);
  }
  for (size_t k = 0; k < levels.size(); ++k) {
    LatencyLevel& level = levels[k];
    if (level.open) continue;
    level.sizeBytes = level.lastBytes;
    if (k + 1 == levels.size()) continue;
    // Where the smoothed curve first climbs a quarter of the way to the next
    // level, between two points: interpolated on logarithms of both.
    const double threshold = std::log(level.nanoseconds + kRise * (levels[k + 1].nanoseconds - level.nanoseconds));
    for (size_t i = plateaus[k].last + 1; i <= plateaus[k + 1].first; ++i) {
      if (smooth[i] < threshold) continue;
      const double below = smooth[i - 1], above = smooth[i];
      const double t = above > below ? std::clamp((threshold - below) / (above - below), 0.0, 1.0) : 1.0;
      const double logBytes =
          std::log(static_cast<double>(curve[i - 1].bytes)) +
          t * std::log(static_cast<double>(curve[i].bytes) / static_cast<double>(curve[i - 1].bytes));
      level.sizeBytes = static_cast<int64_t>(std::llround(std::exp(logBytes)));
      break;
    }
  }
  return levels;
}

std::optional<double> LevelBesideCache::SizeRatio() const {
  if (!level.sizeBytes || !cache || cache->bytes <= 0) return std::nullopt;
  return static_cast<double>(*level.sizeBytes) / static_cast<double>(cache->bytes);
}

std::vector<LevelBesideCache> SetBesideCaches(const std::vector<LatencyLevel>& levels,
                                              const std::vector<ReportedCache>& caches) {
  const std::vector<ReportedCache> data = DataCaches(caches);
  std::vector<LevelBesideCache> beside;
  size_t next = 0;
  for (const LatencyLevel& level : levels) {
    LevelBesideCache entry{level, std::nullopt};
    if (!level.open && next < data.size()) entry.cache = data[next++];
    beside.push_back(entry);
  }
  return beside;
}

}  // namespace torvik
