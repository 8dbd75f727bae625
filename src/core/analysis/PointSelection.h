// Which of the points of the groups that measure today's machine the
// trends, the rankings and the comparison's charts show, and the figure
// they add: a point group runs a workload at every thread count from one
// to all the machine's processors and its latency at some forty working
// sets, far more than a chart can set apart, and two machines with 2 and
// 16 processors share only their lowest counts. So each cores workload is
// shown at one thread and at all threads ("zstd-compress.all": the run's
// point at its highest thread count, whatever that is), STREAM at all
// threads, the latency at four fixed working sets (L1, L2, L3 and memory
// beyond them on today's processors), and every drive row; a classic test
// is always shown. Pure; any thread.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <vector>

#include "core/records/StoredRun.h"
#include "core/results/TestInfo.h"

namespace torvik {

// "cores", "ram", "drive": the groups whose tests are points.
bool IsPointGroup(QStringView group);

// The latency's working sets the summaries show: 16 KiB (in any level 1
// cache), 256 KiB (level 2), 8 MiB (level 3) and 256 MiB (memory).
inline constexpr std::array<int64_t, 4> kShownLatencyBytes = {int64_t{16} << 10, int64_t{256} << 10, int64_t{8} << 20,
                                                              int64_t{256} << 20};

// `run` with each workload that ran at several thread counts (the cores
// workloads, STREAM's kernels) also as "<workload>.all", a copy of its
// point at the run's highest thread count for it; a run that has them
// already, and every other run, as it is.
StoredRun WithAllThreadTests(StoredRun run);
std::vector<StoredRun> WithAllThreadTests(std::vector<StoredRun> runs);

// Whether a trend, a ranking or a comparison chart shows the test.
bool ShownInSummary(const TestInfo& test);

}  // namespace torvik
