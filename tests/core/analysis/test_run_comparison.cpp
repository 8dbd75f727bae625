// Two runs test by test: the difference in percent, Welch's test on the
// repetitions (beyond or within the noise), single runs left untested, an
// imported run's tenths, the noise mark, and the t bounds.
#include <QtTest>

#include "core/analysis/RunComparison.h"

using namespace torvik;

namespace {

// A run of `prime` seconds per repetition; `noisy` marks the first.
std::vector<StoredRun> Series(std::vector<double> prime, bool noisy = false) {
  std::vector<StoredRun> runs;
  for (double seconds : prime) {
    StoredRun run;
    run.tests.push_back(StoredTest{"prime", qRound64(seconds * 10), seconds, std::nullopt, "ops/s", std::nullopt});
    if (noisy && runs.empty()) {
      TestNoise& noise = run.tests[0].noise.emplace();
      noise.seconds = seconds;
      noise.othersCoreSeconds = seconds;  // a whole core
    }
    runs.push_back(run);
  }
  return runs;
}

}  // namespace

Q_DECLARE_METATYPE(std::vector<torvik::StoredRun>)

class RunComparisonTest : public QObject {
  Q_OBJECT

 private slots:
  void verdicts_data() {
    QTest::addColumn<std::vector<StoredRun>>("a");
    QTest::addColumn<std::vector<StoredRun>>("b");
    QTest::addColumn<double>("percent");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<bool>("noisy");
    // t = 1 / sqrt(0.01 / 3 * 2) = 12.2 on 4 degrees of freedom, beyond 2.776.
    QTest::newRow("slower beyond the noise")
        << Series({1.0, 1.1, 0.9}) << Series({2.0, 2.1, 1.9}) << 100.0 << int(Verdict::Slower) << false;
    QTest::newRow("faster beyond the noise")
        << Series({2.0, 2.1, 1.9}) << Series({1.0, 1.1, 0.9}, true) << -50.0 << int(Verdict::Faster) << true;
    QTest::newRow("within the noise") << Series({1, 2, 3}) << Series({1.5, 2.5, 3.5}) << 25.0
                                      << int(Verdict::WithinNoise) << false;
    QTest::newRow("no spread, a difference")
        << Series({1, 1}) << Series({1.1, 1.1}) << 10.0 << int(Verdict::Slower) << false;
    QTest::newRow("single runs: not tested")
        << Series({1.0}) << Series({0.9}) << -10.0 << int(Verdict::NotTested) << false;
  }
  void verdicts() {
    QFETCH(std::vector<StoredRun>, a);
    QFETCH(std::vector<StoredRun>, b);
    QFETCH(double, percent);
    QFETCH(int, verdict);
    QFETCH(bool, noisy);
    const std::vector<TestComparison> tests = CompareRuns(a, b);
    QCOMPARE(tests.size(), size_t{1});
    QVERIFY2(std::abs(tests[0].differencePercent - percent) < 1e-9,
             qPrintable(QString::number(tests[0].differencePercent)));
    QCOMPARE(int(tests[0].verdict), verdict);
    QCOMPARE(tests[0].noisy, noisy);
  }

  // An imported run has tenths only; a test one side lacks is left out.
  void importedTenthsAndMissingTests() {
    std::vector<StoredRun> sheet = Series({1.0});
    sheet[0].tests[0].seconds.reset();
    sheet[0].tests[0].tenths = 12;
    std::vector<StoredRun> measured = Series({1.0});
    measured[0].tests.push_back(StoredTest{"trig", 39, 3.9, std::nullopt, "ops/s", std::nullopt});
    const std::vector<TestComparison> tests = CompareRuns(measured, sheet);
    QCOMPARE(tests.size(), size_t{1});
    QCOMPARE(tests[0].b.mean, 1.2);
  }

  void studentBounds() {
    QCOMPARE(StudentT975(0.5), 12.706);
    QCOMPARE(StudentT975(4.9), 2.776);  // rounded down: the stricter bound
    QCOMPARE(StudentT975(35), 2.042);
    QCOMPARE(StudentT975(100), 2.000);
    QCOMPARE(StudentT975(1e6), 1.960);
  }
};

QTEST_GUILESS_MAIN(RunComparisonTest)
#include "test_run_comparison.moc"
