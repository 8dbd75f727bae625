// Times the results history against what a user must not notice: recording
// one run after a group (under 50 ms), opening the comparison window on
// 10,000 recorded runs (under 1 s) and importing a sheet of 1,000 blocks
// (under 2 s). Runs offscreen on a store in a temporary folder.
//
//   build/bench/torvik_history_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchTable.h"
#include "core/history/ResultStore.h"
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
  run.tests = {StoredTest{"prime", 8, 0.8, 5.7e8, "ops/s"}, StoredTest{"trig", 39, 3.9, 3.1e7, "ops/s"}};
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

int main(int argc, char** argv) {
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

  const QByteArray sheet = Sheet();
  timer.restart();
  const ParsedSheet parsed = ParseSheet(sheet, QDateTime::currentDateTime());
  store.Import(parsed.runs, counts);
  bench::PrintRow("import 1,000 blocks", "ParseSheet + ResultStore::Import (2 s allowed)", timer.nsecsElapsed() / 1e9,
                  2.0, "s");
  return counts.imported == 1'000 ? 0 : 1;
}
