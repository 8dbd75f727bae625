// The precise figures beside the tenths: nanoseconds taken at the same two
// readings and summed like the tenths, the work and rate of each test, the
// tooltip texts, and the JSON document built from them.
#include <QtTest>

#include "core/base/IsoDateTime.h"
#include "core/report/JsonReport.h"
#include "core/results/PreciseFigures.h"

using namespace torvik;

namespace {

ClockReading At(int64_t tenths, int64_t ns) { return {TimeValue::FromTenths(tenths), ns}; }

// A slot that took `ns` nanoseconds (tenths as the clock would have shown)
// and did `work`.
TimingSlot Slot(int64_t ns, int64_t work) {
  TimingSlot slot;
  slot.Begin(At(0, 1'000'000'000));
  slot.End(At(ns / 100'000'000, 1'000'000'000 + ns));
  slot.work = work;
  return slot;
}

}  // namespace

class PreciseFiguresTest : public QObject {
  Q_OBJECT

 private slots:
  void slotsKeepNanosecondsBesideTenths() {
    TimingSlot slot;
    slot.Begin(At(10, 1'000'000'000));
    slot.EndAdding(At(12, 1'234'500'000));
    slot.Begin(At(20, 2'000'000'000));
    slot.EndAdding(At(21, 2'100'000'000));
    QCOMPARE(slot.elapsed, TimeValue::FromTenths(3));
    QCOMPARE(slot.elapsedNs, int64_t{334'500'000});  // summed over the passes like the tenths
    slot.End(At(25, 2'500'000'000));
    QCOMPARE(slot.elapsedNs, int64_t{500'000'000});  // replaced
    ResultTable table;
    table[Test::Calc] = Slot(750'000'000, 1);
    table[Test::Trig] = Slot(3'600'000'000, 1);
    table.SetTotalTo(Test::Calc);
    table.AddToTotal(Test::Trig);
    QCOMPARE(table.TotalNs(), int64_t{4'350'000'000});
    QCOMPARE(table.Total(), TimeValue::FromTenths(43));
    table.Clear();
    QCOMPARE(table.TotalNs(), int64_t{0});
  }

  void ratesAndTheirTexts_data() {
    QTest::addColumn<int>("test");
    QTest::addColumn<qint64>("ns");
    QTest::addColumn<qint64>("work");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("memory") << int(Test::Memory) << qint64(44'300'000) << qint64(2'139'095'040) << 48.2865
                            << "0.0443 s, 48.3 GB/s";
    QTest::newRow("prime") << int(Test::Calc) << qint64(750'000'000) << qint64(455'189'150) << 606'918'866.7
                           << "0.7500 s, 607 M ops/s";
    QTest::newRow("scroll") << int(Test::Scroll) << qint64(18'800'000'000) << qint64(10'000) << 531.9149
                            << "18.8000 s, 532 lines/s";
    QTest::newRow("disk") << int(Test::Read1) << qint64(330'000'000) << qint64(125'829'120) << 381.3004
                          << "0.3300 s, 381 MB/s";
    QTest::newRow("work not known yet") << int(Test::Trig) << qint64(1'200'000'000) << qint64(0) << 0.0 << "1.2000 s";
    QTest::newRow("no time") << int(Test::Square) << qint64(0) << qint64(200'000) << 0.0 << "";
  }
  void ratesAndTheirTexts() {
    QFETCH(int, test);
    QFETCH(qint64, ns);
    QFETCH(qint64, work);
    QFETCH(double, rate);
    QFETCH(QString, tooltip);
    const TimingSlot slot = Slot(ns, work);
    QVERIFY(std::abs(RateOf(static_cast<Test>(test), slot) - rate) <= 1e-4 * std::max(1.0, rate));
    QCOMPARE(PreciseText(static_cast<Test>(test), slot, u'.'), tooltip);
    QCOMPARE(RateText(8'510, "lines/s", u','), QStringLiteral("8,51 k lines/s"));  // the locale's separator
    // A chart's label rounds as the table's text does.
    for (const double rate : {1103.9, 223.15, 33.535, 10.541, 4.567}) {
      QCOMPARE(QString::number(AsRateTextShows(rate), 'g', 6) + QStringLiteral(" MB/s"), RateText(rate, "MB/s", u'.'));
    }
  }

  void jsonDocument() {
    RunRecord first;
    first.groups = {Group::Cpu};
    first.machine.testDirectory.path = QStringLiteral("/srv/t/");
    first.machine.processor.vendor = QStringLiteral("AuthenticAMD");
    first.machine.processor.l2Cache = true;
    first.machine.processor.l2Ways = 8;
    first.machine.hasDisplay = true;
    first.machine.platform = QStringLiteral("xcb");
    first.machine.displayAdapter = QStringLiteral("Virtio GPU");
    first.results[Test::Calc] = Slot(800'000'000, 455'189'150);
    first.results.SetTotalTo(Test::Calc);
    RunRecord second = first;
    second.stopped = true;
    second.results[Test::Calc] = Slot(600'000'000, 455'189'150);
    const QJsonObject document =
        BuildJsonReport({first, second}, QDateTime(QDate(2026, 12, 8), QTime(9, 3, 0), QTimeZone(9 * 3600))).object();
    QCOMPARE(document["started"].toString(), QStringLiteral("2026-12-08T09:03:00+09:00"));
    const QJsonObject caches = document["machine"]["processor"]["caches"].toObject();
    QVERIFY(caches["l1_data_kb"].isNull());  // no level-1 facts: null, not 0
    QCOMPARE(caches["l2_ways"].toInt(), 8);
    QCOMPARE(document["machine"]["display"]["adapter"].toString(), QStringLiteral("Virtio GPU"));
    QCOMPARE(document["machine"]["display"]["platform"].toString(), QStringLiteral("xcb"));
    QCOMPARE(document["runs"][0]["bench_no"].toInt(), 36);  // 8 tenths: 1 + ... + 8
    QCOMPARE(document["runs"][1]["repetition"].toInt(), 2);
    QCOMPARE(document["runs"][0]["groups"].toArray(), QJsonArray({"cpu"}));
    QVERIFY(document["runs"][1]["bench_no"].isNull());  // stopped: no bench number
    QVERIFY(document["runs"][0]["write_average"].isNull());
    const QJsonObject prime = document["runs"][0]["tests"][0].toObject();
    QCOMPARE(prime["test"].toString(), QStringLiteral("prime"));
    QCOMPARE(prime["tenths"].toInt(), 8);
    QCOMPARE(prime["seconds"].toDouble(), 0.8);
    QCOMPARE(prime["unit"].toString(), QStringLiteral("ops/s"));
    const QJsonObject summary = document["summary"][0].toObject();
    QCOMPARE(summary["min"].toDouble(), 0.6);
    QCOMPARE(summary["median"].toDouble(), 0.7);  // the mean of the middle two
    QCOMPARE(summary["max"].toDouble(), 0.8);
    QCOMPARE(IsoDateTimeWithOffset(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone(-(5 * 3600 + 1800)))),
             QStringLiteral("2026-01-02T03:04:05-05:30"));
  }
};

QTEST_GUILESS_MAIN(PreciseFiguresTest)
#include "test_precise_figures.moc"
