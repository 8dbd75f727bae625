// The x87 floating-point unit's own transcendental instructions on 80-bit
// extended values. Each function is exactly one instruction sequence that the
// compiler may neither remove nor reorder against the others (asm volatile), so
// a loop of them times the processor, not a library or the optimiser.
// Any thread may call these functions.
#pragma once

namespace torvik::arch {

// fptan pushes 1.0 after the tangent; it is popped so the x87 stack stays balanced.
inline long double X87Tan(long double x) {
  long double result;
  asm volatile("fptan\n\tfstp %%st(0)" : "=t"(result) : "0"(x));
  return result;
}

inline long double X87Cos(long double x) {
  long double result;
  asm volatile("fcos" : "=t"(result) : "0"(x));
  return result;
}

inline long double X87Sin(long double x) {
  long double result;
  asm volatile("fsin" : "=t"(result) : "0"(x));
  return result;
}

// fpatan computes atan(st(1) / st(0)); with st(0) = 1 it is atan(x).
inline long double X87ArcTan(long double x) {
  long double result;
  asm volatile("fpatan" : "=t"(result) : "0"(1.0L), "u"(x) : "st(1)");
  return result;
}

// Keeps a value alive in a register without a store to memory, so the
// instruction that produced it counts as used.
inline void KeepValue(long double value) { asm volatile("" : : "f"(value)); }

}  // namespace torvik::arch
