// Time values, the clock in tenths, the display form of a time, and the run
// state's reset.
#include <QtTest>

#include "Recorder.h"
#include "core/base/RandomGenerator.h"
#include "core/results/Timing.h"

using namespace torvik;

class TimingTest : public QObject {
  Q_OBJECT

 private slots:
  void formatSeconds_data() {
    QTest::addColumn<qint64>("tenths");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << qint64(0) << QStringLiteral("  0.0sec");
    QTest::newRow("half second") << qint64(5) << QStringLiteral("  0.5sec");
    QTest::newRow("two digits") << qint64(123) << QStringLiteral(" 12.3sec");
    QTest::newRow("fills the field") << qint64(1'000) << QStringLiteral("100.0sec");
    QTest::newRow("widens the field") << qint64(10'000) << QStringLiteral("1000.0sec");
    QTest::newRow("four digits") << qint64(12'345) << QStringLiteral("1234.5sec");
    QTest::newRow("five digits") << qint64(123'456) << QStringLiteral("12345.6sec");
    // A wrapped tick count gives a negative time; it is shown as it is.
    QTest::newRow("negative") << qint64(-5) << QStringLiteral(" -0.5sec");
    QTest::newRow("negative wide") << qint64(-12'345) << QStringLiteral("-1234.5sec");
  }
  void formatSeconds() {
    QFETCH(qint64, tenths);
    QFETCH(QString, shown);
    QCOMPARE(FormatSeconds(TimeValue::FromTenths(tenths), u'.'), shown);
  }

  void formatSecondsUsesTheLocaleSeparator() {
    QCOMPARE(FormatSeconds(TimeValue::FromTenths(123), u','), QStringLiteral(" 12,3sec"));
    const QString point = QLocale::system().decimalPoint();
    QCOMPARE(FormatSeconds(TimeValue::FromTenths(7)), QStringLiteral("  0") + point + QStringLiteral("7sec"));
  }

  void timeValueIsExactFixedPoint() {
    const TimeValue a = TimeValue::FromTenths(3);
    QCOMPARE(a.Raw(), 30'000);
    QCOMPARE((a + TimeValue::FromTenths(4)).Raw(), 70'000);
    QCOMPARE((a - TimeValue::FromTenths(4)).Tenths(), -1);
    TimeValue sum;
    for (int i = 0; i < 3; ++i) sum += TimeValue::FromTenths(123'456'789);
    QCOMPARE(sum.Tenths(), 370'370'367);
  }

  void readTenthsIsWholeTenthsAndMonotonic() {
    TimeValue previous = ReadTenths();
    QVERIFY(previous.Raw() % TimeValue::kScale == 0);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 250) {
      const TimeValue now = ReadTenths();
      QVERIFY(now.Raw() % TimeValue::kScale == 0);
      QVERIFY(now >= previous);
      previous = now;
    }
  }

  void randomStaysInRange() {
    RandomGenerator generator;
    generator.Seed(42);
    QList<int> seen(10, 0);
    for (int i = 0; i < 10'000; ++i) {
      const int value = generator.Next(10);
      QVERIFY(value >= 0 && value < 10);
      ++seen[value];
    }
    for (int count : seen) QVERIFY(count > 800);  // uniform, every value drawn
    QCOMPARE(generator.Next(1), 0);
    QCOMPARE(generator.Next(0), 0);
  }

  void resetResultsClearsEverything() {
    testing::RecordingView view;
    RunState state(view);
    state.Results()[Test::Mix].elapsed = TimeValue::FromTenths(9);
    state.Results()[Test::Read2].start = TimeValue::FromTenths(9);
    state.Results().Total() = TimeValue::FromTenths(9);
    state.BStopClick();
    state.ResetResults();
    QCOMPARE(state.StopFlag(), 0);
    QVERIFY(state.Results()[Test::Mix].elapsed.IsZero());
    QVERIFY(state.Results()[Test::Read2].start.IsZero());
    QVERIFY(state.Results().Total().IsZero());
    QCOMPARE(view.gauge, QList<int>({0}));
    QCOMPARE(view.labels.size(), size_t{16});  // every result label, the total included
    for (const auto& [label, text] : view.labels) QVERIFY(text.isEmpty());
    // Repainted, then pumped, as the last two steps.
    QCOMPARE(view.log.mid(view.log.size() - 2), QStringList({"repaint", "pump"}));
  }

  void showTotalWritesRepaintsAndPumps() {
    testing::RecordingView view;
    RunState state(view);
    state.Results().Total() = TimeValue::FromTenths(123);
    state.ShowTotal();
    QCOMPARE(view.labels[ResultLabel::KAll], QStringLiteral(" 12.3sec"));
    QCOMPARE(view.log.mid(1), QStringList({"repaint", "pump"}));
  }
};

QTEST_GUILESS_MAIN(TimingTest)
#include "test_timing.moc"
