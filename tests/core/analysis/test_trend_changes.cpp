// Many comparisons at once: Welch's p-values from Student's t, the
// Benjamini-Hochberg rule on fixed p-values, and what --changes finds on
// fixed series: a planted 20 % slowdown among 1,000 comparisons of noise
// alone, and no false change in those 1,000 (at a false discovery rate of
// 5 % the chance of any false mark when nothing changed is at most 5 %, so
// the expected count of false changes is at most 0.05; uncontrolled, each
// comparison at 95 % would make about 50).
#include <QtTest>
#include <cstdint>
#include <random>

#include "core/analysis/FalseDiscovery.h"
#include "core/analysis/TrendChanges.h"

using namespace torvik;

namespace {

constexpr int64_t kDay = 24 * 60 * 60;
constexpr int kMachines = 100, kSeries = 11, kRepetitions = 5;  // 100 x 10 = 1,000 comparisons

// A normal deviate from the standard's Mersenne Twister (Box-Muller), the
// same on every library.
double Normal(std::mt19937& random) {
  const double u = (double(random()) + 1.0) / 4294967297.0, v = double(random()) / 4294967296.0;
  return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * M_PI * v);
}

// Every machine's series of the memory test around 0.5 s, spread by 2 %;
// the last series of machine `slowed` (when >= 0) `factor` times as long.
std::vector<StoredRun> Fleet(uint32_t seed, int slowed = -1, double factor = 1.0) {
  std::mt19937 random(seed);
  std::vector<StoredRun> runs;
  int64_t id = 1;
  for (int m = 0; m < kMachines; ++m) {
    for (int k = 0; k < kSeries; ++k) {
      const double mean = 0.5 * (m == slowed && k == kSeries - 1 ? factor : 1.0);
      for (int r = 0; r < kRepetitions; ++r) {
        StoredRun& run = runs.emplace_back();
        run.id = id++;
        run.sortTime = 1'000 + k * kDay + r;
        run.group = QStringLiteral("memory");
        run.pcName = QStringLiteral("desk-%1").arg(m, 3, 10, QLatin1Char('0'));
        run.processor = QStringLiteral("Test CPU 3000MHz");
        run.series = QStringLiteral("s%1-%2").arg(m).arg(k);
        const double seconds = mean * (1.0 + 0.02 * Normal(random));
        run.tests = {StoredTest{"memory", qRound64(seconds * 10), seconds, 2.139 / seconds, "GB/s", std::nullopt}};
      }
    }
  }
  return runs;
}

}  // namespace

class TrendChangesTest : public QObject {
  Q_OBJECT

 private slots:
  // P(|T| >= t): the 95 % bounds give 0.05, Cauchy (1) and 2 degrees of
  // freedom their closed forms, no degrees of freedom no evidence.
  void pValues_data() {
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("df");
    QTest::addColumn<double>("p");
    QTest::newRow("t 0") << 0.0 << 5.0 << 1.0;
    QTest::newRow("97.5 % of 1") << 12.706205 << 1.0 << 0.05;
    QTest::newRow("97.5 % of 3, negative") << -3.182446 << 3.0 << 0.05;
    QTest::newRow("97.5 % of 5") << 2.570582 << 5.0 << 0.05;
    QTest::newRow("97.5 % of 30") << 2.042272 << 30.0 << 0.05;
    QTest::newRow("normal") << 1.959964 << 1e7 << 0.05;
    QTest::newRow("Cauchy at 1") << 1.0 << 1.0 << 0.5;
    QTest::newRow("2 df at 1") << 1.0 << 2.0 << 1.0 - 1.0 / std::sqrt(3.0);
    QTest::newRow("2 at 10 df") << 2.0 << 10.0 << 0.07338803;
    QTest::newRow("no df") << 3.0 << 0.0 << 1.0;
    QTest::newRow("far out") << 40.0 << 8.0 << 1.67857e-10;
  }
  void pValues() {
    QFETCH(double, t);
    QFETCH(double, df);
    QFETCH(double, p);
    const double got = TwoSidedPValue(t, df);
    // Within the inputs' six digits, and relatively so far out.
    QVERIFY2(std::fabs(got - p) <= 1e-6 * std::min(p * 1e4, 1.0), qPrintable(QString::number(got, 'g', 10)));
  }

  // The step-up rule: the largest k whose k-th smallest p is at most k/m
  // of the rate, and every smaller one with it.
  void benjaminiHochberg_data() {
    QTest::addColumn<QList<double>>("p");
    QTest::addColumn<QList<bool>>("found");
    QTest::newRow("none") << QList<double>{} << QList<bool>{};
    QTest::newRow("one above") << QList<double>{0.06} << QList<bool>{false};
    QTest::newRow("every one") << QList<double>{0.01, 0.04, 0.03, 0.005} << QList<bool>{true, true, true, true};
    QTest::newRow("the last too large") << QList<double>{0.01, 0.02, 0.03, 0.2} << QList<bool>{true, true, true, false};
    QTest::newRow("stepping up") << QList<double>{0.04, 0.04, 0.04} << QList<bool>{true, true, true};
    QTest::newRow("the smallest only") << QList<double>{0.5, 0.001, 0.9} << QList<bool>{false, true, false};
    QTest::newRow("each alone would pass")
        << QList<double>{0.02, 0.03, 0.04, 0.045, 0.6} << QList<bool>{false, false, false, false, false};
  }
  void benjaminiHochberg() {
    QFETCH(QList<double>, p);
    QFETCH(QList<bool>, found);
    const std::vector<double> values(p.begin(), p.end());
    const std::vector<bool> got = BenjaminiHochberg(values);
    QCOMPARE(QList<bool>(got.begin(), got.end()), found);
  }

  // Noise alone, 1,000 comparisons in three fleets: no change found,
  // where each comparison on its own at 95 % would have flagged dozens.
  void noFalseChangeInNoise_data() {
    QTest::addColumn<uint32_t>("seed");
    for (const uint32_t seed : {1u, 2u, 3u}) QTest::addRow("seed %u", seed) << seed;
  }
  void noFalseChangeInNoise() {
    QFETCH(uint32_t, seed);
    const std::vector<MachineTrend> trends = PlanTrends(Fleet(seed));
    int uncontrolled = 0, marked = 0;
    for (const MachineTrend& trend : trends) {
      for (const TrendPoint& point : trend.lines.at(0).points) {
        uncontrolled += point.pValue && *point.pValue < 0.05;
        marked += point.change == Verdict::Faster || point.change == Verdict::Slower;
      }
    }
    QVERIFY2(uncontrolled >= 20 && uncontrolled <= 90, qPrintable(QString::number(uncontrolled)));
    QCOMPARE(marked, 0);  // the trend's marks
    const ChangeReport report = ChangesSince(trends, 0);
    QCOMPARE(report.comparisons, size_t{kMachines * (kSeries - 1)});
    QCOMPARE(report.changes.size(), size_t{0});
    QVERIFY(!report.AnySlower());
  }

  // A 20 % slowdown of one machine's last series among the 1,000: found,
  // for the slower, by about 20 %, against the series before; only the
  // comparisons since the day asked are judged.
  void aPlantedSlowdownIsFound_data() {
    QTest::addColumn<int64_t>("since");
    QTest::addColumn<size_t>("comparisons");
    QTest::newRow("all the series") << int64_t{0} << size_t{kMachines * (kSeries - 1)};
    QTest::newRow("the last day") << int64_t{1'000 + (kSeries - 1) * kDay} << size_t{kMachines};
  }
  void aPlantedSlowdownIsFound() {
    QFETCH(int64_t, since);
    QFETCH(size_t, comparisons);
    const ChangeReport report = ChangesSince(PlanTrends(Fleet(7, 42, 1.2)), since);
    QCOMPARE(report.comparisons, comparisons);
    QCOMPARE(report.changes.size(), size_t{1});
    const TrendChange& change = report.changes.front();
    QCOMPARE(change.machine, QStringLiteral("desk-042"));
    QCOMPARE(change.verdict, Verdict::Slower);
    QVERIFY2(change.fasterPercent < -12 && change.fasterPercent > -22,
             qPrintable(QString::number(change.fasterPercent)));
    QCOMPARE(change.runId - change.beforeRunId, int64_t{kRepetitions});
    QVERIFY(change.pValue < 0.05 / comparisons);
    QVERIFY(report.AnySlower());
  }
};

QTEST_GUILESS_MAIN(TrendChangesTest)
#include "test_trend_changes.moc"
