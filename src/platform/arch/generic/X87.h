// Processors without an x87 unit: the C library's extended-precision
// functions stand in for the instructions. Any thread may call these.
#pragma once

#include <cmath>

namespace torvik::arch {

inline long double X87Tan(long double x) { return tanl(x); }
inline long double X87Cos(long double x) { return cosl(x); }
inline long double X87Sin(long double x) { return sinl(x); }
inline long double X87ArcTan(long double x) { return atanl(x); }

// Keeps a value alive without letting the compiler drop its computation.
inline void KeepValue(long double value) { asm volatile("" : : "m"(value)); }

}  // namespace torvik::arch
