// The measured work of the processor tests and of the worker threads that
// load the processor beside them: trial division with 32-bit signed remainders,
// and the x87 tangent, cosine, sine and arctangent on 80-bit values.
//
// The loops are templates over a probe so that the counting rules can be
// tested on the very code the product runs: the product instantiates them with
// a probe that does nothing (and compiles to nothing), tests with one that
// counts. The non-template functions at the end are the product's
// instantiations, kept out of line so their instructions can be inspected in
// the built binary. Any thread may call these.
#pragma once

#include <cstdint>

#include "X87.h"

namespace torvik {

// Hides a value's origin from the optimiser, so a divisor is never known to
// be 2 (which would turn the remainder into a parity test) and every remainder
// stays a real 32-bit idiv. Volatile: the loop around it can never be dropped
// as dead code, and since the remainder decides when the loop ends, every
// division in it must really run.
inline void OpaqueRegister(int32_t& value) { asm volatile("" : "+r"(value)); }

// A probe that observes nothing; every call vanishes after inlining.
struct NoProbe {
  bool KeepGoing() { return true; }
  void Remainder() {}
  void Composite(int32_t) {}
  void Argument(int32_t) {}
};

// Tests every n in first..last for primality by trial division with d = 2 ..
// n-1, stopping at the first zero remainder. A prime n costs n-2 remainders,
// a composite n (its smallest prime factor - 1). No square-root bound, no
// sieve, nothing cached between numbers. Before each n the probe may end the
// loop; after a zero remainder it hears of the composite.
template <typename Probe>
inline void TrialDivision(int32_t first, int32_t last, Probe& probe) {
  for (int32_t n = first; n <= last; ++n) {
    if (!probe.KeepGoing()) return;
    for (int32_t d = 2; d < n; ++d) {
      int32_t divisor = d;
      OpaqueRegister(divisor);
      probe.Remainder();
      if (n % divisor == 0) {
        probe.Composite(n);
        break;
      }
    }
  }
}

// tan(i), cos(i), sin(i) in this order for every i in first..last, each on
// the exact 80-bit argument i, with the processor's own instructions.
template <typename Probe>
inline void TrigSeries(int32_t first, int32_t last, Probe& probe) {
  for (int32_t i = first; i <= last; ++i) {
    const long double x = i;
    arch::KeepValue(arch::X87Tan(x));
    arch::KeepValue(arch::X87Cos(x));
    arch::KeepValue(arch::X87Sin(x));
    probe.Argument(i);
  }
}

// arctan(i) for every i in first..last, with the processor's partial
// arctangent and divisor 1. Before each i the probe may end the loop.
template <typename Probe>
inline void ArcTanSeries(int32_t first, int32_t last, Probe& probe) {
  for (int32_t i = first; i <= last; ++i) {
    if (!probe.KeepGoing()) return;
    arch::KeepValue(arch::X87ArcTan(static_cast<long double>(i)));
    probe.Argument(i);
  }
}

// What a worker thread's loop asks of its thread.
class WorkerHooks {
 public:
  virtual ~WorkerHooks() = default;
  // False once termination has been requested.
  virtual bool KeepGoing() = 0;
  // One non-blocking check of the thread's own message queue.
  virtual void CheckQueue() = 0;
};

// The product's instantiations.
void PrimeBlock(int32_t first, int32_t last);
void TrigBlock(int32_t first, int32_t last);
void CalcWorkerLoop(int32_t last, WorkerHooks& hooks);
void RootWorkerLoop(int32_t last, WorkerHooks& hooks);

}  // namespace torvik
