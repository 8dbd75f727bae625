// The archive's reads, as jobs the window and the command line both call:
// a page of the list, the runs of a machine, runs and series with their
// tests, two series compared test by test, a trend and a ranking worked
// out from what the store picked. Each answers from the store reads are
// answered by (RunArchive::Readable: the shared store, else this PC's, an
// empty one before this PC has a store) with its value, or the status of
// its failure. The archive's thread (the window's) or the command line's
// one thread.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "core/analysis/MachineRanking.h"
#include "core/analysis/MachineTrend.h"
#include "core/analysis/RunComparison.h"
#include "core/archive/RunArchive.h"
#include "core/records/ArchiveStatus.h"
#include "core/records/OpenedStore.h"
#include "core/records/RunFilter.h"
#include "core/records/StoredRun.h"

namespace torvik {

// Opens the store reads are answered from (making or upgrading its schema
// where this role may).
ArchiveResult<OpenedStore> OpenReads(RunArchive& archive);

// The first page of a list: how many runs `filter` picks, and at most
// `limit` of them, newest first, without tests.
struct RunPage {
  int total = 0;
  std::vector<StoredRun> runs;
};
ArchiveResult<RunPage> FirstPage(RunArchive& archive, const RunFilter& filter, int limit);
// At most `limit` runs of `filter`, newest first, after `after`, without tests.
ArchiveResult<std::vector<StoredRun>> ListRuns(RunArchive& archive, const RunFilter& filter, int limit,
                                               const std::optional<RunKey>& after = {});
// Every run of `chosen`'s machine (its stable id where it has one, else its
// PC name, whole and in the same case) with its processor's name, without tests.
ArchiveResult<std::vector<StoredRun>> RunsOfMachine(RunArchive& archive, const StoredRun& chosen);
// The runs `ids` (every run when empty) with their tests, newest first.
ArchiveResult<std::vector<StoredRun>> ReadRuns(RunArchive& archive, const std::vector<int64_t>& ids);
// Each of `ids` with the other repetitions of its series (ResultStore::SeriesOf).
ArchiveResult<std::vector<std::vector<StoredRun>>> ReadSeries(RunArchive& archive, const std::vector<int64_t>& ids);

// Two runs' series side by side: A and B, each with its repetitions, and
// their tests compared (RunComparison): every test, a point group's every
// point and its workloads' all-thread figures (PointSelection).
struct ComparedSeries {
  std::vector<StoredRun> a, b;
  std::vector<TestComparison> tests{};
  // A and B are repetitions of one command: each side is that whole
  // series, compared with itself.
  bool sameSeries = false;
};
// NotFound, naming the id, for a run the store does not have.
ArchiveResult<ComparedSeries> CompareSeries(RunArchive& archive, int64_t a, int64_t b);

// The trends of the runs of `filter` (the newest kMostTrendRuns).
ArchiveResult<std::vector<MachineTrend>> TrendOf(RunArchive& archive, const RunFilter& filter);
// The trends of `machines` (each with its group) within the days of `days`.
ArchiveResult<std::vector<MachineTrend>> TrendOfMachines(RunArchive& archive,
                                                         const std::vector<std::pair<MachineOf, QString>>& machines,
                                                         const RunFilter& days);
// A ranking per group of the latest series of every machine of `filter`.
ArchiveResult<std::vector<MachineRanking>> RankingsOf(RunArchive& archive, const RunFilter& filter,
                                                      const std::optional<MachineOf>& baseline);
// How many machines with runs of `filter` the store leaves out of its
// ranking (a shared store's pending or retired ones, or without an id).
ArchiveResult<int> UnrankedMachinesOf(RunArchive& archive, const RunFilter& filter);
// The ranking of the latest series of every machine of `filter` (one group);
// with none ranked, how many machines the store leaves out of its ranking.
ArchiveResult<MachineRanking> RankingOf(RunArchive& archive, const RunFilter& filter,
                                        const std::optional<MachineOf>& baseline);

}  // namespace torvik
