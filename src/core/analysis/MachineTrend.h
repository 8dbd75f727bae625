// The trend of a machine over time: for each machine (its PC name, or host
// name, and its processor model) and group, the machine's series in the
// order they ran (a command's repetitions are one series, a run without
// repetitions one of its own), and per test each series' mean seconds and
// spread, whether it was noisy or has tenths only, and how it stands
// against the series before it: how much faster (+) and whether that change
// is beyond the noise of both: Welch's t test, its p-values across all the
// comparisons shown held to a false discovery rate of 5 %
// (Benjamini-Hochberg, FalseDiscovery), so that many comparisons do not
// make false marks. A group of points has the lines a summary shows
// (PointSelection): a cores workload at one thread and at all threads,
// STREAM at all threads, the latency at four working sets, the eight drive
// rows. Pure; any thread.
#pragma once

#include <QString>
#include <optional>
#include <tuple>
#include <vector>

#include "core/analysis/FalseDiscovery.h"
#include "core/analysis/RunComparison.h"
#include "core/records/StoredRun.h"

namespace torvik {

// At most this many runs make a trend (the newest): a bound on one read.
inline constexpr int kMostTrendRuns = 20'000;

struct TrendPoint {
  int64_t time = 0;      // the series' first run, seconds since 1970
  int64_t runId = 0;     // that run
  Statistics seconds{};  // over the series' repetitions
  bool noisy = false;
  bool precise = true;  // false: an imported sheet's tenths, no spread
  // Against the series before: + faster, and the verdict (NotTested for
  // the first series, and where either has one repetition).
  std::optional<double> fasterPercent{};
  Verdict change = Verdict::NotTested;
  // Welch's two-sided p-value against the series before (none where not
  // tested), which `change` is judged by among all the comparisons.
  std::optional<double> pValue{};
};

struct TrendLine {
  QString test;  // its id
  std::vector<TrendPoint> points{};  // oldest first
  // How much faster the last series is than the first (+ faster); none
  // for a line of one series.
  std::optional<double> fasterSinceFirst{};
};

struct MachineTrend {
  QString machine;    // the PC name, or the host name
  QString processor;  // the processor's model, without its clock
  QString group;
  size_t seriesCount = 0;
  std::vector<TrendLine> lines;  // the tests the machine ran that a summary shows, in their order (TestInfo)
  std::vector<QString> notFigures{};  // tests of its runs left out as no figure (NotFiguresOf)
  size_t undatedRuns = 0;             // imported blocks of unknown date, left out (StoredRun::Undated)
};

// `runs`: runs with their tests, in any order; an imported block of
// unknown date has no place in time and is left out (counted). One trend
// per machine and group, by machine name, then processor, then the catalogue's group order;
// the changes judged across all of them (ControlFalseDiscoveries).
std::vector<MachineTrend> PlanTrends(const std::vector<StoredRun>& runs);
// The same, taking the runs (no copy of them).
std::vector<MachineTrend> PlanTrends(std::vector<StoredRun>&& runs);

// Judges again the changes of the points of `trends` from `from` (seconds
// since 1970; every point when none) as one family: faster or slower where
// Benjamini-Hochberg at `rate` finds them, else within the noise. The
// points before `from` are left as they are. How many were judged.
size_t ControlFalseDiscoveries(std::vector<MachineTrend>& trends, std::optional<int64_t> from = {},
                               double rate = kFalseDiscoveryRate);

// `runs` as series: the repetitions of each command together (oldest first
// within), each series once, the series ordered by their first run's time.
std::vector<std::vector<StoredRun>> SeriesOfRuns(std::vector<StoredRun> runs);

// The runs of the newest `count` whole series among `runs`, a machine's
// newest runs of a group as a read gave them (newest first). `cut`: the
// read stopped at its limit, so the series of its oldest run may have runs
// older still and is left out. Oldest series first, as SeriesOfRuns.
std::vector<std::vector<StoredRun>> NewestSeries(std::vector<StoredRun> runs, size_t count, bool cut);

// The machine a run was measured on, as trends and rankings tell machines
// apart: its name (MachineName) and its processor's model.
struct MachineOf {
  QString name, processor;
  MachineOf(QString name, QString processor) : name(std::move(name)), processor(std::move(processor)) {}
  explicit MachineOf(const StoredRun& run);
  bool operator==(const MachineOf&) const = default;
  bool operator<(const MachineOf& other) const {
    return std::tie(name, processor) < std::tie(other.name, other.processor);
  }
};

}  // namespace torvik
