// Two runs of the store side by side, test by test: each run's figures (the
// precise seconds of every repetition of its series, the tenths of an
// imported run), B's time against A's in percent, and whether that
// difference is beyond the noise: with at least two repetitions on each
// side Welch's t test at 95 % (two-sided), otherwise not tested. A test
// whose noise was flagged in any repetition is marked. Pure; any thread.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "core/records/StoredRun.h"
#include "core/results/Statistics.h"

namespace torvik {

enum class Verdict { Faster, Slower, WithinNoise, NotTested };

// "faster", "slower", "within_noise", "not_tested": in JSON.
const char* VerdictId(Verdict verdict);

struct TestComparison {
  QString test;  // the catalogue's id
  Statistics a, b;
  double differencePercent = 0;  // (mean B - mean A) / mean A: + is B slower
  std::optional<double> fasterPercent;  // how much faster B is than A: + faster
  Verdict verdict = Verdict::NotTested;
  std::optional<double> t, degreesOfFreedom;
  bool noisy = false;  // a repetition of either side shared its processor or saw its clock move
};

// `a` and `b`: the repetitions of each side (one run, or its series).
// The tests both sides ran, in the catalogue's order.
std::vector<TestComparison> CompareRuns(const std::vector<StoredRun>& a, const std::vector<StoredRun>& b);

// Welch's test of two samples' means at 95 %, two-sided: whether they
// differ; none with fewer than two values on a side.
struct WelchResult {
  double t = 0, degreesOfFreedom = 0;
  bool significant = false;
};
std::optional<WelchResult> WelchTest(const Statistics& a, const Statistics& b);

// Student's t at 97.5 % for `degreesOfFreedom` (rounded down; the normal
// 1.96 from 1000 on): the two-sided 95 % bound.
double StudentT975(double degreesOfFreedom);

}  // namespace torvik
