// MemoryWorkloads: the measured work of the memory copy test (2,048 copies
// of 1,044,480 bytes between the two memory buffers) and the mix mode
// (memory copies between file writes and reads of growing size, one step
// per composite number up to 200). Both replace their slot's time. GUI
// thread only.
#pragma once

#include "core/workloads/MemoryBuffers.h"
#include "core/workloads/TestDirectory.h"

namespace torvik {

inline constexpr int kMemoryCopyRounds = 1'024;  // two copies each
inline constexpr int kMemoryPauseMs = 1'000;
inline constexpr int kMixLast = 200;
inline constexpr int kMixStepsPerDisplay = 11;
inline constexpr int kMixPauseMs = 2'000;

// The divisor that makes n a mix step (its smallest one from 2), or 0 for
// n = 1, 2, 3 and the primes, which are skipped.
int32_t MixStepDivisor(int32_t n);

class MemoryWorkloads {
 public:
  MemoryWorkloads(RunState& state, TestDirectory& files, MemoryBuffers& buffers)
      : state_(state), files_(files), buffers_(buffers) {}

  void MemoryCopyTest();
  void MixModeTest();

 private:
  void MixStep(int32_t n, const std::string& mixFile);

  RunState& state_;
  TestDirectory& files_;
  MemoryBuffers& buffers_;
  platform::BlockBuffer mixBlock_;
};

}  // namespace torvik
