// A machine's trend and the ranking of machines, worked out on fixed runs:
// series in time order with their spread, changes beyond the noise and
// within it, a machine with one run, the latest series of each machine as
// the store picks it, the baseline machine, ties and a machine sharing no
// test.
#include <QtTest>

#include "core/analysis/MachineRanking.h"
#include "core/analysis/MachineTrend.h"
#include "StoreAnswers.h"
#include "core/store/ResultStore.h"

using namespace torvik;

namespace {

StoredRun MemoryRun(const QString& machine, int64_t time, double seconds, const QString& series = {}) {
  StoredRun run;
  run.started = QDateTime::fromSecsSinceEpoch(time).toString(Qt::ISODate);
  run.sortTime = time;
  run.group = QStringLiteral("memory");
  run.pcName = machine;
  run.processor = QStringLiteral("Test CPU 3000MHz");
  run.series = series;
  run.tests = {StoredTest{"memory", qRound64(seconds * 10), seconds, 2.139 / seconds, "GB/s", std::nullopt}};
  return run;
}

// Three repetitions around `seconds`, spread by 1 %.
std::vector<StoredRun> Series(const QString& machine, int64_t time, double seconds, const QString& name) {
  return {MemoryRun(machine, time, seconds * 0.99, name), MemoryRun(machine, time + 1, seconds, name),
          MemoryRun(machine, time + 2, seconds * 1.01, name)};
}

std::vector<StoredRun> Joined(std::initializer_list<std::vector<StoredRun>> parts) {
  std::vector<StoredRun> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace

class MachineTrendTest : public QObject {
  Q_OBJECT

 private slots:
  // Series in time order, each with its mean and spread; a change of 20 %
  // is beyond the noise, one of 0.5 % within it; a lone run is not tested.
  void seriesChangesAndSpread() {
    const std::vector<StoredRun> runs = Joined({Series("desk", 3000, 0.50, "c"), Series("desk", 1000, 0.60, "a"),
                                                Series("desk", 2000, 0.5025, "b"), {MemoryRun("desk", 4000, 0.4)}});
    const std::vector<MachineTrend> trends = PlanTrends(runs);
    QCOMPARE(trends.size(), size_t{1});
    QCOMPARE(trends[0].seriesCount, size_t{4});
    const std::vector<TrendPoint>& points = trends[0].lines.at(0).points;
    QCOMPARE(points.size(), size_t{4});
    QCOMPARE(points[0].time, int64_t{1000});
    QCOMPARE(points[0].seconds.count, 3);
    QVERIFY(qAbs(points[0].seconds.mean - 0.60) < 1e-12 && qAbs(points[0].seconds.stdev - 0.006) < 1e-9);
    QCOMPARE(points[0].change, Verdict::NotTested);
    QCOMPARE(points[1].change, Verdict::Faster);
    QVERIFY(qAbs(*points[1].fasterPercent - (0.60 / 0.5025 - 1) * 100) < 1e-9);
    QCOMPARE(points[2].change, Verdict::WithinNoise);
    QCOMPARE(points[3].change, Verdict::NotTested);  // one run: no spread to judge by
  }

  // Machines apart by name (the host name where the PC has none) and
  // processor; one run makes a trend of one point.
  void machinesApart() {
    StoredRun unnamed = MemoryRun({}, 10, 0.5);
    unnamed.hostName = QStringLiteral("node07");
    StoredRun otherProcessor = MemoryRun("desk", 20, 0.5);
    otherProcessor.processor = QStringLiteral("Other CPU 2000MHz");
    const std::vector<MachineTrend> trends = PlanTrends({MemoryRun("desk", 30, 0.5), unnamed, otherProcessor});
    QCOMPARE(trends.size(), size_t{3});
    QCOMPARE(trends[0].machine, QStringLiteral("desk"));
    QCOMPARE(trends[2].machine, QStringLiteral("node07"));
    QCOMPARE(trends[2].lines[0].points.size(), size_t{1});
  }

  // Fastest first against the baseline machine, with per-test verdicts;
  // equal figures keep the order by name; a machine sharing no test last.
  void rankingOrderAndBaseline() {
    StoredRun cpuOnly = MemoryRun("zz-cpu", 50, 0.5);
    cpuOnly.tests = {StoredTest{"prime", 8, 0.8, 5.7e8, "ops/s", std::nullopt}};
    const std::vector<std::vector<StoredRun>> latest = {
        Series("b-slow", 1, 0.60, "s1"), Series("a-base", 1, 0.50, "s2"), Series("d-fast", 1, 0.40, "s3"),
        Series("c-same", 1, 0.50, "s4"), {cpuOnly}};
    const MachineRanking ranking = RankMachines(latest);
    QStringList order;
    for (const RankedMachine& machine : ranking.machines) order << machine.machine.name;
    QCOMPARE(order, QStringList({"d-fast", "a-base", "c-same", "b-slow", "zz-cpu"}));
    QCOMPARE(ranking.baseline, size_t{1});  // the first by name with precise figures
    QVERIFY(qAbs(*ranking.machines[0].overall - 25.0) < 1e-9);
    QCOMPARE(ranking.machines[0].tests[1].verdict, Verdict::Faster);
    QCOMPARE(ranking.machines[2].tests[1].verdict, Verdict::WithinNoise);
    QVERIFY(!ranking.machines[4].overall);
    const MachineRanking chosen = RankMachines(latest, MachineOf(QStringLiteral("B-SLOW"), {}));
    QCOMPARE(chosen.machines[chosen.baseline].machine.name, QStringLiteral("b-slow"));
    QCOMPARE(*chosen.machines[chosen.baseline].overall, 0.0);
  }

  // A machine's trend window from a read newest first: the newest whole
  // series, oldest first; a read cut at its limit leaves out the series of
  // its oldest run (it may go on), unless that run is a series of its own.
  void newestSeriesOfARead_data() {
    QTest::addColumn<QStringList>("read");  // series names, newest run first ("-": none)
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QStringList>("window");  // the first run's series of each series kept, oldest first
    QTest::newRow("all of it") << QStringList{"c", "c", "b", "b", "a"} << 5 << false << QStringList{"a", "b", "c"};
    QTest::newRow("the newest two") << QStringList{"c", "c", "b", "b", "a"} << 2 << false << QStringList{"b", "c"};
    QTest::newRow("cut: the oldest series may go on")
        << QStringList{"c", "c", "b", "b", "a"} << 5 << true << QStringList{"b", "c"};
    QTest::newRow("cut inside the newest series") << QStringList{"c", "c"} << 5 << true << QStringList{};
    QTest::newRow("cut at a run of its own")
        << QStringList{"c", "-", "b", "-"} << 5 << true << QStringList{"-", "b", "-", "c"};
  }
  void newestSeriesOfARead() {
    QFETCH(QStringList, read);
    QFETCH(int, count);
    QFETCH(bool, cut);
    QFETCH(QStringList, window);
    std::vector<StoredRun> runs;
    for (int i = 0; i < read.size(); ++i) {
      runs.push_back(MemoryRun("desk", 100 - i, 0.5, read[i] == u'-' ? QString() : read[i]));
      runs.back().id = 100 - i;
    }
    QStringList kept;
    size_t total = 0;
    for (const std::vector<StoredRun>& series : NewestSeries(runs, size_t(count), cut)) {
      kept << (series.front().series.isEmpty() ? QStringLiteral("-") : series.front().series);
      total += series.size();
    }
    QCOMPARE(kept, window);
    // Whole series: every run of each one kept.
    size_t expected = 0;
    for (const QString& name : window) expected += name == u'-' ? 1 : size_t(read.count(name));
    QCOMPARE(total, expected);
  }

  // The store picks each machine's newest run per group and brings its
  // series; the date range and the group filter in the store.
  void latestSeriesFromTheStore() {
    ResultStore store(ResultStore::InMemory());
    for (const StoredRun& run : Joined({Series("desk", 100, 0.6, "old"), Series("desk", 200, 0.5, "new"),
                                        {MemoryRun("lab", 150, 0.4)}, {MemoryRun("lab", 300, 0.45)}})) {
      QVERIFY_OK(store.Record(run));
    }
    std::vector<std::vector<StoredRun>> latest = ValueOf(store.LatestSeries({}, 100));
    QCOMPARE(latest.size(), size_t{2});
    QCOMPARE(latest[0].front().pcName, QStringLiteral("lab"));
    QCOMPARE(latest[0].front().sortTime, int64_t{300});
    QCOMPARE(latest[1].size(), size_t{3});
    QCOMPARE(latest[1].front().series, QStringLiteral("new"));
    latest = ValueOf(store.LatestSeries({.to = 250}, 100));
    QCOMPARE(latest[0].front().sortTime, int64_t{202});
    QCOMPARE(latest[1].front().sortTime, int64_t{150});
    QVERIFY(ValueOf(store.LatestSeries({.group = QStringLiteral("cpu")}, 100)).empty());
    QCOMPARE(ValueOf(store.RunsWithTests(RunFilter{.machine = QStringLiteral("LAB")}, 100)).size(), size_t{2});
  }
};

QTEST_GUILESS_MAIN(MachineTrendTest)
#include "test_machine_trend.moc"
