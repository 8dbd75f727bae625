// Times the product's processor kernels against bare reference loops of the
// same work, in the same run, and prints the ratios. A ratio near 1 shows the
// product adds nothing to (and removes nothing from) the work it times.
//
//   build/bench/torvik_cpu_bench [repetitions]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "BenchTable.h"
#include "core/workloads/CpuKernels.h"

using torvik::WorkerHooks;

namespace {

double Seconds(const std::function<void()>& work, int repetitions) {
  std::vector<double> runs;
  for (int i = 0; i < repetitions; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    runs.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];  // the median
}

// Reference: trial division written out by hand, the divisor kept opaque so
// every remainder is a real idiv here too.
void ReferencePrimes(int32_t first, int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    for (int32_t d = 2; d < n; ++d) {
      int32_t divisor = d;
      asm volatile("" : "+r"(divisor));
      if (n % divisor == 0) break;
    }
  }
}

#if defined(__i386__) || defined(__x86_64__)
// Reference: one asm block per argument, nothing around it.
void ReferenceTrig(int32_t first, int32_t last) {
  for (int32_t i = first; i <= last; ++i) {
    long double x = i, t, c, s;
    asm volatile("fptan\n\tfstp %%st(0)" : "=t"(t) : "0"(x));
    asm volatile("fcos" : "=t"(c) : "0"(x));
    asm volatile("fsin" : "=t"(s) : "0"(x));
  }
}
void ReferenceArcTan(int32_t first, int32_t last) {
  for (int32_t i = first; i <= last; ++i) {
    long double x = i, r;
    asm volatile("fpatan" : "=t"(r) : "0"(1.0L), "u"(x) : "st(1)");
  }
}
#else
void ReferenceTrig(int32_t first, int32_t last) {
  for (int32_t i = first; i <= last; ++i) {
    volatile long double t = tanl(i), c = cosl(i), s = sinl(i);
    (void)t, (void)c, (void)s;
  }
}
void ReferenceArcTan(int32_t first, int32_t last) {
  for (int32_t i = first; i <= last; ++i) {
    volatile long double r = atanl(i);
    (void)r;
  }
}
#endif

// The worker's hooks without a thread: never stops, no queue to check.
class FreeRunning : public WorkerHooks {
 public:
  bool KeepGoing() override { return true; }
  void CheckQueue() override {}
};

void Row(const char* name, const char* work, double product, double reference) {
  torvik::bench::PrintRow(name, work, product, reference, "s");
}

}  // namespace

int main(int argc, char** argv) {
  const bool rowsOnly = torvik::bench::RowsOnly(argc, argv);
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  if (!rowsOnly) {
    std::printf("median of %d runs each, product kernel vs bare reference loop of the same work, one thread\n",
                repetitions);
    torvik::bench::PrintHeader();
  }

  const double prime = Seconds(
      [] {
        for (int b = 1; b <= 10; ++b) torvik::PrimeBlock(10'000 * (b - 1) + 1, 10'000 * b);
      },
      repetitions);
  const double primeRef = Seconds([] { ReferencePrimes(1, 100'000); }, repetitions);
  Row("prime kernel", "455,189,150 x 32-bit idiv (bare loop)", prime, primeRef);

  const double trig = Seconds(
      [] {
        for (int b = 1; b <= 10; ++b) torvik::TrigBlock(4'000'000 * (b - 1) + 1, 4'000'000 * b);
      },
      repetitions);
  const double trigRef = Seconds([] { ReferenceTrig(1, 40'000'000); }, repetitions);
  Row("trigonometric kernel", "40,000,000 x fptan, fcos, fsin (bare asm loop)", trig, trigRef);

  FreeRunning hooks;
  const double atan = Seconds([&] { torvik::RootWorkerLoop(40'000'000, hooks); }, repetitions);
  const double atanRef = Seconds([] { ReferenceArcTan(1, 40'000'000); }, repetitions);
  Row("arctangent worker loop", "40,000,000 x fpatan (bare asm loop)", atan, atanRef);

  const double calc = Seconds([&] { torvik::CalcWorkerLoop(50'000, hooks); }, repetitions);
  const double calcRef = Seconds([] { ReferencePrimes(1, 50'000); }, repetitions);
  Row("trial division worker", "121,331,871 x idiv (bare loop, no queue checks)", calc, calcRef);
  return 0;
}
