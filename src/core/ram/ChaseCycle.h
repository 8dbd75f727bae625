// ChaseCycle: the latency test's walk. A block of memory is cut into 64-byte
// lines, and each line holds the address of the next line of one random
// cycle through all of them (a shuffled visiting order from SplitMix64 with
// a fixed seed), so every load depends on the one before and no prefetcher
// can guess the next line. The walk's end proves the loads were made: after
// L loads it must stand on line L mod n of the order, never where it began.
// Laying and walking happen on the measuring thread; pure otherwise.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace torvik {

inline constexpr int64_t kChaseLineBytes = 64;
inline constexpr uint64_t kChaseSeed = 0x70727669;

// A visiting order of lines 0 .. lines-1: each once, uniformly shuffled.
std::vector<uint32_t> ChaseOrder(int64_t lines, uint64_t seed = kChaseSeed);

struct ChaseCycle {
  void* start = nullptr;  // the first line of the order
  int64_t lines = 0;
  // `minLoads` when that is less than a round, else whole rounds and half
  // a round more, at least `minLoads`.
  int64_t loads = 0;
  void* expectedEnd = nullptr;  // where `loads` steps from `start` end
};

// Lays the cycle of `order` over the first order.size() lines of `block`
// (64-byte aligned) and works out the walk: at least `minLoads` loads.
ChaseCycle LayChaseCycle(void* block, const std::vector<uint32_t>& order, int64_t minLoads);

// The untimed walk before the timed ones: a round, or a quarter of a timed
// walk where that is shorter.
inline int64_t ChaseWarmUpLoads(const ChaseCycle& cycle) { return std::min(cycle.lines, cycle.loads / 4); }

// `loads` dependent loads from `start` (p = *p); the line the walk ends on.
void* ChaseLoads(void* start, int64_t loads);

}  // namespace torvik
