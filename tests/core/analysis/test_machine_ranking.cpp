// The rankings, trends and comparisons of the groups that measure today's
// machine, on fixed stores of a 2-thread and a 16-thread machine: the
// summaries (one thread, all threads whatever the count, STREAM, the
// memory latency at the largest working set both measured, the drive's
// eight rows) as geometric means, the overall figure each group ranks by,
// the tests a summary shows in the ranking, the trend and the comparison
// alike, the all-thread figure a run gets; and the built program's
// --ranking, --compare, --trend and --export-csv of such a store, the
// documents valid by their published JSON Schemas, with a classic group's
// ranking exactly as before.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "JsonSchemaCheck.h"
#include "PointRuns.h"
#include "ProgramRun.h"
#include "StoreAnswers.h"
#include "core/analysis/ComparisonPlan.h"
#include "core/analysis/MachineRanking.h"
#include "core/analysis/PointSelection.h"
#include "core/store/ResultStore.h"

using namespace torvik;
using namespace point_runs;

namespace {

constexpr int64_t kTime = 1'800'000'000;

// The duo (2 threads, perfect scaling) and the big machine (16 threads,
// scaling as threads^0.9, its one-thread rates 1, 2, 4, 1 and 1/2 times
// the duo's: a geometric mean of 2^0.4) in `group`.
std::vector<std::vector<StoredRun>> TwoMachines(const QString& group) {
  const std::vector<double> duo = {1e8, 400, 1500, 1800, 3000};
  const std::vector<double> big = {1e8, 800, 6000, 1800, 1500};
  if (group == u"cores") {
    return {Series("duo", group, kTime, "d", [&](double j) { return CoresTests(2, duo, 1.0, j); }),
            Series("big", group, kTime, "b", [&](double j) { return CoresTests(16, big, 0.9, j); })};
  }
  if (group == u"ram") {
    return {Series("duo", group, kTime, "d", [](double j) { return RamTests(2, 10, 15, 256 << 20, 100, j); }),
            Series("big", group, kTime, "b", [](double j) { return RamTests(16, 12, 60, 64 << 20, 80, j); })};
  }
  if (group == u"drive") {
    return {Series("duo", group, kTime, "d", [](double j) { return DriveTests(1, j); }),
            Series("big", group, kTime, "b", [](double j) { return DriveTests(2, j); })};
  }
  const auto memory = [](double seconds) {
    return [seconds](double j) {
      return std::vector<StoredTest>{{"memory", 5, seconds * j, 2.139 / (seconds * j), "GB/s", std::nullopt}};
    };
  };
  return {Series("duo", group, kTime, "d", memory(0.5)), Series("big", group, kTime, "b", memory(0.4))};
}

const RankedMachine& Named(const MachineRanking& ranking, const QString& name) {
  for (const RankedMachine& machine : ranking.machines) {
    if (machine.machine.name == name) return machine;
  }
  return ranking.machines.front();
}

QStringList Ids(const std::vector<QString>& ids) { return QStringList(ids.begin(), ids.end()); }

}  // namespace

class MachineRankingTest : public QObject {
  Q_OBJECT

 private slots:
  // Each group's summaries of the big machine against the duo, and the
  // overall figure it ranks by.
  void summariesAgainstTheBaseline_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("summaries");
    QTest::addColumn<QList<double>>("percents");
    QTest::addColumn<double>("overall");
    // 2^0.4 at one thread; 2^0.4 * 16^0.9 / 2 = 8 at all threads (16 against 2).
    QTest::newRow("cores") << "cores" << QStringList{"single_thread", "all_threads"}
                           << QList<double>{(std::pow(2, 0.4) - 1) * 100, 700.0} << 700.0;
    // The latency at 64 MiB, the largest the big machine measured: 100 ns against 80.
    QTest::newRow("ram") << "ram" << QStringList{"stream_single_thread", "stream_all_threads", "memory_latency"}
                         << QList<double>{20.0, 300.0, 25.0} << 300.0;
    QTest::newRow("drive") << "drive" << QStringList{"drive"} << QList<double>{100.0} << 100.0;
    QTest::newRow("classic memory") << "memory" << QStringList{} << QList<double>{} << 25.0;
  }
  void summariesAgainstTheBaseline() {
    QFETCH(QString, group);
    QFETCH(QStringList, summaries);
    QFETCH(QList<double>, percents);
    QFETCH(double, overall);
    const MachineRanking ranking = RankMachines(TwoMachines(group), MachineOf(QStringLiteral("duo"), {}));
    QStringList ids;
    for (SummaryKind kind : ranking.summaries) ids << QLatin1String(SummaryId(kind));
    QCOMPARE(ids, summaries);
    QCOMPARE(ranking.machines.front().machine.name, QStringLiteral("big"));  // the faster first
    const RankedMachine& big = Named(ranking, "big");
    const RankedMachine& duo = Named(ranking, "duo");
    QCOMPARE(big.summaries.size(), size_t(percents.size()));
    for (qsizetype k = 0; k < percents.size(); ++k) {
      QVERIFY2(big.summaries[size_t(k)] && std::abs(*big.summaries[size_t(k)] - percents[k]) < 1e-6,
               qPrintable(QStringLiteral("%1: %2").arg(summaries[k]).arg(big.summaries[size_t(k)].value_or(-1))));
      QCOMPARE(*duo.summaries[size_t(k)], 0.0);
    }
    QVERIFY(big.overall && std::abs(*big.overall - overall) < 1e-6);
  }

  // The tests a summary shows, the same in the ranking, the trend and the
  // comparison's charts: a workload at one and at all threads, STREAM at
  // all threads, the latency at four sizes, every drive row; a classic
  // test as ever.
  void summariesShowTheChosenTests_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("tests");
    QStringList cores;
    for (const QString& workload : kWorkloads) cores << workload + ".t1" << workload + ".all";
    QTest::newRow("cores") << "cores" << cores;
    QTest::newRow("ram") << "ram"
                         << QStringList{"stream-copy.all", "stream-scale.all", "stream-add.all",  "stream-triad.all",
                                        "latency.16384",   "latency.262144",   "latency.8388608", "latency.268435456"};
    QTest::newRow("drive") << "drive" << kDriveRows;
    QTest::newRow("classic memory") << "memory" << QStringList{"memory"};
  }
  void summariesShowTheChosenTests() {
    QFETCH(QString, group);
    QFETCH(QStringList, tests);
    const std::vector<std::vector<StoredRun>> machines = TwoMachines(group);
    QCOMPARE(Ids(RankMachines(machines).tests), tests);
    // The duo's trend: it measured the latency up to 256 MiB.
    const std::vector<MachineTrend> trends = PlanTrends(machines[0]);
    QCOMPARE(trends.size(), size_t{1});
    QStringList lines;
    for (const TrendLine& line : trends[0].lines) lines << line.test;
    QCOMPARE(lines, tests);
    const ComparisonPlan plan = PlanComparison(machines, std::nullopt, true);
    QStringList charted;
    for (const PlannedChart& chart : plan.charts) charted << Ids(chart.tests);
    QCOMPARE(charted, tests);
    // Welch's verdict on the all-thread figures too: 1 % spreads, a change far beyond them.
    if (group == u"cores") {
      const PlannedChart& division = plan.charts.front();
      QCOMPARE(division.id, QStringLiteral("cores.division"));
      QCOMPARE(division.cells[1][1].verdict, Verdict::Faster);
      QVERIFY(std::abs(*plan.overall[1] - 700.0) < 1e-6);  // the headline, as in the ranking
    }
  }

  // The all-thread figure: the point at the run's highest count for each
  // workload of several counts, once however often it is asked for; no
  // other run changes; and every test, a latency's half steps too, in its
  // own place among the tests.
  void allThreadFigure_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("source");  // the point division.all or stream-copy.all copies
    QTest::newRow("cores, 16 threads") << "cores" << 16 << 5 << "division.t16";
    QTest::newRow("cores, one thread") << "cores" << 1 << 5 << "division.t1";
    QTest::newRow("ram, 16 threads") << "ram" << 16 << 4 << "stream-copy.t16";
    QTest::newRow("ram, one thread") << "ram" << 1 << 4 << "stream-copy.t1";
    QTest::newRow("drive") << "drive" << 1 << 0 << "";
  }
  void allThreadFigure() {
    QFETCH(QString, group);
    QFETCH(int, threads);
    QFETCH(int, added);
    QFETCH(QString, source);
    StoredRun run = RunOf("m", group, kTime, {});
    run.tests = group == u"cores" ? CoresTests(threads, {1e8, 1, 2, 3, 4}, 0.8)
                : group == u"ram" ? RamTests(threads, 10, 30, 1 << 20, 90)
                                  : DriveTests(1);
    const StoredRun derived = WithAllThreadTests(run);
    QCOMPARE(derived.tests.size(), run.tests.size() + size_t(added));
    QCOMPARE(WithAllThreadTests(derived).tests.size(), derived.tests.size());
    QCOMPARE(TestsOf({&derived}).size(), derived.tests.size());  // each test in a place of its own
    if (source.isEmpty()) return;
    const auto rateOf = [&derived](const QString& id) {
      for (const StoredTest& test : derived.tests) {
        if (test.test == id) return test.rate.value_or(-1);
      }
      return -2.0;
    };
    QCOMPARE(rateOf(source.section(u'.', 0, 0) + ".all"), rateOf(source));
  }

  // The built program on a store of both machines' cores, ram and drive
  // series and their classic Memory series.
  void commandLineOfAStore() {
    QTemporaryDir data;
    QVERIFY(data.isValid() && QDir(data.path()).mkpath(QStringLiteral("Varn/TORVIK")));
    {
      ResultStore store(data.filePath(QStringLiteral("Varn/TORVIK/results.sqlite")));
      for (const QString& group : QStringList{"memory", "cores", "ram", "drive"}) {
        for (const std::vector<StoredRun>& series : TwoMachines(group)) {
          for (const StoredRun& run : series) QVERIFY_OK(store.Record(run));
        }
      }
    }
    const auto torvik = [&data](const QStringList& arguments) {
      return RunProgram(QStringLiteral(TORVIK_BINARY), data, arguments);
    };
    // A classic group's ranking, as this program has always written it.
    const Outcome memory = torvik({"--ranking", "--group", "memory", "--baseline", "duo"});
    QVERIFY2(memory.exitCode == 0, memory.err.constData());
    QCOMPARE(memory.out, QByteArray(kClassicRanking));

    const Outcome cores = torvik({"--ranking", "--group", "cores", "--baseline", "duo"});
    QVERIFY2(cores.exitCode == 0, cores.err.constData());
    const QList<QByteArray> lines = cores.out.split('\n');
    QVERIFY2(lines[0].endsWith("; + is faster; overall: all threads"), lines[0].constData());
    QVERIFY2(lines[1].contains("overall  single thread         all threads           Division ×1"),
             lines[1].constData());
    QVERIFY2(lines[2].contains("  1  big                         3   +700.0 %  +32.0 %               +700.0 %   "),
             lines[2].constData());
    QVERIFY(!cores.out.contains("×16") && !cores.out.contains("×2 "));

    const QJsonArray groups =
        QJsonDocument::fromJson(torvik({"--ranking", "--baseline", "duo", "--format", "json"}).out).array();
    QCOMPARE(groups.size(), 4);
    for (const QJsonValue& group : groups) {
      const bool points = group["group"] != QStringLiteral("memory");
      QCOMPARE(group.toObject().contains("summaries"), points);
      QCOMPARE(group["machines"][0].toObject().contains("summaries"), points);
      QVERIFY(group["machines"][0]["overall_faster_percent"].isDouble());
    }
    QCOMPARE(groups[1]["group"].toString(), QStringLiteral("cores"));
    QCOMPARE(groups[1]["overall"].toString(), QStringLiteral("all_threads"));
    QVERIFY(std::abs(groups[2]["machines"][0]["summaries"]["memory_latency"].toDouble() - 25) < 1e-6);
    QVERIFY(groups[2]["machines"][1]["summaries"]["memory_latency"].toDouble() == 0);  // the baseline

    // --compare: every point both ran and the all-thread figures, as rates.
    const QJsonArray runs =
        QJsonDocument::fromJson(torvik({"--history", "--format", "json", "--group", "cores"}).out).array();
    QCOMPARE(runs.size(), 6);
    QMap<QString, QString> idOf;  // a run of each machine
    for (const QJsonValue& run : runs) idOf[run["pc_name"].toString()] = QString::number(run["id"].toInt());
    const Outcome compared = torvik({"--compare", idOf["duo"], idOf["big"]});
    QVERIFY2(compared.exitCode == 0, compared.err.constData());
    for (const char* row : {"Division ×1 ", "Division ×2 ", "zstd compress, all threads ", "AES-256-GCM ×2 "}) {
      QVERIFY2(compared.out.contains(row), row);
    }
    QVERIFY(!compared.out.contains("×16") && compared.out.contains(" MB/s ") && compared.out.contains("faster"));

    // The documents as their published schemas promise, where python3-jsonschema is there to say.
    const QByteArray trend = torvik({"--trend", "--format", "json"}).out;
    const QByteArray comparedJson = torvik({"--compare", idOf["duo"], idOf["big"], "--format", "json"}).out;
    for (const auto& [schema, document] : {std::pair{"ranking", torvik({"--ranking", "--format", "json"}).out},
                                           std::pair{"trend", trend}, std::pair{"compare", comparedJson}}) {
      QByteArray problem;
      const SchemaCheck check =
          CheckAgainstSchema(document, QStringLiteral(TORVIK_SCHEMA_DIR "/%1.schema.json").arg(QLatin1String(schema)),
                             data.filePath(QLatin1String(schema) + QStringLiteral(".json")), problem);
      if (check == SchemaCheck::NoValidator) {
        qInfo("no python3 with jsonschema (python3-jsonschema): the documents are not validated");
        break;
      }
      QVERIFY2(check == SchemaCheck::Valid, problem.constData());
    }

    // The CSV: a drive row's IOPS, percentiles and engine after the old columns.
    const QString csv = data.filePath(QStringLiteral("runs.csv"));
    QCOMPARE(torvik({"--export-csv", csv}).exitCode, 0);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.split('\n').first().endsWith(",others_core_percent,iops,p50_us,p99_us,p999_us,engine\r"));
    QVERIFY2(text.contains(",seq1m-q8t1-read,") && text.contains(",80,200,900,io_uring\r"),
             text.left(2000).constData());
  }

 private:
  static const char kClassicRanking[];
};

// Written by this program before the groups of points had summaries.
const char MachineRankingTest::kClassicRanking[] =
    "memory: 2 machine(s), each one's latest series against duo (Test CPU); + is faster\n"
    "  #  machine                     n    overall  Memory copy\n"
    "  1  big                         3    +25.0 %  +25.0 % faster\n"
    "  2  duo                         3   baseline  baseline\n"
    "\n";

QTEST_GUILESS_MAIN(MachineRankingTest)
#include "test_machine_ranking.moc"
