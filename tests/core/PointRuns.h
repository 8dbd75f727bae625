// Made-up runs of the groups that measure today's machine, as the store
// keeps them: a cores run at 1, 2, 4 ... threads up to a machine's count,
// each workload's rate its one-thread rate times threads^scaling; a ram
// run with STREAM at one and at all threads and a latency curve of three
// levels up to a largest working set, in powers of two and half steps; a drive run of the eight rows with
// IOPS, percentiles and engine. A series is three runs 1 % apart.
#pragma once

#include <QDateTime>
#include <QStringList>
#include <cmath>
#include <vector>

#include "core/records/StoredRun.h"

namespace point_runs {

using torvik::StoredRun;
using torvik::StoredTest;

inline const QStringList kWorkloads = {"division", "zstd-compress", "zstd-decompress", "sha256", "aes-256-gcm"};
inline const QStringList kKernels = {"stream-copy", "stream-scale", "stream-add", "stream-triad"};
inline const QStringList kDriveRows = {"seq1m-q8t1-read",  "seq1m-q8t1-write",  "seq1m-q1t1-read", "seq1m-q1t1-write",
                                       "rnd4k-q32t1-read", "rnd4k-q32t1-write", "rnd4k-q1t1-read", "rnd4k-q1t1-write"};

inline int64_t& NextRunId() {
  static int64_t id = 0;
  return id;
}

inline StoredRun RunOf(const QString& machine, const QString& group, int64_t time, const QString& series) {
  StoredRun run;
  run.id = ++NextRunId();
  run.started = QDateTime::fromSecsSinceEpoch(time, Qt::UTC).toString(Qt::ISODate);
  run.sortTime = time;
  run.group = group;
  run.pcName = machine;
  run.processor = QStringLiteral("Test CPU 3000MHz");
  run.series = series;
  return run;
}

// A test of `rate` whose work takes `work` / rate seconds.
inline StoredTest Rated(const QString& id, double rate, const QString& unit, double work) {
  const double seconds = work / rate;
  return StoredTest{id, std::llround(seconds * 10), seconds, rate, unit, std::nullopt};
}

// `single[w]`: workload w's one-thread rate (MB/s, ops/s for division).
inline std::vector<StoredTest> CoresTests(int threads, const std::vector<double>& single, double scaling,
                                          double jitter = 1) {
  std::vector<int> counts;
  for (int n = 1; n < threads; n *= 2) counts.push_back(n);
  counts.push_back(threads);
  std::vector<StoredTest> tests;
  for (int w = 0; w < kWorkloads.size(); ++w) {
    for (int n : counts) {
      const double rate = single[size_t(w)] * std::pow(n, scaling) * jitter;
      tests.push_back(Rated(kWorkloads[w] + QStringLiteral(".t%1").arg(n), rate, w == 0 ? "ops/s" : "MB/s",
                            (w == 0 ? 1e8 : 500.0) * n));
    }
  }
  return tests;
}

// STREAM at 1 and `threads` threads (GB/s), the latency from 4 KiB to
// `largest` with levels of 1, 4 and 20 ns below 32 KiB, 1 MiB and 16 MiB
// and `memoryNs` beyond.
inline std::vector<StoredTest> RamTests(int threads, double single, double all, int64_t largest, double memoryNs,
                                        double jitter = 1) {
  std::vector<StoredTest> tests;
  for (const QString& kernel : kKernels) {
    tests.push_back(Rated(kernel + ".t1", single * jitter, "GB/s", 1.0));
    if (threads > 1) tests.push_back(Rated(kernel + QStringLiteral(".t%1").arg(threads), all * jitter, "GB/s", 1.0));
  }
  // Powers of two and the half steps between, as the group measures them.
  for (int64_t power = 4096; power <= largest; power *= 2) {
    for (const int64_t bytes : {power, power + power / 2}) {
      if (bytes > largest) continue;
      const double ns = bytes <= (32 << 10) ? 1.0 : bytes <= (1 << 20) ? 4.0 : bytes <= (16 << 20) ? 20.0 : memoryNs;
      tests.push_back(Rated(QStringLiteral("latency.%1").arg(bytes), 1e9 / (ns * jitter), "loads/s", 1 << 20));
    }
  }
  return tests;
}

// The eight rows at `scale` times a made-up drive's MB/s.
inline std::vector<StoredTest> DriveTests(double scale, double jitter = 1) {
  const double rates[] = {3000, 2500, 1500, 1400, 400, 300, 50, 120};
  std::vector<StoredTest> tests;
  for (int i = 0; i < kDriveRows.size(); ++i) {
    StoredTest test = Rated(kDriveRows[i], rates[i] * scale * jitter, "MB/s", 1000.0);
    const double blocks = kDriveRows[i].startsWith(u"seq") ? 1 << 20 : 4096;
    test.iops = *test.rate * 1e6 / blocks;
    test.p50Us = 80 / scale, test.p99Us = 200 / scale, test.p999Us = 900 / scale;
    test.engine = QStringLiteral("io_uring");
    tests.push_back(test);
  }
  return tests;
}

// Three repetitions of `tests(jitter)`, 1 % apart.
template <typename Make>
std::vector<StoredRun> Series(const QString& machine, const QString& group, int64_t time, const QString& name,
                              Make tests) {
  std::vector<StoredRun> series;
  for (int k = 0; k < 3; ++k) {
    StoredRun run = RunOf(machine, group, time + k, name);
    run.tests = tests(0.99 + 0.01 * k);
    series.push_back(run);
  }
  return series;
}

}  // namespace point_runs
