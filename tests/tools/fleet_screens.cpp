// Draws the comparison window on a fleet's store and saves its three views
// as pictures for the documentation: the ranking of fifty machines' latest
// Memory series, one machine's trend, and five machines side by side.
//   tests/tools/virtual_screen.sh 1280x1024x24 build/tests/fleet_screens docs
#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "core/archive/BackgroundArchive.h"
#include "core/store/ResultStore.h"
#include "ui/ComparisonWindow.h"

using namespace torvik;

namespace {

StoredRun MemoryRun(const QString& pc, int64_t time, double seconds, const QString& series) {
  StoredRun run;
  run.started = QDateTime::fromSecsSinceEpoch(time).toOffsetFromUtc(0).toString(Qt::ISODate);
  run.sortTime = time;
  run.group = QStringLiteral("memory");
  run.pcName = pc;
  run.processor = pc.startsWith(u"desk") ? QStringLiteral("AMD Ryzen 7 5800X 8-Core Processor 3800.00MHz")
                                         : QStringLiteral("Intel(R) Core(TM) i5-8500 CPU @ 3.00GHz 3000.00MHz");
  run.series = series;
  run.tests = {StoredTest{"memory", qRound64(seconds * 10), seconds, 2.139 / seconds, "GB/s", std::nullopt}};
  return run;
}

// Fifty machines: desk-0 with thirty series of three, a memory upgrade in
// the middle and one noisy series; the others a series each, slower or
// faster by their number.
std::vector<StoredRun> Fleet() {
  std::vector<StoredRun> runs;
  const int64_t start = QDateTime(QDate(2026, 10, 1), QTime(9, 0)).toSecsSinceEpoch();
  for (int day = 0; day < 30; ++day) {
    const double seconds = day < 15 ? 0.120 : 0.100;
    for (int i = 0; i < 3; ++i) {
      StoredRun run = MemoryRun(QStringLiteral("desk-0"), start + day * 86'400 + i * 5,
                                seconds * (1 + 0.01 * ((day * 3 + i) % 5 - 2)), QStringLiteral("d%1").arg(day));
      if (day == 22) {  // another program held half a core meanwhile
        TestNoise& noise = run.tests[0].noise.emplace();
        noise.seconds = seconds;
        noise.othersCoreSeconds = seconds * 0.5;
      }
      runs.push_back(run);
    }
  }
  for (int pc = 1; pc < 50; ++pc) {
    for (int i = 0; i < 3; ++i) {
      const double seconds = 0.08 + 0.003 * pc;
      runs.push_back(MemoryRun(QStringLiteral("lab-%1").arg(pc, 2, 10, QLatin1Char('0')),
                               start + 40 * 86'400 + pc * 60 + i, seconds * (1 + 0.01 * (i - 1)),
                               QStringLiteral("l%1").arg(pc)));
    }
  }
  return runs;
}

void WaitFor(const std::function<bool()>& done) {
  if (!QTest::qWaitFor(done, 30'000)) std::fprintf(stderr, "fleet_screens: a view was not drawn within 30 s\n");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: fleet_screens FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QTemporaryDir scratch;
  qputenv("XDG_DATA_HOME", scratch.path().toLocal8Bit());
  const QString path = scratch.path() + QStringLiteral("/results.sqlite");
  {
    ResultStore store(path);
    if (!store.Import(Fleet()).Ok()) return 1;
  }
  BackgroundArchive archive(path, QStringLiteral("torvik"), QString());
  ComparisonWindow window(archive);
  window.resize(1100, 900);
  window.show();
  WaitFor([&window] { return !window.Runs().Loading(); });
  auto* views = window.findChild<QTabWidget*>(QStringLiteral("Views"));
  views->setCurrentIndex(2);
  auto* ranking = window.findChild<QTableWidget*>(QStringLiteral("Ranking"));
  auto* group = window.findChild<QComboBox*>(QStringLiteral("RankingGroup"));
  group->setCurrentIndex(group->findData(QStringLiteral("memory")));
  emit group->activated(group->currentIndex());
  WaitFor([ranking] { return ranking->rowCount() == 50; });
  QTest::qWait(300);
  window.grab().save(folder + QStringLiteral("/comparison-ranking.png"));

  // Five machines side by side, then desk-0's trend.
  QSignalSpy drawn(&window, &ComparisonWindow::chartsDrawn);
  std::vector<int> rows = {0, 3, 9, 21, 30};  // lab-49, lab-48 (within the noise of it), lab-46, -42, -39
  int desk = 0;
  while (desk + 1 < window.Runs().rowCount() && window.Runs().RunAt(desk).pcName != u"desk-0") ++desk;
  rows.push_back(desk);
  for (int row : rows) window.Runs().SetTicked(row, true);
  views->setCurrentIndex(0);
  window.SetShowRates(true);
  WaitFor([&window] { return window.findChild<QWidget*>(QStringLiteral("Chart_memory")) != nullptr; });
  QTest::qWait(500);
  window.grab().save(folder + QStringLiteral("/comparison-verdicts.png"));
  window.Runs().ClearTicks();
  drawn.clear();
  window.Runs().SetTicked(desk, true);
  WaitFor([&drawn] { return !drawn.isEmpty(); });
  views->setCurrentIndex(1);
  WaitFor([&window] { return window.findChild<QWidget*>(QStringLiteral("Trend_memory")) != nullptr; });
  QTest::qWait(500);
  window.grab().save(folder + QStringLiteral("/comparison-trend.png"));
  return 0;
}
