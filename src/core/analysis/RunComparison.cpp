#include "core/analysis/RunComparison.h"

#include "core/analysis/ComparisonFigures.h"

#include <cmath>

namespace torvik {
namespace {

// A test's seconds in a stored run: the precise ones, or an imported
// sheet's tenths.
std::optional<double> SecondsOf(const StoredRun& run, const TestInfo& test, bool& noisy) {
  for (const StoredTest& stored : run.tests) {
    if (stored.test != test.id) continue;
    if (stored.noise && stored.noise->Flagged()) noisy = true;
    return ComparedSeconds(stored, test);
  }
  return std::nullopt;
}

}  // namespace

const char* VerdictId(Verdict verdict) {
  switch (verdict) {
    case Verdict::Faster: return "faster";
    case Verdict::Slower: return "slower";
    case Verdict::WithinNoise: return "within_noise";
    case Verdict::NotTested: break;
  }
  return "not_tested";
}

double StudentT975(double degreesOfFreedom) {
  // t(0.975, n) for n = 1..30, then at 40, 60, 120 and 1000.
  static constexpr double kSmall[] = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
                                      2.201,  2.179, 2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086,
                                      2.080,  2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};
  const int n = static_cast<int>(std::floor(degreesOfFreedom));
  if (n < 1) return kSmall[0];
  if (n <= 30) return kSmall[n - 1];
  if (n < 40) return 2.042;  // the lower degrees' bound: never too lenient
  if (n < 60) return 2.021;
  if (n < 120) return 2.000;
  if (n < 1000) return 1.980;
  return 1.960;
}

std::optional<WelchResult> WelchTest(const Statistics& a, const Statistics& b) {
  if (a.count < 2 || b.count < 2) return std::nullopt;
  const double va = a.stdev * a.stdev / a.count;
  const double vb = b.stdev * b.stdev / b.count;
  WelchResult result;
  if (va + vb == 0) {  // no spread at all: any difference is beyond it
    result.t = a.mean == b.mean ? 0 : INFINITY;
    result.degreesOfFreedom = a.count + b.count - 2;
    result.significant = a.mean != b.mean;
    return result;
  }
  result.t = (b.mean - a.mean) / std::sqrt(va + vb);
  result.degreesOfFreedom = (va + vb) * (va + vb) / (va * va / (a.count - 1) + vb * vb / (b.count - 1));
  result.significant = std::abs(result.t) > StudentT975(result.degreesOfFreedom);
  return result;
}

std::vector<TestComparison> CompareRuns(const std::vector<StoredRun>& a, const std::vector<StoredRun>& b) {
  std::vector<TestComparison> comparisons;
  std::vector<const StoredRun*> both;
  for (const std::vector<StoredRun>* side : {&a, &b}) {
    for (const StoredRun& run : *side) both.push_back(&run);
  }
  for (const QString& id : TestsOf(both)) {
    const TestInfo test = InfoOf(id);
    TestComparison c;
    c.test = id;
    std::vector<double> sa, sb;
    for (const StoredRun& run : a) {
      if (const auto seconds = SecondsOf(run, test, c.noisy)) sa.push_back(*seconds);
    }
    for (const StoredRun& run : b) {
      if (const auto seconds = SecondsOf(run, test, c.noisy)) sb.push_back(*seconds);
    }
    if (sa.empty() || sb.empty()) continue;
    c.a = StatisticsOf(sa);
    c.b = StatisticsOf(sb);
    c.differencePercent = c.a.mean > 0 ? (c.b.mean - c.a.mean) / c.a.mean * 100 : 0;
    if (!std::isfinite(c.differencePercent)) c.differencePercent = 0;
    c.fasterPercent = FasterPercentOf(c.a.mean, c.b.mean, false);
    if (const std::optional<WelchResult> welch = WelchTest(c.a, c.b); welch && std::isfinite(welch->degreesOfFreedom)) {
      c.t = welch->t;
      c.degreesOfFreedom = welch->degreesOfFreedom;
      c.verdict = !welch->significant ? Verdict::WithinNoise : c.b.mean < c.a.mean ? Verdict::Faster : Verdict::Slower;
    }
    comparisons.push_back(c);
  }
  return comparisons;
}

}  // namespace torvik
