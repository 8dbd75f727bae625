#include "core/ram/RamPlan.h"

#include <algorithm>

#include "core/ram/ChaseCycle.h"

namespace torvik {
namespace {

constexpr int64_t kHugePage = int64_t{2} << 20;

int64_t RoundUp(int64_t value, int64_t unit) { return (value + unit - 1) / unit * unit; }

int64_t PowerOfTwoAtLeast(int64_t value) {
  int64_t p = 1;
  while (p < value) p *= 2;
  return p;
}

// The latency block of `bytes` and the visiting order of its lines.
int64_t LatencyBytesHeld(int64_t bytes) {
  return RoundUp(bytes, kHugePage) + bytes / kChaseLineBytes * static_cast<int64_t>(sizeof(uint32_t));
}

}  // namespace

int64_t RamPlan::BytesNeeded() const {
  const int64_t arrays = bandwidthThreads.empty() ? 0 : 3 * RoundUp(ArrayBytes(), kHugePage);
  const int64_t latency = latencySizes.empty() ? 0 : LatencyBytesHeld(latencySizes.back());
  return std::max(arrays, latency);
}

std::vector<int64_t> LatencySizes(int64_t first, int64_t last, bool halfSteps) {
  std::vector<int64_t> sizes;
  first = std::max(first, kChaseLineBytes);
  for (int64_t p = PowerOfTwoAtLeast(first) / 2; p <= last; p *= 2) {
    for (const int64_t size : {p, halfSteps ? p + p / 2 : p}) {
      const int64_t lines = size / kChaseLineBytes * kChaseLineBytes;
      if (lines >= first && lines <= last && (sizes.empty() || sizes.back() < lines)) sizes.push_back(lines);
    }
    if (p > last / 2) break;
  }
  return sizes;
}

RamPlan PlanRamGroup(const ProcessorTopology& topology, const ProcessorAllowance& allowance,
                     const std::vector<ReportedCache>& caches, int64_t lastLevelTotal, std::optional<int64_t> available,
                     const RamWork& work) {
  RamPlan plan;
  plan.allowance = allowance;
  plan.threads = MakeThreadPlan(topology, allowance);
  const int all = plan.threads.AllThreads();
  if (all >= 1) plan.bandwidthThreads.push_back(1);
  if (all > 1) plan.bandwidthThreads.push_back(all);
  plan.latencyProcessor = all >= 1 ? plan.threads.pinOrder.front() : 0;
  plan.caches = caches;
  plan.lastLevelBytes = LastLevelBytes(caches);
  plan.lastLevelTotal = std::max(lastLevelTotal, plan.lastLevelBytes);

  const int64_t arrayBytes = work.arrayBytes > 0
                                 ? work.arrayBytes
                                 : RoundUp(std::max(kStreamMinArrayBytes, 4 * plan.lastLevelTotal), kHugePage);
  plan.arrayElements = std::max<int64_t>(arrayBytes / static_cast<int64_t>(sizeof(double)), 8);
  plan.trials = std::max(work.trials, kStreamMinTrials);

  int64_t last = work.latencyLastBytes;
  if (last <= 0) {
    const int64_t wanted = PowerOfTwoAtLeast(std::max<int64_t>(8 * plan.lastLevelBytes, int64_t{64} << 20));
    last = wanted;
    if (available) {
      while (last > work.latencyFirstBytes && LatencyBytesHeld(last) > *available / 2) last /= 2;
    }
    plan.latencyCut = last < 8 * plan.lastLevelBytes;
  }
  plan.latencySizes = LatencySizes(work.latencyFirstBytes, last, work.halfSteps);
  plan.latencyMinLoads = std::max<int64_t>(work.latencyMinLoads, 1);
  plan.latencyRepeats = std::max(work.latencyRepeats, 1);
  return plan;
}

RamPlan PlanRamGroup(const GroupEnvironment& environment, const RamWork& work) {
  const platform::SystemSources& sources = *environment.sources;
  ProcessorTopology topology = ReadProcessorTopology(sources);
  const std::vector<int> affinity = environment.affinity->Allowed();
  if (topology.processors.empty()) {
    for (const int id : affinity.empty() ? std::vector<int>{0} : affinity) {
      LogicalProcessor processor;
      processor.id = id;
      processor.core = id;
      processor.siblings = {id};
      topology.processors.push_back(processor);
    }
  }
  const ProcessorAllowance allowance = CombineAllowance(topology, affinity, ReadCgroupLimits(sources));
  const ThreadPlan threads = MakeThreadPlan(topology, allowance);
  const int first = threads.pinOrder.empty() ? 0 : threads.pinOrder.front();
  return PlanRamGroup(topology, allowance, ReadReportedCaches(sources, first),
                      LastLevelTotal(sources, threads.pinOrder), AvailableMemory(sources), work);
}

}  // namespace torvik
