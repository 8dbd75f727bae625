#include "core/analysis/PointSummaries.h"

#include <cmath>

#include "core/analysis/PointSelection.h"

namespace torvik {
namespace {

// The geometric mean of the rates over the baseline's on the tests both
// have a rate for that `wanted` picks, as a difference in percent.
template <typename Wanted>
std::optional<double> GeometricAgainst(const ComparedRun& run, const ComparedRun& baseline, Wanted wanted) {
  double logSum = 0;
  int shared = 0;
  for (const auto& [test, figure] : run.figures) {
    const auto base = baseline.figures.find(test);
    if (base == baseline.figures.end() || base->second.rate <= 0 || figure.rate <= 0) continue;
    const std::optional<TestInfo> info = InfoOfTest(test);
    if (!info || !wanted(*info)) continue;
    logSum += std::log(figure.rate / base->second.rate);
    ++shared;
  }
  if (shared == 0) return std::nullopt;
  return (std::exp(logSum / shared) - 1) * 100;
}

bool IsStream(const TestInfo& info) { return info.group == u"ram" && info.bytes == 0; }
bool IsAllThreads(const TestInfo& info) { return info.id.endsWith(u".all"); }

// The latency at the largest working set both runs measured: its loads a
// second over the baseline's.
std::optional<double> LatencyAgainst(const ComparedRun& run, const ComparedRun& baseline) {
  int64_t largest = 0;
  std::optional<double> percent;
  for (const auto& [test, figure] : run.figures) {
    const auto base = baseline.figures.find(test);
    if (base == baseline.figures.end()) continue;
    const std::optional<TestInfo> info = InfoOfTest(test);
    if (!info || info->group != u"ram" || info->bytes <= largest) continue;
    const std::optional<double> faster = FasterPercentOf(base->second.rate, figure.rate, true);
    if (!faster) continue;
    largest = info->bytes;
    percent = faster;
  }
  return percent;
}

}  // namespace

const char* SummaryId(SummaryKind kind) {
  switch (kind) {
    case SummaryKind::SingleThread: return "single_thread";
    case SummaryKind::AllThreads: return "all_threads";
    case SummaryKind::StreamSingleThread: return "stream_single_thread";
    case SummaryKind::StreamAllThreads: return "stream_all_threads";
    case SummaryKind::MemoryLatency: return "memory_latency";
    case SummaryKind::Drive: break;
  }
  return "drive";
}

std::vector<SummaryKind> SummariesOf(QStringView group) {
  if (group == u"cores") return {SummaryKind::SingleThread, SummaryKind::AllThreads};
  if (group == u"ram") {
    return {SummaryKind::StreamSingleThread, SummaryKind::StreamAllThreads, SummaryKind::MemoryLatency};
  }
  if (group == u"drive") return {SummaryKind::Drive};
  return {};
}

std::optional<double> SummaryAgainst(SummaryKind kind, const ComparedRun& run, const ComparedRun& baseline) {
  switch (kind) {
    case SummaryKind::SingleThread:
      return GeometricAgainst(run, baseline, [](const TestInfo& i) { return i.group == u"cores" && i.threads == 1; });
    case SummaryKind::AllThreads:
      return GeometricAgainst(run, baseline, [](const TestInfo& i) { return i.group == u"cores" && IsAllThreads(i); });
    case SummaryKind::StreamSingleThread:
      return GeometricAgainst(run, baseline, [](const TestInfo& i) { return IsStream(i) && i.threads == 1; });
    case SummaryKind::StreamAllThreads:
      return GeometricAgainst(run, baseline, [](const TestInfo& i) { return IsStream(i) && IsAllThreads(i); });
    case SummaryKind::MemoryLatency: return LatencyAgainst(run, baseline);
    case SummaryKind::Drive: break;
  }
  return GeometricAgainst(run, baseline, [](const TestInfo& i) { return i.group == u"drive"; });
}

SummaryKind HeadlineOf(QStringView group) {
  return group == u"cores" ? SummaryKind::AllThreads
         : group == u"ram" ? SummaryKind::StreamAllThreads
                           : SummaryKind::Drive;
}

std::optional<double> OverallOf(const ComparedRun& run, const ComparedRun& baseline) {
  const QString& group = run.run.group;
  if (!IsPointGroup(group)) return OverallAgainst(run, baseline);
  return SummaryAgainst(HeadlineOf(group), run, baseline);
}

}  // namespace torvik
