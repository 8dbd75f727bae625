#include "core/cores/CoresPlan.h"

#include <algorithm>

namespace torvik {

// One thread's work, each about a second on the machine the group was
// written on (AMD EPYC, Zen 4, 2.7 GHz, under a hypervisor; one thread
// pinned, its own session's scheduling weight raised above the builds
// beside it), measured as the group runs it:
//   division         1..115,000: 592,795,211 remainders   1.00 s   592 M/s
//   zstd-compress    56 x 4 MiB                           1.01 s   233 MB/s
//   zstd-decompress  390 x 4 MiB                          1.00 s   1,634 MB/s
//   sha256           112,000 x 16 KiB                     1.00 s   1,827 MB/s
//   aes-256-gcm      295,000 x 16 KiB                     1.00 s   4,822 MB/s
CoresWork CoresWork::Standard() {
  CoresWork work;
  work.divisionLast = 115'000;
  work.corpusBytes = int64_t{4} << 20;
  work.compressRounds = 56;
  work.decompressRounds = 390;
  work.sha256Buffers = 112'000;
  work.gcmBuffers = 295'000;
  work.tests = AllTests();
  return work;
}

QStringList CoresWork::AllTests() {
  return {QStringLiteral("division"), QStringLiteral("zstd-compress"), QStringLiteral("zstd-decompress"),
          QStringLiteral("sha256"), QStringLiteral("aes-256-gcm")};
}

int64_t CoresPlan::BytesNeeded() const {
  int maxThreads = 0;
  for (const ThreadPoint& point : threads.points) maxThreads = std::max(maxThreads, point.threads);
  int64_t perThread = 0;
  const int64_t corpus = work.corpusBytes;
  if (work.tests.contains(QStringLiteral("zstd-compress")) || work.tests.contains(QStringLiteral("zstd-decompress"))) {
    // Input, output and the round trip's buffer, the bound's slack and the
    // contexts' tables.
    perThread = std::max(perThread, 3 * corpus + corpus / 128 + (int64_t{2} << 20));
  }
  if (work.tests.contains(QStringLiteral("sha256")) || work.tests.contains(QStringLiteral("aes-256-gcm"))) {
    perThread = std::max<int64_t>(perThread, 2 * 16384 + 65536);
  }
  // The corpus, its compressed form and a compression's output, shared.
  const int64_t shared = 3 * corpus;
  return shared + perThread * maxThreads;
}

CoresPlan PlanCoresGroup(const ProcessorTopology& topology, const ProcessorAllowance& allowance,
                         const CoresWork& work) {
  CoresPlan plan;
  plan.allowance = allowance;
  plan.threads = MakeThreadPlan(topology, allowance);
  plan.work = work;
  // Only the workloads the group knows, each once, in the order given.
  plan.work.tests.clear();
  for (const QString& test : work.tests) {
    if (CoresWork::AllTests().contains(test) && !plan.work.tests.contains(test)) plan.work.tests << test;
  }
  return plan;
}

}  // namespace torvik
