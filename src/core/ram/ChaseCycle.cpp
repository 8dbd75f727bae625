#include "core/ram/ChaseCycle.h"

#include <algorithm>
#include <utility>

#include "core/cores/TextCorpus.h"

namespace torvik {

std::vector<uint32_t> ChaseOrder(int64_t lines, uint64_t seed) {
  std::vector<uint32_t> order(static_cast<size_t>(lines > 0 ? lines : 0));
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  SplitMix64 random(seed);
  for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[random.Below(i)]);  // Fisher-Yates
  return order;
}

ChaseCycle LayChaseCycle(void* block, const std::vector<uint32_t>& order, int64_t minLoads) {
  ChaseCycle cycle;
  const int64_t n = static_cast<int64_t>(order.size());
  if (n == 0) return cycle;
  char* const base = static_cast<char*>(block);
  const auto line = [&](int64_t k) { return base + int64_t{order[static_cast<size_t>(k)]} * kChaseLineBytes; };
  for (int64_t k = 0; k < n; ++k) *reinterpret_cast<void**>(line(k)) = line(k + 1 == n ? 0 : k + 1);
  cycle.start = line(0);
  cycle.lines = n;
  // A walk shorter than the cycle stops part of the way round; a longer one
  // goes round whole and then half of it again. Never a whole number of
  // rounds: a walk that did nothing would end where it began.
  const int64_t rest = n / 2;
  cycle.loads = minLoads < n ? std::max<int64_t>(minLoads, 1) : (minLoads - rest + n - 1) / n * n + rest;
  cycle.expectedEnd = line(cycle.loads % n);
  return cycle;
}

__attribute__((noinline)) void* ChaseLoads(void* start, int64_t loads) {
  void* p = start;
  for (int64_t i = 0; i < loads; ++i) p = *static_cast<void* const*>(p);
  asm volatile("" : "+r"(p));
  return p;
}

}  // namespace torvik
