// A ranking of machines: the latest series of each machine in one group,
// each against a baseline machine (the one chosen, else the first by name
// whose figures are precise, else the first with any figure; a test whose
// stored figure is no figure is left out, NotFiguresOf): its overall figure (the
// geometric mean of its rates over the baseline's on the tests both ran,
// + faster) and per test how much faster it is and the verdict the command
// line's comparison gives. Ordered by the overall figure, fastest first;
// the baseline at 0 %; equal figures by machine name, then processor; a
// machine sharing no test with the baseline last. A group of points
// (cores, ram, drive) ranks by its headline and gives its summaries beside
// it (PointSummaries), and its tests are those a summary shows
// (PointSelection): a workload at one and at all threads, not at every
// count. Pure; any thread.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "core/analysis/ComparisonFigures.h"
#include "core/analysis/MachineTrend.h"
#include "core/analysis/PointSummaries.h"
#include "core/analysis/RunComparison.h"

namespace torvik {

// At most this many machines are ranked: a bound on one read.
inline constexpr int kMostRankedMachines = 2'000;

struct RankedTest {
  std::optional<double> fasterPercent;  // none for the baseline and a test either lacks
  Verdict verdict = Verdict::NotTested;
};

struct RankedMachine {
  MachineOf machine;
  ComparedRun figures;              // the latest series' means and spreads
  size_t repetitions = 0;           // runs in that series
  std::optional<double> overall{};  // + faster; 0 for the baseline
  std::vector<RankedTest> tests{};  // per test of the ranking
  // Per summary of the ranking, + faster; 0 for the baseline, none where
  // the machine shares no figure of it with the baseline.
  std::vector<std::optional<double>> summaries{};
  // The tests of its latest series left out as no figure (NotFiguresOf).
  std::vector<QString> notFigures{};
};

struct MachineRanking {
  QString group;
  std::vector<QString> tests;  // the tests any machine ran that a summary shows, by id, in their order (TestInfo)
  std::vector<SummaryKind> summaries;  // the group's (SummariesOf); none for a classic group
  std::vector<RankedMachine> machines;
  size_t baseline = 0;  // in machines
  // With none ranked: the machines with runs of the group that the store
  // does not rank (a shared store's pending or retired ones, or without an id).
  int unrankedMachines = 0;
};

// `latest`: the latest series of each machine (ResultStore::LatestSeries),
// all of one group. `baseline`: the machine to compare with, if chosen (its
// name in any case; an empty processor matches the first of that name).
MachineRanking RankMachines(const std::vector<std::vector<StoredRun>>& latest,
                            const std::optional<MachineOf>& baseline = std::nullopt);
// The latest series of machines of any groups: a ranking per group, in the
// catalogue's order of groups.
std::vector<MachineRanking> RankEachGroup(const std::vector<std::vector<StoredRun>>& latest,
                                          const std::optional<MachineOf>& baseline = std::nullopt);

}  // namespace torvik
