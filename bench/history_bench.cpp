// Times the results history against what a user must not notice: recording
// one run after a group (under 50 ms), opening the comparison window on
// 10,000 recorded runs (under 1 s), importing a sheet of 1,000 blocks
// (under 2 s), and 16 copies recording into one store at the same moment
// (every run kept, within the busy timeout of 5 s); the comparison window
// drawing 20 ticked runs of every test (under 0.5 s) and what --compare
// reads and works out on the 10,000 runs (under 0.2 s). Runs offscreen on a
// store in a temporary folder; the 16 copies are this program, started
// with --record-into STORE. Then the same on a shared store, a PostgreSQL
// server of the bench's own reached over its Unix socket: one waiting run
// sent by a store opened for it, as after a command-line run (under 50 ms),
// 50 copies recording at once (all kept within 5 s), and the comparison
// window on 10,000 runs there (under 1 s). Without postgresql installed
// those rows are left out, with the reason.
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
#include "core/history/StoreSync.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"
#include "ui/ComparisonWindow.h"
#include "ScratchServer.h"

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

// `n` copies of this program recording one run each into `store` at once:
// the seconds until the last has finished, or a negative number when a run
// was lost.
double CopiesRecording(ResultStore& store, int n) {
  const int before = store.RunCount();
  std::vector<std::unique_ptr<QProcess>> copies;
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < n; ++i) {
    copies.push_back(std::make_unique<QProcess>());
    copies.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copies.back()->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--record-into"), store.Path()});
  }
  bool allKept = true;
  for (const auto& copy : copies) allKept = copy->waitForFinished(60'000) && copy->exitCode() == 0 && allKept;
  const double seconds = timer.nsecsElapsed() / 1e9;
  return allKept && store.RunCount() == before + n ? seconds : -1;
}

// Seconds to open the comparison window on `store`, shown and drawn.
double OpenComparison(ResultStore& store) {
  QElapsedTimer timer;
  timer.start();
  ComparisonWindow window(store);
  window.show();
  QApplication::processEvents();
  const double seconds = timer.nsecsElapsed() / 1e9;
  if (window.Runs().rowCount() == 0) std::fprintf(stderr, "the comparison window listed no runs\n");
  return seconds;
}

// The shared store's rows; false when one of them failed.
bool SharedStoreRows(const QString& scratch) {
  testing::ScratchServer server;
  if (!server.Unavailable().isEmpty() || !server.CreateDatabase(QStringLiteral("torvik"))) {
    std::fprintf(stderr, "shared store rows left out: %s\n", qPrintable(server.Unavailable()));
    return true;
  }
  const QString url = server.Url(QStringLiteral("torvik"));
  ResultStore shared(url);
  ImportCounts counts;
  std::vector<StoredRun> runs;
  for (int64_t i = 0; i < 9'999; ++i) runs.push_back(CpuRun(i));
  if (!shared.Import(runs, counts)) {  // the schema made, and 9,999 runs to start from
    std::fprintf(stderr, "%s\n", qPrintable(shared.Error()));
    return false;
  }

  ResultStore local(scratch + QStringLiteral("/waiting.sqlite"));
  local.Record(CpuRun(10'000));
  QElapsedTimer timer;
  timer.start();
  ResultStore opened(url);
  const SyncResult sync = SendWaitingRuns(local, opened);
  bench::PrintRow("send one run, shared", "connect, check schema, send one waiting run (50 ms allowed)",
                  timer.nsecsElapsed() / 1e9, 0.050, "s");

  bench::PrintRow("open comparison, shared", "ComparisonWindow on 10,000 runs of the server (1 s allowed)",
                  OpenComparison(shared), 1.0, "s");

  const double fifty = CopiesRecording(shared, 50);
  if (fifty >= 0) {
    bench::PrintRow("50 copies, shared", "50 processes record a run each at once, all kept (5 s allowed)",
                    fifty, 5.0, "s");
  } else {
    std::fprintf(stderr, "50 copies recording into the server at once: a run was lost\n");
  }
  return sync.sent == 1 && fifty >= 0;
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

  bench::PrintRow("open comparison, 10,000", "ComparisonWindow shown on 10,000 runs (1 s allowed)",
                  OpenComparison(store), 1.0, "s");

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

  const double sixteen = CopiesRecording(store, 16);
  if (sixteen >= 0) {
    bench::PrintRow("16 copies recording", "16 processes record a run each at once, all kept (5 s allowed)", sixteen,
                    5.0, "s");
  } else {
    std::fprintf(stderr, "16 copies recording at once: a run was lost\n");
  }
  const bool sharedRows = SharedStoreRows(dir.path());
  return counts.imported == 1'000 && sixteen >= 0 && sharedRows ? 0 : 1;
}
