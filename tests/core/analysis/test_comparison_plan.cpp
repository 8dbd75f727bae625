// What the comparison window shows, worked out on fixed runs: the baseline
// and its fallbacks, a series as one entry with its spread, a series ticked
// twice, missing tests, noisy marks, the overall figure, an imported run's
// tenths, and the drawing figures of another platform.
#include <QtTest>

#include "core/analysis/ComparisonPlan.h"
#include "core/records/RunDate.h"

using namespace torvik;

namespace {

StoredRun CpuRun(int64_t id, double prime, double trig) {
  StoredRun run;
  run.id = id;
  run.started = QStringLiteral("2026-12-08T18:42:44+00:00");
  run.group = QStringLiteral("cpu");
  run.pcName = QStringLiteral("pc%1").arg(id);
  run.tests = {StoredTest{"prime", qRound64(prime * 10), prime, 455'189'150 / prime, "ops/s", std::nullopt}};
  if (trig > 0) run.tests.push_back(StoredTest{"trig", qRound64(trig * 10), trig, 120'000'000 / trig, "ops/s", {}});
  return run;
}

StoredRun MemoryRun(int64_t id, double seconds) {
  StoredRun run = CpuRun(id, 1, 0);
  run.group = QStringLiteral("memory");
  run.tests = {StoredTest{"memory", qRound64(seconds * 10), seconds, 2.139 / seconds, "GB/s", std::nullopt}};
  return run;
}

const PlannedChart& ChartOf(const ComparisonPlan& plan, const char* id) {
  for (const PlannedChart& chart : plan.charts) {
    if (chart.id == QLatin1String(id)) return chart;
  }
  qFatal("no chart %s", id);
}

}  // namespace

class ComparisonPlanTest : public QObject {
  Q_OBJECT

 private slots:
  // The first ticked run, or the one chosen while it is ticked; a chart
  // whose tests the baseline never ran compares with the first run that did.
  void baselineAndItsFallbacks() {
    const std::vector<std::vector<StoredRun>> ticked = {{CpuRun(2, 0.75, 3.6)}, {CpuRun(1, 0.80, 3.9)},
                                                        {MemoryRun(3, 0.05)}, {MemoryRun(4, 0.04)}};
    QCOMPARE(PlanComparison(ticked, std::nullopt, false).baseline, size_t{0});
    QCOMPARE(PlanComparison(ticked, 99, false).baseline, size_t{0});  // chosen, then unticked
    const ComparisonPlan plan = PlanComparison(ticked, 1, true);
    QCOMPARE(plan.baseline, size_t{1});
    QCOMPARE(ChartOf(plan, "cpu").baseline, size_t{1});
    QCOMPARE(ChartOf(plan, "memory").baseline, size_t{2});
    QCOMPARE(QStringList({plan.charts[0].id, plan.charts[1].id}), QStringList({"cpu", "memory"}));
    // Rates in percent of the chart's baseline: the baseline at 100 %.
    QCOMPARE(ChartOf(plan, "memory").bars[2][0].value, 100.0);
    StoredRun unnamed = CpuRun(9, 0.8, 3.9);
    unnamed.pcName.clear();
    unnamed.hostName = QStringLiteral("node07");
    QVERIFY(RunLabel(unnamed).startsWith(QStringLiteral("node07 cpu 2026-12-08")));  // its host name, first
    QVERIFY(qAbs(ChartOf(plan, "memory").bars[3][0].value - 125.0) < 1e-9);
    QVERIFY(!ChartOf(plan, "memory").bars[0][0].present);  // a cpu run has no memory figure
  }

  // The geometric mean of the rates on the tests both ran, + faster; the
  // baseline has none, nor a run that shares no test with it.
  void overallFigure() {
    const ComparisonPlan plan =
        PlanComparison({{CpuRun(2, 0.75, 3.6)}, {CpuRun(1, 0.80, 3.9)}, {MemoryRun(3, 0.05)}}, std::nullopt, false);
    QVERIFY(!plan.overall[0]);
    QVERIFY(qAbs(*plan.overall[1] - (std::sqrt(0.75 / 0.80 * 3.6 / 3.9) - 1) * 100) < 1e-9);  // -7.0 %
    QVERIFY(!plan.overall[2]);
    const ComparisonPlan other = PlanComparison({{CpuRun(2, 0.75, 3.6)}, {CpuRun(1, 0.80, 3.9)}}, 1, false);
    QCOMPARE(QString::number(*other.overall[0], 'f', 1), QStringLiteral("7.5"));
  }

  // Repetitions are one entry with their mean and spread, labelled with n;
  // a series ticked twice counts once; one run has no spread; a test one
  // run lacks has no bar and no cell; a noisy repetition marks its figure.
  void seriesMissingTestsAndNoise() {
    std::vector<StoredRun> series = {CpuRun(10, 0.70, 3.5), CpuRun(11, 0.80, 3.7), CpuRun(12, 0.90, 3.9)};
    for (StoredRun& run : series) run.series = QStringLiteral("s1");
    TestNoise& noise = series[2].tests[1].noise.emplace();
    noise.seconds = 3.9;
    noise.othersCoreSeconds = 3.0;  // another program held the other core
    const ComparisonPlan plan =
        PlanComparison({series, {series[1], series[0], series[2]}, {CpuRun(1, 0.8, 0)}}, std::nullopt, false);
    QCOMPARE(plan.runs.size(), size_t{2});
    QVERIFY(plan.labels[0].endsWith(QStringLiteral("#10 (n=3)")));
    const PlannedChart& cpu = ChartOf(plan, "cpu");
    QCOMPARE(cpu.bars[0][0].value, 0.8);
    QVERIFY(qAbs(cpu.bars[0][0].spread - 0.1) < 1e-9);
    QVERIFY(!cpu.bars[0][0].noisy && cpu.bars[0][1].noisy);
    QCOMPARE(cpu.bars[1][0].spread, 0.0);
    QVERIFY(!cpu.bars[1][1].present && !cpu.cells[1][1].figure);
    QVERIFY(!cpu.cells[0][0].percent);  // the baseline against itself
    QCOMPARE(*cpu.cells[1][0].percent, 0.0);
  }

  // One sign everywhere: + is faster, in seconds as in rates; each
  // difference carries the command line's verdict (Welch's t at 95 %).
  void differencesAreFasterWithTheirVerdicts() {
    std::vector<StoredRun> fast = {CpuRun(20, 0.70, 3.0), CpuRun(21, 0.71, 3.6), CpuRun(22, 0.69, 4.2)};
    std::vector<StoredRun> slow = {CpuRun(30, 0.80, 3.1), CpuRun(31, 0.81, 3.7), CpuRun(32, 0.79, 4.3)};
    for (StoredRun& run : fast) run.series = QStringLiteral("fast");
    for (StoredRun& run : slow) run.series = QStringLiteral("slow");
    for (const bool rates : {false, true}) {
      const ComparisonPlan plan = PlanComparison({slow, fast, {CpuRun(1, 0.9, 3.6)}}, std::nullopt, rates);
      const PlannedChart& cpu = ChartOf(plan, "cpu");
      QVERIFY(qAbs(*cpu.cells[1][0].percent - (0.80 / 0.70 - 1) * 100) < (rates ? 0.2 : 1e-9));
      QCOMPARE(cpu.cells[1][0].verdict, Verdict::Faster);
      QCOMPARE(cpu.cells[1][1].verdict, Verdict::WithinNoise);  // 3.6 ± 0.6 against 3.7 ± 0.6
      QCOMPARE(cpu.cells[2][0].verdict, Verdict::NotTested);    // a lone run
      QCOMPARE(cpu.cells[0][0].verdict, Verdict::NotTested);    // the baseline
      const std::vector<TestComparison> cli = CompareRuns(slow, fast);
      QCOMPARE(cli[0].verdict, cpu.cells[1][0].verdict);
      QCOMPARE(cli[1].verdict, cpu.cells[1][1].verdict);
    }
  }

  // More series than a chart reads apart are folded (the chosen baseline
  // stays); an imported run is never the baseline while a precise one is.
  void foldingAndThePreciseBaseline() {
    std::vector<std::vector<StoredRun>> many;
    for (int64_t id = 1; id <= 20; ++id) many.push_back({CpuRun(id, 0.7 + id * 0.01, 3.6)});
    const ComparisonPlan plan = PlanComparison(many, 20, false);
    QCOMPARE(plan.runs.size(), kMostCompared);
    QCOMPARE(plan.folded, size_t{8});
    QCOMPARE(plan.runs[plan.baseline].run.id, int64_t{20});
    StoredRun imported = MemoryRun(5, 0);
    imported.origin = kOriginSheet;
    imported.tests = {StoredTest{"memory", 35, std::nullopt, std::nullopt, "GB/s", std::nullopt}};
    const ComparisonPlan mixed = PlanComparison({{imported}, {MemoryRun(6, 0.4)}}, std::nullopt, true);
    QCOMPARE(mixed.baseline, size_t{1});
    QVERIFY(!ChartOf(mixed, "memory").bars[0][0].precise && ChartOf(mixed, "memory").bars[1][0].precise);
  }

  // An imported run has tenths only: its seconds are those, its rate
  // follows from the test's fixed work; drawing figures of another
  // platform than X are marked in the Graphic chart alone.
  void importedRunsAndOtherPlatforms() {
    StoredRun imported = MemoryRun(5, 0);
    imported.origin = kOriginSheet;
    imported.started = QStringLiteral("30 Nov 2026 09:00:00");
    imported.values.startedAt = QStringLiteral("2026-11-30T09:00:00");  // its date read, as the store keeps it
    imported.tests = {StoredTest{"memory", 35, std::nullopt, std::nullopt, "GB/s", std::nullopt}};
    StoredRun wayland = CpuRun(6, 0.8, 3.9);
    wayland.platform = QStringLiteral("wayland");
    wayland.tests.push_back(StoredTest{"square", 55, 5.5, 200'000 / 5.5, "shapes/s", std::nullopt});
    const ComparisonPlan seconds = PlanComparison({{imported}, {wayland}}, std::nullopt, false);
    QCOMPARE(ChartOf(seconds, "memory").bars[0][0].value, 3.5);
    QVERIFY(seconds.labels[0].startsWith(QStringLiteral("pc5 memory 30 Nov 2026 09:00:00")));
    StoredRun undated = imported;  // a date that named no moment
    undated.started = QStringLiteral("29 Feb 2025 09:00:00");
    undated.values.startedAt.clear();
    QCOMPARE(RunLabel(undated), QStringLiteral("pc5 memory %1 #5").arg(DateUnknownText()));
    QVERIFY(ChartOf(seconds, "graphic").labels[1].endsWith(QStringLiteral("[wayland: 比較できません]")));
    QVERIFY(!ChartOf(seconds, "cpu").labels[1].contains(QStringLiteral("比較できません")));
    const ComparisonPlan rates = PlanComparison({{imported}}, std::nullopt, true);
    QCOMPARE(ChartOf(rates, "memory").cells[0][0].figure->rate, 2'048.0 * 1'044'480 / 3.5 / 1e9);
  }
};

QTEST_GUILESS_MAIN(ComparisonPlanTest)
#include "test_comparison_plan.moc"
