// The figures the comparison window sets side by side: for a run (with the
// other repetitions of its command) each test's mean seconds and rate with
// their standard deviations and whether a repetition was noisy; a figure
// against the baseline's in percent; and a run's overall figure, the
// geometric mean of its rates over the baseline's on the tests both ran.
// An imported run has tenths only: its seconds are those and its rate
// follows from the test's fixed work. A drive row's figure also has its
// requests a second, latency percentiles and engine. Pure; any thread.
#pragma once

#include <QString>
#include <map>
#include <optional>
#include <vector>

#include "core/records/StoredRun.h"
#include "core/results/TestInfo.h"

namespace torvik {

struct Figure {
  double seconds = 0, secondsStdev = 0;
  double rate = 0, rateStdev = 0;  // in the test's unit; 0 when unknown
  int repetitions = 0;
  bool noisy = false;    // a repetition shared its processor or saw its clock move
  bool precise = true;   // false: an imported sheet's tenths only
  // A drive row's requests a second and completion latency percentiles in
  // microseconds, means over the repetitions that have them, and the
  // engine that measured it (the first repetition's); none for the others.
  std::optional<double> iops{}, p50Us{}, p99Us{}, p999Us{};
  QString engine{};
};

struct ComparedRun {
  StoredRun run;                      // the ticked run (its series' others only lend figures)
  std::map<QString, Figure> figures;  // by test id
  // Whether every figure has precise seconds (false for an imported sheet,
  // which has tenths only).
  bool Precise() const;
};

// How much faster `figure` is than `baseline`, in percent (+ faster): of
// rates (higher is faster) their ratio less one, of seconds (lower is
// faster) the baseline's over the figure's less one. None unless both are
// finite and above zero. The one place this is worked out.
std::optional<double> FasterPercentOf(double baseline, double figure, bool higherIsFaster);

// What the analysis knows of the test `id` (TestInfo); an id no group of
// this program has is its own name, in no chart.
TestInfo InfoOf(const QString& id);
// The ids of the tests `runs` have that this program knows, in their order.
std::vector<QString> TestsOf(const std::vector<const StoredRun*>& runs);

// A test's time as comparisons take it: the seconds of a test whose work is
// the same on every machine (an imported one's tenths), else the time its
// standard work takes at its rate (a STREAM kernel, a drive row). None
// without a time above zero, and for a test holding anything that is no
// figure: the one place where figures enter the analysis.
std::optional<double> ComparedSeconds(const StoredTest& test, const TestInfo& info);

// The tests of `runs` holding a figure that is no figure (StoredTest::
// Figures: NaN, an infinity, zero or a negative in their seconds or rate),
// by id in the catalogue's order, each once: left out of every comparison,
// ranking and trend, and named in a note ("not a figure").
std::vector<QString> NotFiguresOf(const std::vector<const StoredRun*>& runs);
std::vector<QString> NotFiguresOf(const std::vector<StoredRun>& runs);

// `series`: the ticked run first, then the other repetitions of its command.
ComparedRun FiguresOf(const std::vector<StoredRun>& series);

// How much faster a figure is than the baseline's, in percent, + faster:
// its rate over the baseline's, less one (the baseline's seconds over its
// own, for seconds). None without both figures.
std::optional<double> FasterPercent(const Figure& figure, const Figure& baseline, bool rates);

// The geometric mean of the run's rates over the baseline's, on the tests
// both have a rate for, as a difference in percent (+ is faster); none
// when they share no test.
std::optional<double> OverallAgainst(const ComparedRun& run, const ComparedRun& baseline);

}  // namespace torvik
