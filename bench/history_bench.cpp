// Times the results history against what a user must not notice: recording
// one run after a group (under 50 ms), opening the comparison window on
// 10,000 recorded runs (under 1 s), importing a sheet of 1,000 blocks
// (under 2 s), and 16 copies recording into one store at the same moment
// (every run kept, within the busy timeout of 5 s); the comparison window
// drawing 20 ticked runs of every test (under 0.5 s) and what --compare
// reads and works out on the 10,000 runs (under 0.2 s). Runs offscreen on a
// store in a temporary folder; the 16 copies are this program, started
// with --record-into STORE.
//
//   build/bench/torvik_history_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "BenchTable.h"
#include "core/history/ResultStore.h"
#include "core/history/RunComparison.h"
#include "core/history/SheetParser.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"
#include "ui/ComparisonWindow.h"

using namespace torvik;

namespace {

StoredRun CpuRun(int64_t i) {
  StoredRun run;
  run.started = QStringLiteral("2026-12-08T07:40:03+00:00");
  run.sortTime = 1'700'000'000 + i;
  run.group = QStringLiteral("cpu");
  run.benchNo = 1128;
  run.totalTenths = 47;
  run.processor = QStringLiteral("AuthenticAMD AMD EPYC 2596.15MHz");
  run.tests = {StoredTest{"prime", 8, 0.8, 5.7e8, "ops/s", std::nullopt},
               StoredTest{"trig", 39, 3.9, 3.1e7, "ops/s", std::nullopt}};
  return run;
}

// A run of the ALL group: every test, each with its precise seconds.
StoredRun AllRun(int64_t i) {
  StoredRun run = CpuRun(i);
  run.group = QStringLiteral("all");
  run.series = QStringLiteral("series-%1").arg(i % 4);
  run.tests.clear();
  for (const TestEntry& entry : kTests) {
    const double seconds = 0.5 + 0.01 * static_cast<double>(i % 7);
    run.tests.push_back(StoredTest{QLatin1String(entry.id), qRound64(seconds * 10), seconds, 1e6 / seconds,
                                   QLatin1String(entry.unit), std::nullopt});
  }
  return run;
}

// 1,000 report blocks, each its own date.
QByteArray Sheet() {
  QByteArray sheet;
  for (int i = 0; i < 1'000; ++i) {
    RunRecord run;
    run.results[Test::Calc].elapsed = TimeValue::FromTenths(8);
    run.results.Total() = TimeValue::FromTenths(8);
    SheetInputs in;
    in.locale = QLocale::c();
    in.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0, 1)).addSecs(i);
    in.captions = CaptionsOf(run.results, u'.');
    sheet += SheetBytes(BuildReport(run, in));
  }
  return sheet;
}

}  // namespace

// One of the copies: records one run into the store at `path`.
int RecordOne(int argc, char** argv, const QString& path) {
  QCoreApplication application(argc, argv);
  ResultStore store(path);
  if (store.Record(CpuRun(QCoreApplication::applicationPid()))) return 0;
  std::fprintf(stderr, "%s\n", qPrintable(store.Error()));
  return 1;
}

// 16 copies of this program recording one run each into `store` at once:
// the seconds until the last has finished, or a negative number when a run
// was lost.
double SixteenCopies(ResultStore& store) {
  const int before = store.RunCount();
  std::vector<std::unique_ptr<QProcess>> copies;
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < 16; ++i) {
    copies.push_back(std::make_unique<QProcess>());
    copies.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copies.back()->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--record-into"), store.Path()});
  }
  bool allKept = true;
  for (const auto& copy : copies) allKept = copy->waitForFinished(60'000) && copy->exitCode() == 0 && allKept;
  const double seconds = timer.nsecsElapsed() / 1e9;
  return allKept && store.RunCount() == before + 16 ? seconds : -1;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--record-into") == 0)
    return RecordOne(argc, argv, QString::fromLocal8Bit(argv[2]));
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const bool rowsOnly = bench::RowsOnly(argc, argv);
  if (!rowsOnly) bench::PrintHeader();
  QTemporaryDir dir;
  ResultStore store(dir.path() + QStringLiteral("/results.sqlite"));
  if (!store.Open()) {
    std::fprintf(stderr, "%s\n", qPrintable(store.Error()));
    return 1;
  }
  ImportCounts counts;
  std::vector<StoredRun> runs;
  for (int64_t i = 0; i < 9'999; ++i) runs.push_back(CpuRun(i));
  store.Import(runs, counts);  // 9,999 runs to start from, in one go

  QElapsedTimer timer;
  timer.start();
  store.Record(CpuRun(10'000));
  bench::PrintRow("record one run", "ResultStore::Record after a group (50 ms allowed)", timer.nsecsElapsed() / 1e9,
                  0.050, "s");

  timer.restart();
  {
    ComparisonWindow window(store);
    window.show();
    QApplication::processEvents();
  }
  bench::PrintRow("open comparison, 10,000", "ComparisonWindow shown on 10,000 runs (1 s allowed)",
                  timer.nsecsElapsed() / 1e9, 1.0, "s");

  for (int64_t i = 0; i < 20; ++i) store.Record(AllRun(20'000 + i));
  double drawn = 0;
  {
    ComparisonWindow window(store);
    window.show();
    for (int row = 0; row < 19; ++row) window.Runs().SetTicked(row, true);
    QApplication::processEvents();
    timer.restart();  // the twentieth tick: every chart built again with 20 runs
    window.Runs().SetTicked(19, true);
    QApplication::processEvents();
    drawn = timer.nsecsElapsed() / 1e9;
  }
  bench::PrintRow("comparison, 20 ticked", "the 20th run ticked, every chart drawn again (0.5 s allowed)", drawn, 0.5,
                  "s");

  timer.restart();
  const std::vector<StoredRun> newest = store.SeriesOf(store.Runs(0, 1).front().id);
  const std::vector<TestComparison> compared = CompareRuns(newest, store.SeriesOf(store.Runs(1, 1).front().id));
  bench::PrintRow("compare, 10,000", "SeriesOf both runs + CompareRuns, as --compare (0.2 s allowed)",
                  timer.nsecsElapsed() / 1e9, 0.2, "s");
  if (compared.size() != kTests.size()) std::fprintf(stderr, "compare: %zu tests compared\n", compared.size());

  const QByteArray sheet = Sheet();
  timer.restart();
  const ParsedSheet parsed = ParseSheet(sheet, QDateTime::currentDateTime());
  store.Import(parsed.runs, counts);
  bench::PrintRow("import 1,000 blocks", "ParseSheet + ResultStore::Import (2 s allowed)", timer.nsecsElapsed() / 1e9,
                  2.0, "s");

  const double sixteen = SixteenCopies(store);
  if (sixteen >= 0) {
    bench::PrintRow("16 copies recording", "16 processes record one run each at once, all kept (5 s allowed)", sixteen,
                    5.0, "s");
  } else {
    std::fprintf(stderr, "16 copies recording at once: a run was lost\n");
  }
  return counts.imported == 1'000 && sixteen >= 0 ? 0 : 1;
}
