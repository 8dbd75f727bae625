// StreamBandwidth: STREAM on a team of pinned threads. Three arrays of
// doubles come straight from the system; each thread first touches (sets)
// its own part of them, so its part lives where it runs; then one warm-up
// trial and `trials` timed ones, each kernel of each trial timed on its own
// from the team's common release to its last thread's end; the best time
// of each kernel counts, as in STREAM. After the timed trials every thread
// checks that its part holds what the kernels compute. Called by the
// group's thread; the kernels run on the team's.
#pragma once

#include <array>
#include <cstdint>

#include "core/cores/ThreadTeam.h"
#include "core/ram/StreamKernels.h"
#include "platform/PageMemory.h"

namespace torvik {

struct StreamFigure {
  StreamKernel kernel = StreamKernel::Copy;
  int64_t bestNs = 0;             // the fastest trial
  double bytes = 0;               // STREAM's count for one trial of all threads
  double gigabytesPerSecond = 0;  // bytes / bestNs: decimal GB/s, STREAM's MB/s / 1000
};

// Thread i's elements of an array of `elements` shared by `threads`: whole
// 64-byte lines each (8 doubles), the remainder to the last.
struct StreamPart {
  int64_t first = 0;
  int64_t count = 0;
};
StreamPart StreamPartOf(int64_t elements, int threads, int index);

// The values every element of a, b and c holds after `trials` trials of
// the four kernels from STREAM's start (1, 2, 0).
struct StreamValues {
  double a = 1, b = 2, c = 0;
};
StreamValues StreamValuesAfter(int trials);

// Throws MeasureFailure::MemoryRefused when an array cannot be mapped, and
// MeasureFailure::WrongResult when a part does not hold what it must.
std::array<StreamFigure, 4> MeasureStream(ThreadTeam& team, const platform::PageMemory& memory, int64_t elements,
                                          int trials);

}  // namespace torvik
