// Compiled with -O3 -fno-tree-loop-distribute-patterns (src/core/CMakeLists.txt).
#include "core/ram/StreamKernels.h"

namespace torvik {

const char* StreamTestName(StreamKernel kernel) {
  switch (kernel) {
    case StreamKernel::Copy: return "stream-copy";
    case StreamKernel::Scale: return "stream-scale";
    case StreamKernel::Add: return "stream-add";
    case StreamKernel::Triad: return "stream-triad";
  }
  return "stream";
}

__attribute__((noinline)) void StreamCopy(double* __restrict c, const double* __restrict a, int64_t n) {
  for (int64_t j = 0; j < n; ++j) c[j] = a[j];
}

__attribute__((noinline)) void StreamScale(double* __restrict b, const double* __restrict c, double s, int64_t n) {
  for (int64_t j = 0; j < n; ++j) b[j] = s * c[j];
}

__attribute__((noinline)) void StreamAdd(double* __restrict c, const double* __restrict a, const double* __restrict b,
                                         int64_t n) {
  for (int64_t j = 0; j < n; ++j) c[j] = a[j] + b[j];
}

__attribute__((noinline)) void StreamTriad(double* __restrict a, const double* __restrict b, const double* __restrict c,
                                           double s, int64_t n) {
  for (int64_t j = 0; j < n; ++j) a[j] = b[j] + s * c[j];
}

}  // namespace torvik
