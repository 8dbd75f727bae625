// DivisionWorkload: 32-bit integer division, the classic prime test's trial
// division (TrialDivision of core/workloads/CpuKernels.h, unchanged) over
// the same number range on every thread. Its work is the count of
// remainders; a thread's run is checked by the composites it found. See
// CoreWorkload for which thread calls what.
#pragma once

#include <cstdint>
#include <vector>

#include "core/cores/CoreWorkload.h"

namespace torvik {

// The product's trial division of first..last, kept out of line so its
// instructions can be inspected in the built library: the composite numbers
// it found.
int64_t DivisionKernel(int32_t first, int32_t last);

class DivisionWorkload : public CoreWorkload {
 public:
  // 1 <= first <= last.
  DivisionWorkload(int32_t first, int32_t last);

  QString Test() const override;
  QString DisplayName() const override;
  QString Unit() const override;
  double WorkPerThread() const override { return static_cast<double>(divisions_); }
  int64_t BytesPerThread() const override { return 0; }

  void Begin(int threads) override;
  void Prepare(int) override {}
  void Run(int index) override;
  bool Verify(int index) override;
  void End() override;

  // What trial division of first..last does, worked out from the smallest
  // prime factor of each number (a sieve) rather than by dividing: a prime
  // n costs n-2 remainders, a composite one less than its smallest factor.
  struct Counts {
    int64_t divisions = 0;
    int64_t composites = 0;
  };
  static Counts Count(int32_t first, int32_t last);

 private:
  struct alignas(64) Slot {
    int64_t composites = -1;
  };
  int32_t first_, last_;
  int64_t divisions_, composites_;
  std::vector<Slot> slots_;
};

}  // namespace torvik
