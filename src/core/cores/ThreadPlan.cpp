#include "core/cores/ThreadPlan.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace torvik {
namespace {

int KindRank(CoreKind kind) {
  switch (kind) {
    case CoreKind::Performance: return 0;
    case CoreKind::Unknown: return 1;
    case CoreKind::Efficiency: return 2;
  }
  return 1;
}

struct Core {
  const LogicalProcessor* first = nullptr;  // its lowest usable thread
  std::vector<int> threads;                 // usable, ascending

  auto SortKey() const {
    return std::make_tuple(KindRank(first->kind), -first->capacity.value_or(1024), first->package, first->die,
                           first->core, first->id);
  }
};

}  // namespace

ThreadPoint ThreadPlan::Point(int threads) const {
  threads = std::clamp(threads, 0, AllThreads());
  return {threads, std::vector<int>(pinOrder.begin(), pinOrder.begin() + threads)};
}

ThreadPlan MakeThreadPlan(const ProcessorTopology& topology, const ProcessorAllowance& allowance) {
  std::map<int, Core> byKey;
  for (const int id : allowance.usable) {
    const LogicalProcessor* p = topology.Find(id);
    if (p == nullptr) continue;
    Core& core = byKey[p->CoreKey()];
    if (core.first == nullptr || p->id < core.first->id) core.first = p;
    core.threads.push_back(p->id);
  }
  std::vector<Core> cores;
  for (auto& [key, core] : byKey) {
    std::sort(core.threads.begin(), core.threads.end());
    cores.push_back(core);
  }
  std::sort(cores.begin(), cores.end(), [](const Core& a, const Core& b) { return a.SortKey() < b.SortKey(); });

  ThreadPlan plan;
  for (size_t round = 0;; ++round) {
    bool any = false;
    for (const Core& core : cores) {
      if (round < core.threads.size()) {
        plan.pinOrder.push_back(core.threads[round]);
        any = true;
      }
    }
    if (!any) break;
  }
  // Under a quota, the first processors of the order.
  plan.pinOrder.resize(std::min<size_t>(plan.pinOrder.size(), static_cast<size_t>(std::max(0, allowance.usableCount))));

  std::set<int> spanned;
  for (const int id : plan.pinOrder) spanned.insert(topology.Find(id)->CoreKey());
  plan.physicalCores = static_cast<int>(spanned.size());
  plan.smt = plan.physicalCores < plan.AllThreads();

  const int all = plan.AllThreads();
  std::set<int> counts;
  for (int n = 1; n < all; n *= 2) counts.insert(n);
  if (plan.smt) counts.insert(plan.physicalCores);
  if (all > 0) counts.insert(all);
  for (const int n : counts) plan.points.push_back(plan.Point(n));
  return plan;
}

}  // namespace torvik
