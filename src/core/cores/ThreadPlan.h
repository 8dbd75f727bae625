// ThreadPlan: the thread counts a group measures and the processor each
// thread is pinned to, worked out from the topology and what the program may
// use. Pure: topology and allowance in, plan out; any thread.
//
// Threads are pinned one per processor in this order: the first thread of
// every physical core (performance cores before efficiency cores, then by
// capacity, package, die and core), then the second threads of the cores
// that have one, and so on; so a point of N threads runs on N distinct
// cores as long as there are N, and SMT siblings come in last. The points:
// 1, 2, 4, 8, ... below the usable count, the physical core count where
// SMT is on, and the usable count itself.
#pragma once

#include <vector>

#include "core/cores/ProcessorAllowance.h"
#include "core/cores/ProcessorTopology.h"

namespace torvik {

struct ThreadPoint {
  int threads = 0;
  std::vector<int> processors;  // thread i runs on processors[i]
};

struct ThreadPlan {
  std::vector<int> pinOrder;  // the usable processors in the order threads take them
  int physicalCores = 0;      // the cores pinOrder spans
  bool smt = false;           // some of those cores give pinOrder two or more threads
  std::vector<ThreadPoint> points;

  int AllThreads() const { return static_cast<int>(pinOrder.size()); }
  // The first `threads` processors of the pin order.
  ThreadPoint Point(int threads) const;
};

ThreadPlan MakeThreadPlan(const ProcessorTopology& topology, const ProcessorAllowance& allowance);

}  // namespace torvik
