// The overall figures of a ranking of the groups that measure today's
// machine, each a machine's figures against the baseline machine's, +
// faster: for cores the geometric mean of the rates over the baseline's at
// one thread and at all threads (each machine's highest thread count,
// whatever it is, so a 16-thread machine meets a 2-thread one there); for
// ram the same for STREAM's four kernels, and the memory latency: the
// loads a second at the largest working set both measured (256 MiB on a
// machine with the memory for it, beyond every cache: the latency that
// decides once the caches miss; the sizes between are a machine's cache
// sizes more than its speed, and the curve shows them); for drive the
// geometric mean over the eight rows. A group's overall figure is its
// headline (all threads, STREAM at all threads, the drive's); a classic
// group's stays the geometric mean over the tests both ran. Pure; any
// thread.
#pragma once

#include <QStringView>
#include <optional>
#include <vector>

#include "core/analysis/ComparisonFigures.h"

namespace torvik {

enum class SummaryKind { SingleThread, AllThreads, StreamSingleThread, StreamAllThreads, MemoryLatency, Drive };

// "single_thread", "all_threads", "stream_single_thread",
// "stream_all_threads", "memory_latency", "drive": in JSON.
const char* SummaryId(SummaryKind kind);

// The figures a ranking of `group` gives beside its tests, in order; none
// for a classic group.
std::vector<SummaryKind> SummariesOf(QStringView group);

// `run`'s figure of `kind` against `baseline`'s, in percent (+ faster);
// none where they share no figure of it. The runs' tests include the
// all-thread figures (WithAllThreadTests).
std::optional<double> SummaryAgainst(SummaryKind kind, const ComparedRun& run, const ComparedRun& baseline);

// The summary a point group's overall figure is: all threads for cores,
// STREAM at all threads for ram, the eight rows for drive.
SummaryKind HeadlineOf(QStringView group);

// A run's overall figure against the baseline's: its group's headline
// for a point group, else the geometric mean over the tests both ran
// (OverallAgainst).
std::optional<double> OverallOf(const ComparedRun& run, const ComparedRun& baseline);

}  // namespace torvik
