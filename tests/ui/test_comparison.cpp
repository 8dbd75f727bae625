// The comparison window offscreen, on a store of its own: the list, the
// charts of the ticked runs in seconds and in rates, the import of sheets,
// the CSV export and the deletion; its size on a small screen; and its menu
// entry.
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QtTest>

#include "UiHelpers.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"
#include "core/workloads/WorkerThread.h"
#include "ui/ComparisonWindow.h"
#include "ui/SharedStoreDialog.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

StoredRun CpuRun(int64_t sortTime, double prime, double trig) {
  StoredRun run;
  run.started = QDateTime::fromSecsSinceEpoch(sortTime).toString(Qt::ISODate);
  run.sortTime = sortTime;
  run.group = QStringLiteral("cpu");
  run.pcName = QStringLiteral("pc%1").arg(sortTime);
  run.tests = {StoredTest{"prime", qRound64(prime * 10), prime, 455'189'150 / prime, "ops/s", std::nullopt},
               StoredTest{"trig", qRound64(trig * 10), trig, 120'000'000 / trig, "ops/s", std::nullopt}};
  return run;
}

// A sheet with one block of a memory copy of `tenths`.
QByteArray MemorySheet(int64_t tenths, const QString& pc) {
  RunRecord run;
  run.pcName = pc;
  run.results[Test::Memory].elapsed = TimeValue::FromTenths(tenths);
  run.results.Total() = TimeValue::FromTenths(tenths);
  SheetInputs sheet;
  sheet.locale = QLocale::c();
  sheet.now = QDateTime(QDate(2026, 11, 30), QTime(9, 0, 0));
  sheet.captions[ResultLabel::KMemory] = FormatSeconds(TimeValue::FromTenths(tenths), u'.');
  sheet.captions[ResultLabel::KAll] = sheet.captions[ResultLabel::KMemory];
  return SheetBytes(BuildReport(run, sheet));
}

}  // namespace

class ComparisonTest : public QObject {
  Q_OBJECT

 private slots:
  // The window's remembered size is kept under the data folder: this run's own.
  void initTestCase() {
    QVERIFY(data_.isValid());
    qputenv("XDG_DATA_HOME", data_.path().toLocal8Bit());
  }
  void cleanup() { WorkerThread::StopAllWorkers(); }

  // On a screen narrower than the window's first size (offscreen's 800x800,
  // the X run's 800x600) the window, its frame and every button are inside
  // it; resized, it opens at that size next time.
  void fitsTheScreenAndRemembersItsSize() {
    QTemporaryDir dir;
    ResultStore store(dir.path() + QStringLiteral("/results.sqlite"));
    QVERIFY(store.Record(CpuRun(100, 0.80, 3.90)));
    {
      ComparisonWindow window(store);
      window.Runs().SetTicked(0, true);
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      const QRect screen = window.screen()->availableGeometry();
      QVERIFY2(screen.width() <= 800, "run on a screen 800 pixels wide at most");
      QVERIFY(screen.contains(window.frameGeometry()));
      const QList<QAbstractButton*> buttons = window.findChildren<QAbstractButton*>();
      for (const QAbstractButton* button : buttons) {
        if (!button->isVisible()) continue;
        QVERIFY2(screen.contains(QRect(button->mapToGlobal(QPoint()), button->size())), qPrintable(button->text()));
      }
      window.resize(700, 500);
      window.close();
    }
    ComparisonWindow again(store);
    QCOMPARE(again.size(), QSize(700, 500));
  }

  void tickedRunsAreCharted() {
    QTemporaryDir dir;
    ResultStore store(dir.path() + QStringLiteral("/results.sqlite"));
    QVERIFY(store.Record(CpuRun(100, 0.80, 3.90)));
    QVERIFY(store.Record(CpuRun(200, 0.75, 3.60)));
    ComparisonWindow window(store);
    QCOMPARE(window.windowTitle(), QStringLiteral("TORVIK - 計測結果の比較"));
    QCOMPARE(window.Runs().rowCount(), 2);
    QCOMPARE(window.Runs().RunAt(0).pcName, QStringLiteral("pc200"));  // newest first
    QVERIFY(window.ChartedTests().isEmpty());
    window.Runs().SetTicked(0, true);
    window.Runs().SetTicked(1, true);
    QCOMPARE(window.ChartedTests(), QStringList({"prime", "trig"}));
    const auto prime = window.Bars(QStringLiteral("prime"));
    QCOMPARE(prime.size(), size_t{2});
    QCOMPARE(prime[0].second, 0.75);
    QCOMPARE(prime[1].second, 0.80);
    QVERIFY(prime[0].first.contains(QStringLiteral("pc200")));
    window.SetShowRates(true);
    QCOMPARE(window.Bars(QStringLiteral("trig"))[1].second, 120'000'000 / 3.90);
    QVERIFY(window.findChild<QWidget*>(QStringLiteral("Chart_cpu")));
    // The table: each figure with its unit's prefix, and against the baseline (pc200, the first ticked).
    const QString table = window.findChild<QLabel*>(QStringLiteral("Table_cpu"))->text();
    QVERIFY2(table.contains(QStringLiteral("30.8 M ops/s (-7.7 %)")), qPrintable(table));
  }

  // The overall figure against the baseline, another baseline chosen, every
  // run of one machine ticked, and the charts as PNG and SVG.
  void baselineOverallMachineAndPictures() {
    QTemporaryDir dir;
    ResultStore store(dir.path() + QStringLiteral("/results.sqlite"));
    QVERIFY(store.Record(CpuRun(100, 0.80, 3.90)));
    QVERIFY(store.Record(CpuRun(200, 0.75, 3.60)));
    StoredRun again = CpuRun(300, 0.78, 3.70);
    again.pcName = QStringLiteral("pc100");
    QVERIFY(store.Record(again));
    ComparisonWindow window(store);
    window.resize(900, 700);
    window.Runs().TickMachineOf(2);  // pc100: the oldest and the newest
    QCOMPARE(window.Runs().Ticked().size(), size_t{2});
    window.Runs().ClearTicks();
    window.Runs().SetTicked(1, true);  // pc200, the baseline
    window.Runs().SetTicked(2, true);  // pc100: 0.75 / 0.80 and 3.60 / 3.90, geometric mean 0.930
    const QLabel* overall = window.findChild<QLabel*>(QStringLiteral("Overall"));
    QVERIFY2(overall->text().contains(QStringLiteral("-7.0 %")), qPrintable(overall->text()));
    auto* baseline = window.findChild<QComboBox*>(QStringLiteral("Baseline"));
    baseline->setCurrentIndex(1);
    emit baseline->activated(1);
    QVERIFY2(overall->text().contains(QStringLiteral("+7.5 %")), qPrintable(overall->text()));
    for (const auto& [name, start] : {std::pair{"charts.png", QByteArray("\x89PNG")}, {"charts.svg", "<?xml"}}) {
      const QString path = dir.path() + u'/' + QLatin1String(name);
      QVERIFY(window.ExportCharts(path).isEmpty());
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly) && file.read(5).startsWith(start));
    }
  }

  // Drawn on native Wayland, a drawing figure is not one shape per call on an
  // X server: its bar says so; a processor figure stays as it is.
  void drawingFiguresOfAnotherPlatformAreMarked() {
    QTemporaryDir dir;
    ResultStore store(dir.path() + QStringLiteral("/results.sqlite"));
    StoredRun run = CpuRun(100, 0.80, 3.90);
    run.platform = QStringLiteral("wayland");
    run.tests.push_back(StoredTest{"square", 55, 5.5, 200'000 / 5.5, "shapes/s", std::nullopt});
    QVERIFY(store.Record(run));
    ComparisonWindow window(store);
    window.Runs().SetTicked(0, true);
    QVERIFY(window.Bars(QStringLiteral("square"))[0].first.endsWith(QStringLiteral("[wayland: 比較できません]")));
    QVERIFY(!window.Bars(QStringLiteral("prime"))[0].first.contains(QStringLiteral("比較できません")));
  }

  void sheetsImportExportAndDelete() {
    QTemporaryDir dir;
    ResultStore store(dir.path() + QStringLiteral("/results.sqlite"));
    QVERIFY(store.Record(CpuRun(100, 0.80, 3.90)));
    const QString sheet = dir.path() + QStringLiteral("/other.txt");
    QFile file(sheet);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(MemorySheet(35, "other-pc") + MemorySheet(35, "other-pc") + "<> TORVIK Time Trial Result <>\r\n");
    file.close();
    ComparisonWindow window(store);
    // Two blocks alike to the letter are two runs; the one cut off is not read.
    QCOMPARE(window.ImportSheets({sheet}),
             QStringLiteral("2 件を読み込みました。0 件は記録済みです。1 件は読み込めませんでした。"));
    QCOMPARE(window.ImportSheets({sheet}),
             QStringLiteral("0 件を読み込みました。2 件は記録済みです。1 件は読み込めませんでした。"));
    QCOMPARE(window.Runs().rowCount(), 3);
    int program = 0;
    while (window.Runs().RunAt(program).origin != kOriginProgram) ++program;
    const int imported = program == 0 ? 1 : 0;
    window.Runs().SetTicked(imported, true);
    QCOMPARE(window.Bars(QStringLiteral("memory"))[0].second, 3.5);  // its tenths, as seconds
    window.SetShowRates(true);
    QCOMPARE(window.Bars(QStringLiteral("memory"))[0].second, 2'048.0 * 1'044'480 / 3.5 / 1e9);

    window.Runs().SetTicked(program, true);
    const QString csv = dir.path() + QStringLiteral("/out.csv");
    QVERIFY(window.ExportCsv(csv));
    QFile exported(csv);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray rows = exported.readAll();
    QCOMPARE(rows.count("\r\n"), 1 + 3);             // the header, memory, prime, trig
    QVERIFY(rows.contains(",2026-11-30T09:00:00"));  // the sheet's date in ISO 8601, like a run's

    window.DeleteTicked();
    QCOMPARE(store.RunCount(), 1);  // the other imported block
    QCOMPARE(window.Runs().rowCount(), 1);
    QVERIFY(window.ChartedTests().isEmpty());
  }

  // The shared store's URL, from the comparison window's dialog into the
  // settings file: a password is refused, an empty URL removes it.
  void sharedStoreUrlIsKeptWithoutAPassword() {
    QTemporaryDir config;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const auto restore = qScopeGuard([&configHome] { qputenv("XDG_CONFIG_HOME", configHome); });
    SharedStoreDialog dialog;
    auto* url = dialog.findChild<QLineEdit*>(QStringLiteral("SharedUrl"));
    url->setText(QStringLiteral("postgresql://bench:secret@db/torvik"));
    QVERIFY(!dialog.Keep());
    url->setText(QStringLiteral("/home/user/results.sqlite"));
    QVERIFY(!dialog.Keep());
    QVERIFY(SharedStoreUrl().isEmpty());
    url->setText(QStringLiteral(" postgresql://bench@db/torvik?sslmode=verify-full "));
    QVERIFY(dialog.Keep());
    QCOMPARE(SharedStoreUrl(), QStringLiteral("postgresql://bench@db/torvik?sslmode=verify-full"));
    QFile file(config.path() + QStringLiteral("/Varn/TORVIK.conf"));
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll().contains("[Store]"));
    file.close();
    url->clear();
    QVERIFY(dialog.Keep());
    QVERIFY(SharedStoreUrl().isEmpty());
  }

  void theMenuOpensIt() {
    ComposedWindow composed;
    MainWindow& main = composed.window;
    const QList<QAction*> entries = main.findChild<QMenu*>(QStringLiteral("N1"))->actions();
    QStringList names;
    for (QAction* entry : entries) names << (entry->isSeparator() ? QStringLiteral("-") : entry->objectName());
    QCOMPARE(names, QStringList({"MSet", "MCompare", "-", "MExit"}));
    QCOMPARE(main.findChild<QAction*>(QStringLiteral("MCompare"))->text(), QStringLiteral("計測結果の比較"));

    // A shared store chosen in the window: the window opens again, on it;
    // none chosen: on this PC's store again.
    const QString away = QStringLiteral("postgresql://bench@/torvik?host=") + data_.path() + QStringLiteral("/none");
    QStringList opened;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
      auto* window = qobject_cast<ComparisonWindow*>(QApplication::activeModalWidget());
      if (window == nullptr) return;
      opened << composed.session.ComparedStore()->Path();
      if (opened.size() == 1) emit window->sharedStoreChosen(away);
      if (opened.size() == 2) emit window->sharedStoreChosen(QString());
      if (opened.size() >= 3) window->close();
    });
    answer.start(50);
    main.findChild<QAction*>(QStringLiteral("MCompare"))->trigger();  // returns when closed
    QCOMPARE(opened, QStringList({composed.store.Path(), away, composed.store.Path()}));
  }

 private:
  QTemporaryDir data_;
};

QTEST_MAIN(ComparisonTest)
#include "test_comparison.moc"
