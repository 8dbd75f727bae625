#include "core/cores/CoresPlan.h"

#include <algorithm>

namespace torvik {

// Measured on the development machine (AMD EPYC 9B14 class, 2 cores under
// a hypervisor), one thread, its own processor time:
//   division          1..kDivisionLast               s
//   zstd-compress     rounds x 4 MiB                 s
//   zstd-decompress   rounds x 4 MiB                 s
//   sha256            buffers x 16 KiB               s
//   aes-256-gcm       buffers x 16 KiB               s
CoresWork CoresWork::Standard() {
  CoresWork work;
  work.divisionLast = 115'000;
  work.corpusBytes = int64_t{4} << 20;
  work.compressRounds = 80;
  work.decompressRounds = 300;
  work.sha256Buffers = 120'000;
  work.gcmBuffers = 250'000;
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
  return plan;
}

}  // namespace torvik
