// The statistics of repeated figures and when --repeat auto stops: fixed
// inputs (none, one, identical, an even count), and series that settle after
// some repetitions, never settle, or run out of time.
#include <QtTest>

#include "core/results/Statistics.h"

using namespace torvik;

namespace {

// How many repetitions --repeat auto runs of a test whose k-th repetition
// takes series[k] seconds (the last value repeating), each `took` seconds
// of wall time.
int RepetitionsRun(const std::vector<double>& series, double took = 1) {
  std::vector<double> done;
  while (AutoRepeat::WantsMore(static_cast<int>(done.size()), took * static_cast<double>(done.size()),
                               {StatisticsOf(done)})) {
    done.push_back(series[std::min(done.size(), series.size() - 1)]);
  }
  return static_cast<int>(done.size());
}

}  // namespace

class StatisticsTest : public QObject {
  Q_OBJECT

 private slots:
  void fixedInputs_data() {
    QTest::addColumn<std::vector<double>>("values");
    QTest::addColumn<std::vector<double>>("expected");  // mean, stdev, cv, min, median, max
    QTest::newRow("none") << std::vector<double>{} << std::vector<double>{0, 0, 0, 0, 0, 0};
    QTest::newRow("one") << std::vector<double>{0.75} << std::vector<double>{0.75, 0, 0, 0.75, 0.75, 0.75};
    QTest::newRow("identical") << std::vector<double>{2, 2, 2} << std::vector<double>{2, 0, 0, 2, 2, 2};
    // Sample deviation: sqrt(((1.5^2 + 0.5^2) * 2) / 3) = 1.2910.
    QTest::newRow("even count, unsorted")
        << std::vector<double>{4, 1, 3, 2} << std::vector<double>{2.5, 1.2909944, 0.5163978, 1, 2.5, 4};
    QTest::newRow("a zero mean") << std::vector<double>{-1, 1} << std::vector<double>{0, 1.4142136, 0, -1, 0, 1};
  }
  void fixedInputs() {
    QFETCH(std::vector<double>, values);
    QFETCH(std::vector<double>, expected);
    const Statistics s = StatisticsOf(values);
    QCOMPARE(s.count, static_cast<int>(values.size()));
    const double got[] = {s.mean, s.stdev, s.cv, s.min, s.median, s.max};
    for (size_t i = 0; i < expected.size(); ++i)
      QVERIFY2(std::abs(got[i] - expected[i]) < 1e-6, qPrintable(QString::number(i)));
  }

  void autoRepeatStops_data() {
    QTest::addColumn<std::vector<double>>("series");
    QTest::addColumn<double>("took");
    QTest::addColumn<int>("repetitions");
    QTest::newRow("steady: the three at least") << std::vector<double>{1.0} << 1.0 << 3;
    // One 1.08 among ones: the cv is 0.08 / sqrt(n) / (1 + 0.08 / n), under
    // 3 % from the seventh repetition.
    QTest::newRow("settles after a disturbed start") << std::vector<double>{1.0, 1.08, 1.0} << 1.0 << 7;
    QTest::newRow("never settles: the cap")
        << std::vector<double>{1.0, 2.0, 1.0, 2.0, 1.0, 2.0, 1.0, 2.0, 1.0, 2.0} << 1.0 << 10;
    QTest::newRow("never settles: the time limit") << std::vector<double>{1.0, 2.0} << 700.0 << 3;
  }
  void autoRepeatStops() {
    QFETCH(std::vector<double>, series);
    QFETCH(double, took);
    QFETCH(int, repetitions);
    QCOMPARE(RepetitionsRun(series, took), repetitions);
  }
};

QTEST_GUILESS_MAIN(StatisticsTest)
#include "test_statistics.moc"
