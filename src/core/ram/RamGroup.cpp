#include "core/ram/RamGroup.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

#include "core/cores/MeasureFailure.h"
#include "core/cores/ThreadTeam.h"
#include "core/ram/ChaseCycle.h"
#include "core/ram/HugePageUsage.h"
#include "core/ram/StreamBandwidth.h"
#include "core/results/TestInfo.h"

namespace torvik {
namespace {

// A STREAM run counts as this many latency points on the gauge.
constexpr int kBandwidthWeight = 8;

void RequireStarted(const ThreadTeam& team) {
  if (const auto failure = team.Failure()) {
    if (failure->processor < 0) throw MeasureFailure::ThreadRefused(failure->error);
    throw MeasureFailure::PinRefused(failure->processor, failure->error);
  }
}

std::vector<MeasuredPoint> BandwidthPoints(const RamPlan& plan, int threads, const GroupEnvironment& environment) {
  ThreadTeam team(plan.threads.Point(threads).processors, *environment.affinity);
  RequireStarted(team);
  const NoiseSample before = environment.noise ? environment.noise->Sample() : NoiseSample{};
  const std::array<StreamFigure, 4> figures = MeasureStream(team, *environment.memory, plan.arrayElements, plan.trials);
  std::optional<TestNoise> noise;
  if (environment.noise) noise = environment.noise->Between(before, environment.noise->Sample());
  std::vector<MeasuredPoint> points;
  for (const StreamFigure& f : figures) {
    MeasuredPoint p;
    p.group = QStringLiteral("ram");
    p.test = QLatin1String(StreamTestName(f.kernel));
    p.threads = threads;
    p.elapsedNs = f.bestNs;
    p.work = f.bytes;
    p.rate = f.gigabytesPerSecond;
    p.unit = QStringLiteral("GB/s");
    p.noise = noise;
    points.push_back(p);
  }
  return points;
}

MeasuredPoint MeasureLatencyPoint(const RamPlan& plan, int64_t bytes, const GroupEnvironment& environment) {
  ThreadTeam team({plan.latencyProcessor}, *environment.affinity);
  RequireStarted(team);
  int error = 0;
  platform::MappedBlock block = environment.memory->Map(static_cast<size_t>(bytes), true, error);
  if (block.Empty()) throw MeasureFailure::MemoryRefused(bytes, error);
  const std::vector<uint32_t> order = ChaseOrder(bytes / kChaseLineBytes);
  ChaseCycle cycle;
  // Laid, so first touched, by the measuring thread on its processor; an
  // untimed walk (a round, or a quarter of a timed walk where that is
  // shorter: beyond the caches nothing stays anyway) brings the lines in as
  // far as they fit.
  team.RunEach([&](int) {
    cycle = LayChaseCycle(block.Data(), order, plan.latencyMinLoads);
    ChaseLoads(cycle.start, ChaseWarmUpLoads(cycle));
  });
  std::optional<int64_t> hugePageBytes;
  if (const auto smaps = environment.sources->ReadFile("/proc/self/smaps")) {
    const auto begin = reinterpret_cast<uintptr_t>(block.Data());
    hugePageBytes = AnonHugePageBytes(*smaps, begin, begin + static_cast<uintptr_t>(bytes));
  }

  const NoiseSample before = environment.noise ? environment.noise->Sample() : NoiseSample{};
  void* end = nullptr;
  bool walked = true;
  int64_t best = std::numeric_limits<int64_t>::max();
  const std::function<void(int)> walk = [&](int) { end = ChaseLoads(cycle.start, cycle.loads); };
  for (int r = 0; r < plan.latencyRepeats; ++r) {
    best = std::min(best, team.RunTimed(walk));
    walked = walked && end == cycle.expectedEnd;
  }
  MeasuredPoint p;
  if (environment.noise) p.noise = environment.noise->Between(before, environment.noise->Sample());
  if (!walked) throw MeasureFailure::WrongResult(QStringLiteral("latency"), 1);
  p.group = QStringLiteral("ram");
  p.test = QStringLiteral("latency");
  p.threads = 1;
  p.bytes = bytes;
  p.elapsedNs = best;
  p.work = static_cast<double>(cycle.loads);
  p.nanoseconds = static_cast<double>(best) / static_cast<double>(cycle.loads);
  p.rate = *p.nanoseconds;
  p.unit = QStringLiteral("ns");
  p.hugePageBytes = hugePageBytes;
  return p;
}

}  // namespace

QString WorkingSetText(int64_t bytes) { return WorkingSetName(bytes); }

QString RamBandwidthStatusText(int threads) {
  return QCoreApplication::translate("RamGroup", "メモリ帯域 計測中！（STREAM、%1 スレッド）").arg(threads);
}

QString RamLatencyStatusText(int64_t bytes) {
  return QCoreApplication::translate("RamGroup", "メモリレイテンシ 計測中！（%1）").arg(WorkingSetText(bytes));
}

RamResult RunRamGroup(const RamPlan& plan, PointSink& sink, const GroupEnvironment& environment) {
  CheckAvailableMemory(*environment.sources, plan.BytesNeeded());
  RamResult result;
  if (const auto enabled = environment.sources->ReadFile("/sys/kernel/mm/transparent_hugepage/enabled")) {
    result.hugePageMode = TransparentHugePageMode(*enabled);
  }
  const int total =
      kBandwidthWeight * static_cast<int>(plan.bandwidthThreads.size()) + static_cast<int>(plan.latencySizes.size());
  int done = 0;
  const auto gauge = [&] { return total > 0 ? done * 100 / total : 0; };

  for (const int threads : plan.bandwidthThreads) {
    if (sink.StopRequested()) {
      result.stopped = true;
      return result;
    }
    sink.Progress(gauge(), RamBandwidthStatusText(threads));
    for (const MeasuredPoint& p : BandwidthPoints(plan, threads, environment)) sink.PointDone(p);
    done += kBandwidthWeight;
  }
  std::vector<LatencyPoint> curve;
  for (const int64_t bytes : plan.latencySizes) {
    if (sink.StopRequested()) {
      result.stopped = true;
      break;
    }
    sink.Progress(gauge(), RamLatencyStatusText(bytes));
    const MeasuredPoint p = MeasureLatencyPoint(plan, bytes, environment);
    curve.push_back({p.bytes, *p.nanoseconds});
    sink.PointDone(p);
    ++done;
  }
  result.levels = DetectLatencyLevels(curve);
  result.beside = SetBesideCaches(result.levels, plan.caches);
  if (!result.stopped) sink.Progress(100, QCoreApplication::translate("RamGroup", "メモリ性能 計測終了"));
  return result;
}

}  // namespace torvik
