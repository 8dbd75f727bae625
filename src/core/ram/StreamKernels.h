// STREAM's four kernels on 8-byte doubles, as plain loops the compiler
// vectorises (compiled with -O3, and without the pass that would turn the
// copy into a memcpy call: its instructions are checked in the built
// binary), and STREAM's rule for the bytes each one moves. A thread runs a
// kernel on its own part of the arrays. Any thread.
#pragma once

#include <array>
#include <cstdint>

namespace torvik {

enum class StreamKernel { Copy, Scale, Add, Triad };

inline constexpr std::array<StreamKernel, 4> kStreamKernels = {StreamKernel::Copy, StreamKernel::Scale,
                                                               StreamKernel::Add, StreamKernel::Triad};

// STREAM's scalar.
inline constexpr double kStreamScalar = 3.0;

// STREAM's byte counting: Copy and Scale read one array and write one (16
// bytes an element), Add and Triad read two and write one (24). The write
// allocation a cache may add is not counted.
constexpr int64_t StreamBytesPerElement(StreamKernel kernel) {
  return kernel == StreamKernel::Copy || kernel == StreamKernel::Scale ? 16 : 24;
}

// The test name of a kernel's point: "stream-copy", ...
const char* StreamTestName(StreamKernel kernel);

// The kernels over elements 0 .. n-1 of arrays that do not overlap.
void StreamCopy(double* __restrict c, const double* __restrict a, int64_t n);                             // c = a
void StreamScale(double* __restrict b, const double* __restrict c, double s, int64_t n);                  // b = s c
void StreamAdd(double* __restrict c, const double* __restrict a, const double* __restrict b, int64_t n);  // c = a + b
void StreamTriad(double* __restrict a, const double* __restrict b, const double* __restrict c, double s,
                 int64_t n);  // a = b + s c

}  // namespace torvik
