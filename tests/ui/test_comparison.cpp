// The comparison window offscreen, on a store of its own read through the
// archive's thread: the list, the charts of the ticked runs, the import of
// sheets, the CSV export and the deletion; its size on a small screen; its
// menu entry; and, on a PostgreSQL server of the test's own, a window and a
// dialog that stay responsive while the server makes them wait (what the
// charts show is worked out by PlanComparison, tested on its own).
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QBarSeries>
#include <QChartView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "ScratchServer.h"
#include "UiHelpers.h"
#include "core/analysis/FigureWords.h"
#include "core/page/SvgCharts.h"
#include "core/report/ReportBuilder.h"
#include "core/report/ResultSheet.h"
#include "core/results/Timing.h"
#include "core/workloads/WorkerThread.h"
#include "ui/ChartTextAlternative.h"
#include "ui/ComparisonChart.h"
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

// A store in a folder of its own with `runs`, and the archive that reads it.
struct Archive {
  explicit Archive(const std::vector<StoredRun>& runs = {}) {
    ResultStore store(path);
    for (const StoredRun& run : runs) QVERIFY_OK(store.Record(run));
  }
  QTemporaryDir folder;
  QString path = folder.path() + QStringLiteral("/results.sqlite");
  BackgroundArchive archive{path, QStringLiteral("torvik"), QString()};
};

// The list read, and the charts drawn after every tick.
bool ListRead(ComparisonWindow& window) {
  return QTest::qWaitFor([&window] { return !window.Runs().Loading(); }, 10'000);
}
void Tick(ComparisonWindow& window, std::initializer_list<int> rows) {
  QSignalSpy drawn(&window, &ComparisonWindow::chartsDrawn);
  for (int row : rows) window.Runs().SetTicked(row, true);
  // The answer to the last tick's read: earlier ones are dropped undrawn.
  QVERIFY(QTest::qWaitFor([&drawn] { return !drawn.isEmpty(); }, 10'000));
}

// Turns the window's event loop until `done` (or `timeoutMs`), looking
// between its turns whether the work the window waits for is still
// `pending` elsewhere (before `done` is asked): true when it was seen
// pending at least once. A look made while the work is pending proves that
// the window's thread went on turning meanwhile, whatever the machine's
// load: work on that thread would hold every look back until it was done.
bool LoopTurnedWhilePending(const std::function<bool()>& pending, const std::function<bool()>& done, int timeoutMs) {
  bool seen = false;
  const QDeadlineTimer deadline(timeoutMs);
  while (!deadline.hasExpired()) {
    seen = pending() || seen;
    if (done()) break;
    QTest::qWait(10);
  }
  return seen;
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
  // it; it opens at the size it had before it was fitted next time, and
  // resized, at that size.
  void fitsTheScreenAndRemembersItsSize() {
    Archive archive({CpuRun(100, 0.80, 3.90)});
    QSize opened;
    {
      ComparisonWindow window(archive.archive);
      opened = window.size();
      QVERIFY(ListRead(window));
      Tick(window, {0});
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
      QVERIFY(window.size() != opened);  // fitted
      window.close();
    }
    {
      ComparisonWindow kept(archive.archive);
      QCOMPARE(kept.size(), opened);
      kept.show();
      QVERIFY(QTest::qWaitForWindowExposed(&kept));
      kept.resize(700, 500);
      kept.close();
    }
    ComparisonWindow again(archive.archive);
    QCOMPARE(again.size(), QSize(700, 500));
  }

  // The keyboard and a screen reader: the run list is one stop for Tab (the
  // arrows move inside it), the chart area the next, its description the
  // figures of every chart; no control Tab reaches goes unnamed.
  void theListIsOneTabStopAndTheChartsAreRead() {
    Archive archive({CpuRun(100, 0.80, 3.90), CpuRun(200, 0.75, 3.60)});
    ComparisonWindow window(archive.archive);
    QVERIFY(ListRead(window));
    Tick(window, {0, 1});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(UnnamedFocusable(window).join(u' '), QString());
    auto* list = window.findChild<QTableView*>(QStringLiteral("RunList"));
    list->setFocus();
    list->setCurrentIndex(window.Runs().index(0, 0));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex().row(), 1);
    QCOMPARE(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_Tab);
    QWidget* next = QApplication::focusWidget();
    QCOMPARE(next->objectName(), QStringLiteral("ChartArea"));
    QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), list);
    const QString figures = window.findChild<QWidget*>(QStringLiteral("ChartArea"))->accessibleDescription();
    QVERIFY2(figures.contains(QStringLiteral("CPU: 時間、秒、低いほど速い\nPrime calculation — ")),
             qPrintable(figures));
    QVERIFY2(figures.contains(QStringLiteral("0.8000 s、基準より -6.3 % 速い (未検定)")), qPrintable(figures));
  }

  // Tab leaves each end of the period for the next control at once, from
  // any of its sections and while it shows "no bound" (a plain date field
  // kept forward Tab for good there), and Shift+Tab comes back; the arrows
  // still move between its sections.
  void tabLeavesThePeriodsDateFields_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QDate>("date");  // invalid: no bound
    QTest::addColumn<int>("section");
    QTest::newRow("from, no bound") << "Since" << QDate() << 0;
    QTest::newRow("from, a day, at its year") << "Since" << QDate(2026, 3, 14) << 0;
    QTest::newRow("from, a day, at its month") << "Since" << QDate(2026, 3, 14) << 1;
    QTest::newRow("to, no bound") << "Until" << QDate() << 0;
    QTest::newRow("to, a day, at its day") << "Until" << QDate(2026, 3, 14) << 2;
  }
  void tabLeavesThePeriodsDateFields() {
    QFETCH(QString, field);
    QFETCH(QDate, date);
    QFETCH(int, section);
    Archive archive({CpuRun(100, 0.80, 3.90)});
    ComparisonWindow window(archive.archive);
    QVERIFY(ListRead(window));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* edit = window.findChild<QDateEdit*>(field);
    if (date.isValid()) edit->setDate(date);
    edit->setFocus();
    QCOMPARE(QApplication::focusWidget(), edit);
    if (date.isValid()) {
      edit->setCurrentSectionIndex(section);
      QTest::keyClick(edit, Qt::Key_Left);
      QTest::keyClick(edit, Qt::Key_Right);  // the arrows stay inside
      QCOMPARE(QApplication::focusWidget(), edit);
    }
    // The next control Tab may stop at, outside the field's own line edit.
    QWidget* next = edit->nextInFocusChain();
    while (edit->isAncestorOf(next) || !(next->focusPolicy() & Qt::TabFocus) || !next->isVisibleTo(&window) ||
           !next->isEnabled()) {
      next = next->nextInFocusChain();
    }
    if (field == u"Since") QCOMPARE(next->objectName(), QStringLiteral("Until"));
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), next);
    QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->date(), date.isValid() ? date : edit->minimumDate());  // Tab changed nothing
  }

  // The text a screen reader reads for a chart: each run's figure against
  // the baseline with its verdict, a run without the test, the
  // repetitions' spread, and what "!" marks.
  void aChartReadsAsText() {
    PlannedChart chart{.id = QStringLiteral("memory"), .title = QStringLiteral("Memory"), .tests = {QStringLiteral("memory")}};
    chart.labels = {QStringLiteral("run A"), QStringLiteral("run B (n=3)"), QStringLiteral("run C")};
    Figure busy{.seconds = 0.12, .secondsStdev = 0.006, .repetitions = 3, .noisy = true};
    chart.cells = {{PlannedCell{Figure{.seconds = 0.1, .repetitions = 1}, std::nullopt}},
                   {PlannedCell{busy, 20.0, Verdict::WithinNoise}},
                   {PlannedCell{}}};
    chart.rows = {0, 1, 2};
    QCOMPARE(ChartTextAlternative(chart, false),
             QStringLiteral("Memory: 時間、秒、低いほど速い\n"
                            "Memory copy — run A (基準): 0.1000 s; "
                            "run B (n=3): 0.1200 s ±5.0 %、基準より +20.0 % 速い (誤差の範囲)、! "
                            "計測中にマシンが他の処理で混んでいた; "
                            "run C: 計測なし"));
  }

  // Every drawer of one plan gives the same rows and the same words: the
  // window's chart and table, what a screen reader hears, the report
  // page's chart and the command line's comparison; a run without a figure
  // in the group has a row in none of them.
  void everyDrawerShowsTheSameRowsAndWords() {
    std::vector<StoredRun> a, b;
    for (int i = 0; i < 3; ++i) {
      a.push_back(CpuRun(100 + i, 0.80 + 0.01 * i, 3.90));
      b.push_back(CpuRun(200 + i, 0.70 + 0.01 * i, 3.95));
      a.back().series = QStringLiteral("a"), b.back().series = QStringLiteral("b");
      a.back().id = 1 + i, b.back().id = 10 + i;
    }
    StoredRun memory;
    memory.id = 20, memory.group = QStringLiteral("memory"), memory.pcName = QStringLiteral("copier");
    memory.tests = {StoredTest{"memory", 1, 0.05, 42.8, "GB/s", std::nullopt}};
    const ComparisonPlan plan = PlanComparison({a, b, {memory}}, std::nullopt, false);
    const PlannedChart& chart = plan.charts.front();
    QCOMPARE(chart.id, QStringLiteral("cpu"));
    QCOMPARE(chart.rows, (std::vector<size_t>{0, 1}));
    const PlannedCell& cell = chart.cells[1][0];  // B's prime against A's
    const QString figure = FigureText(*cell.figure, "ops/s", false), faster = FasterText(*cell.percent);

    std::unique_ptr<QWidget> drawn(MakeGroupChart(chart, false));
    const QString table = drawn->findChild<QLabel*>(QStringLiteral("Table_cpu"))->text();
    const QString said = ChartTextAlternative(chart, false);
    const QString page = ComparisonSvg(chart, false);
    for (const QString& drawer : {table, said, page}) {  // the page elides a long label, never its machine
      QVERIFY2(drawer.contains(QStringLiteral("pc100")) && drawer.contains(QStringLiteral("pc200")), qPrintable(drawer));
      QVERIFY2(!drawer.contains(QStringLiteral("copier")), qPrintable(drawer));
      QVERIFY2(drawer.contains(faster) && drawer.contains(VerdictCaption(cell.verdict)), qPrintable(drawer));
    }
    QVERIFY2(table.contains(figure) && said.contains(figure), qPrintable(table + said));
    QVERIFY2(page.contains(BarValueText(chart.bars[1][0].value, true, false)), qPrintable(page));
    const auto* bars = qobject_cast<QBarSeries*>(drawn->findChild<QChartView*>()->chart()->series().front());
    QCOMPARE(bars->count(), 2);  // a bar set for each row
    const std::vector<TestComparison> compared = CompareRuns(a, b);
    QCOMPARE(FasterText(*compared.front().fasterPercent), faster);
    QCOMPARE(compared.front().verdict, cell.verdict);
  }

  // The list arrives newest first; ticked runs are charted with their table
  // against the baseline; another baseline is drawn at once; every run of
  // one machine is ticked by its button; the charts export as PNG and SVG.
  void tickedRunsAreCharted() {
    StoredRun again = CpuRun(300, 0.78, 3.70);
    again.pcName = QStringLiteral("pc100");
    Archive archive({CpuRun(100, 0.80, 3.90), CpuRun(200, 0.75, 3.60), again});
    ComparisonWindow window(archive.archive);
    window.resize(900, 700);
    QCOMPARE(window.windowTitle(), QStringLiteral("TORVIK - 計測結果の比較"));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("ListMessage"))->text(), QStringLiteral("読み込み中…"));
    QVERIFY(ListRead(window));
    QCOMPARE(window.Runs().rowCount(), 3);
    QCOMPARE(window.Runs().RunAt(1).pcName, QStringLiteral("pc200"));  // newest first
    QVERIFY(!window.findChild<QWidget*>(QStringLiteral("Chart_cpu")));
    window.SetShowRates(true);
    Tick(window, {1, 2});
    QVERIFY(window.findChild<QWidget*>(QStringLiteral("Chart_cpu")));
    // Each figure with its unit's prefix, and against the baseline (pc200, the first ticked).
    const auto table = [&window] { return window.findChild<QLabel*>(QStringLiteral("Table_cpu"))->text(); };
    QVERIFY2(table().contains(QStringLiteral("30.8 M ops/s (-7.7 %, 未検定)")), qPrintable(table()));
    auto* baseline = window.findChild<QComboBox*>(QStringLiteral("Baseline"));
    QSignalSpy drawn(&window, &ComparisonWindow::chartsDrawn);
    baseline->setCurrentIndex(1);
    emit baseline->activated(1);
    QCOMPARE(drawn.size(), 1);  // drawn from the series read before: no read waits
    QVERIFY2(table().contains(QStringLiteral("33.3 M ops/s (+8.3 %, 未検定)")), qPrintable(table()));
    for (const auto& [name, start] : {std::pair{"charts.png", QByteArray("\x89PNG")}, {"charts.svg", "<?xml"}}) {
      const QString path = archive.folder.path() + u'/' + QLatin1String(name);
      QVERIFY(window.ExportCharts(path).isEmpty());
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly) && file.read(5).startsWith(start));
      if (start != "<?xml") continue;
      // In CSS pixels, as big as on screen, and a generic family to fall back on.
      const QByteArray svg = file.readAll();
      const QSize size = window.findChild<QWidget*>(QStringLiteral("Charts"))->size();
      QVERIFY2(
          svg.contains(QStringLiteral(" width=\"%1px\" height=\"%2px\"").arg(size.width()).arg(size.height()).toUtf8()),
          svg.left(600).constData());
      QVERIFY(svg.contains(", sans-serif\"") && !svg.contains("mm\""));
    }
    window.Runs().ClearTicks();
    window.Runs().TickMachineOf(0);  // pc100: the oldest and the newest
    QTRY_COMPARE(window.Runs().Ticked().size(), size_t{2});
  }

  // The trend of the ticked runs' machine, series by series, and the
  // ranking of every machine's latest series, fastest first, against the
  // baseline machine chosen.
  void trendAndRanking() {
    std::vector<StoredRun> runs;
    for (int64_t time : {100, 101, 102, 200, 201, 202}) {
      StoredRun run = CpuRun(time, time < 200 ? 0.90 : 0.80, 3.9);
      run.pcName = QStringLiteral("desk");
      run.series = time < 200 ? QStringLiteral("old") : QStringLiteral("new");
      runs.push_back(run);
    }
    runs.push_back(CpuRun(300, 0.40, 2.0));  // pc300, twice as fast
    Archive archive(runs);
    ComparisonWindow window(archive.archive);
    QVERIFY(ListRead(window));
    Tick(window, {1});  // desk's newest
    // The ticked runs as a report page, made on the archive's thread.
    QSignalSpy ended(&window, &ComparisonWindow::workEnded);
    const QString page = archive.folder.path() + QStringLiteral("/report.html");
    window.ExportPage(page);
    QVERIFY(QTest::qWaitFor([&ended] { return !ended.isEmpty(); }, 10'000));
    QFile html(page);
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QByteArray bytes = html.readAll();
    QVERIFY(bytes.startsWith("<!DOCTYPE html>") && bytes.contains("<svg") && bytes.contains("desk"));
    auto* views = window.findChild<QTabWidget*>(QStringLiteral("Views"));
    views->setCurrentIndex(1);
    QTRY_VERIFY(window.findChild<QWidget*>(QStringLiteral("Trend_prime")));
    views->setCurrentIndex(2);
    auto* ranking = window.findChild<QTableWidget*>(QStringLiteral("Ranking"));
    QTRY_COMPARE(ranking->rowCount(), 2);
    QCOMPARE(ranking->item(0, 1)->text(), QStringLiteral("pc300"));  // fastest first
    QCOMPARE(ranking->item(1, 4)->text(), QStringLiteral("基準"));   // desk: the first by name
    QVERIFY(ranking->item(0, 4)->text().startsWith(u'+'));
    auto* baseline = window.findChild<QComboBox*>(QStringLiteral("RankingBaseline"));
    baseline->setCurrentIndex(baseline->findText(QStringLiteral("pc300"), Qt::MatchStartsWith));
    emit baseline->activated(baseline->currentIndex());
    QTRY_COMPARE(ranking->item(1, 5)->text(), QStringLiteral("-50.0 %"));  // desk against pc300
    QCOMPARE(ranking->item(0, 4)->text(), QStringLiteral("基準"));
    // The list filtered by the store: one machine's runs.
    auto* machine = window.findChild<QLineEdit*>(QStringLiteral("MachineFilter"));
    machine->setText(QStringLiteral("PC300"));
    emit machine->editingFinished();
    QTRY_COMPARE(window.Runs().rowCount(), 1);
  }

  void sheetsImportExportAndDelete() {
    Archive archive({CpuRun(100, 0.80, 3.90)});
    const QString sheet = archive.folder.path() + QStringLiteral("/other.txt");
    QFile file(sheet);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(MemorySheet(35, "other-pc") + MemorySheet(35, "other-pc") + "<> TORVIK Time Trial Result <>\r\n");
    file.close();
    ComparisonWindow window(archive.archive);
    QSignalSpy ended(&window, &ComparisonWindow::workEnded);
    // Two blocks alike to the letter are two runs; the one cut off is not read.
    window.ImportSheets({sheet});
    window.ImportSheets({sheet});
    QTRY_COMPARE(ended.size(), 2);
    QCOMPARE(ended[0][0].toString(),
             QStringLiteral("2 件を読み込みました。0 件は記録済みです。1 件は読み込めませんでした。"));
    QCOMPARE(ended[1][0].toString(),
             QStringLiteral("0 件を読み込みました。2 件は記録済みです。1 件は読み込めませんでした。"));
    QTRY_COMPARE(window.Runs().rowCount(), 3);

    Tick(window, {0, 1, 2});
    const QString csv = archive.folder.path() + QStringLiteral("/out.csv");
    window.ExportCsv(csv);
    QTRY_COMPARE(ended.size(), 3);
    QFile exported(csv);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray rows = exported.readAll();
    QCOMPARE(rows.count("\r\n"), 1 + 4);             // the header, two memory copies, prime, trig
    QVERIFY(rows.contains(",2026-11-30T09:00:00"));  // the sheet's date in ISO 8601, like a run's

    window.Runs().ClearTicks();
    Tick(window, {0});
    window.DeleteTicked();
    QTRY_COMPARE(ended.size(), 4);
    QTRY_COMPARE(window.Runs().rowCount(), 2);
    QCOMPARE(ValueOf(ResultStore(archive.path).RunCount()), 2);
    QVERIFY(window.Runs().Ticked().empty());
  }

  // Deleting takes a ticked run's whole series; on a shared store a member,
  // who may only add and read, is refused before anything is asked or tried.
  void deletingTakesASeriesWholeAndAsksTheRight() {
    std::vector<StoredRun> runs = {CpuRun(100, 0.80, 3.9), CpuRun(101, 0.81, 3.9), CpuRun(102, 0.79, 3.9)};
    for (StoredRun& run : runs) run.series = QStringLiteral("s1");
    runs.push_back(CpuRun(200, 0.75, 3.6));
    Archive archive(runs);
    ComparisonWindow window(archive.archive);
    QVERIFY(ListRead(window));
    Tick(window, {2});  // a repetition in the middle of its series
    QSignalSpy ended(&window, &ComparisonWindow::workEnded);
    window.DeleteTicked();
    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(ValueOf(ResultStore(archive.path).RunCount()), 1);

    ScratchServer server;
    if (!server.Unavailable().isEmpty()) QSKIP(qPrintable(server.Unavailable()));
    QVERIFY(server.CreateDatabase(QStringLiteral("shared")));
    QVERIFY_OK(ResultStore(server.Url(QStringLiteral("shared"))).Record(CpuRun(300, 0.8, 3.9)));
    {
      QSqlQuery q(server.Connect(QStringLiteral("shared"), QStringLiteral("grants")));
      for (const char* statement :
           {"CREATE ROLE member LOGIN", "GRANT SELECT, INSERT ON ALL TABLES IN SCHEMA public TO member",
            "GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO member"}) {
        QVERIFY2(q.exec(QLatin1String(statement)), statement);
      }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("grants"));
    BackgroundArchive shared(archive.path, QStringLiteral("torvik"),
                             server.Url(QStringLiteral("shared"), QStringLiteral("member"), QString()));
    ComparisonWindow member(shared);
    QVERIFY(ListRead(member));
    Tick(member, {0});
    QSignalSpy refused(&member, &ComparisonWindow::workEnded);
    member.DeleteTicked();
    QTRY_COMPARE(refused.size(), 1);
    QVERIFY2(refused[0][0].toString().contains(QStringLiteral("削除する権利がありません")),
             qPrintable(refused[0][0].toString()));
    QCOMPARE(ValueOf(ResultStore(server.Url(QStringLiteral("shared"))).RunCount()), 1);
  }

  // The shared store's URL, from the comparison window's dialog into the
  // settings file: a password is refused, an empty URL removes it.
  void sharedStoreUrlIsKeptWithoutAPassword() {
    QTemporaryDir config;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const auto restore = qScopeGuard([&configHome] { qputenv("XDG_CONFIG_HOME", configHome); });
    Archive archive;
    SharedStoreDialog dialog(archive.archive);
    QStringList buttons;  // in the window's language, Japanese here
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) buttons << button->text();
    QCOMPARE(buttons, QStringList({"接続を試す(&T)", "&OK", "キャンセル(&C)"}));
    QCOMPARE(UnnamedFocusable(dialog), QStringList());
    auto* url = dialog.findChild<QLineEdit*>(QStringLiteral("SharedUrl"));
    for (const char* secret : {"postgresql://bench:secret@db/torvik", "postgresql://bench@db/torvik?password=secret"}) {
      url->setText(QLatin1String(secret));
      QVERIFY(!dialog.Keep());
    }
    url->setText(QStringLiteral("/home/user/results.sqlite"));
    QVERIFY(!dialog.Keep());
    QVERIFY(SharedStoreUrl().isEmpty());
    url->setText(QStringLiteral(" postgresql://bench@db/torvik?sslmode=verify-full "));
    QVERIFY(dialog.Keep());
    QCOMPARE(SharedStoreUrl(), QStringLiteral("postgresql://bench@db/torvik?sslmode=verify-full"));
    QFile file(config.path() + QStringLiteral("/Varn/TORVIK.conf"));
    QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll().contains("[Store]"));
    QCOMPARE(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
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

    // A shared store chosen in the window: the window opens again, reading
    // it (here a server that is not there); none chosen: this PC's store again.
    const QString away = QStringLiteral("postgresql://bench@/torvik?host=") + data_.path() + QStringLiteral("/none");
    QStringList opened;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
      auto* window = qobject_cast<ComparisonWindow*>(QApplication::activeModalWidget());
      if (window == nullptr || window->Runs().Loading()) return;
      const QLabel* message = window->findChild<QLabel*>(QStringLiteral("ListMessage"));
      opened << (message->isVisible() ? message->text() : QStringLiteral("list"));
      if (opened.size() == 1) emit window->sharedStoreChosen(away);
      if (opened.size() == 2) emit window->sharedStoreChosen(QString());
      if (opened.size() >= 3) window->close();
    });
    answer.start(50);
    main.findChild<QAction*>(QStringLiteral("MCompare"))->trigger();  // returns when closed
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened[0], QStringLiteral("list"));
    QVERIFY2(opened[1].startsWith(texts::CannotRead()) && opened[1].contains(QStringLiteral("/none")),
             qPrintable(opened[1]));
    QCOMPARE(opened[2], QStringLiteral("list"));
  }

  // The shared store's runs table locked by another session: the window
  // opened from the menu goes on answering while its read waits for the
  // lock (the server shows the read waiting while the window's loop
  // looks), closes while its read waits, and opened again says in the
  // list's place why it has no list.
  void aLockedTableLeavesTheWindowResponsive() {
    ScratchServer server;
    if (!server.Unavailable().isEmpty()) QSKIP(qPrintable(server.Unavailable()));
    QVERIFY(server.CreateDatabase(QStringLiteral("locked")));
    {
      ResultStore made(server.Url(QStringLiteral("locked")));
      QVERIFY_OK(made.Record(CpuRun(100, 0.8, 3.9)));
      QSqlQuery wait(server.Connect(QStringLiteral("locked"), QStringLiteral("setting")));
      QVERIFY(wait.exec(QStringLiteral("ALTER DATABASE locked SET lock_timeout = '3s'")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("setting"));
    QSqlQuery lock(server.Connect(QStringLiteral("locked"), QStringLiteral("holder")));
    QVERIFY(lock.exec(QStringLiteral("BEGIN")) && lock.exec(QStringLiteral("LOCK TABLE runs IN ACCESS EXCLUSIVE MODE")));
    // The window's read waiting for the lock, as the server sees it.
    QSqlQuery watch(server.Connect(QStringLiteral("locked"), QStringLiteral("watcher")));
    bool waiting = false;  // at the latest look
    const auto readWaits = [&] {
      waiting = watch.exec(QStringLiteral("SELECT 1 FROM pg_stat_activity WHERE application_name LIKE 'torvik%' "
                                          "AND wait_event_type = 'Lock'")) &&
                watch.next();
      return waiting;
    };

    ComposedWindow composed(QuickProcessor(), std::make_unique<AnyDiskRules>(), server.Url(QStringLiteral("locked")));
    const auto open = [&](const std::function<bool(ComparisonWindow&)>& closeWhen) {
      bool turned = false;
      QTimer::singleShot(0, [&] {
        ComparisonWindow* window = nullptr;
        turned = LoopTurnedWhilePending(
            readWaits,
            [&] {
              if (window == nullptr) window = qobject_cast<ComparisonWindow*>(QApplication::activeModalWidget());
              return window != nullptr && closeWhen(*window);
            },
            60'000);
        if (window != nullptr) window->close();
      });
      composed.window.MCompareClick();  // returns when closed
      return turned;
    };
    const auto message = [](ComparisonWindow& window) {
      return window.findChild<QLabel*>(QStringLiteral("ListMessage"))->text();
    };
    bool loadingAtClose = false;
    const bool first = open([&](ComparisonWindow& window) {
      if (!waiting) return false;
      loadingAtClose = message(window) == texts::Loading();
      return true;
    });
    QVERIFY(loadingAtClose);
    QString told;
    const bool second = open([&](ComparisonWindow& window) {
      told = message(window);
      return told.startsWith(texts::CannotRead());
    });
    QVERIFY2(first && second, "the window's loop stood still while its read waited for the lock");
    QVERIFY2(told.contains(QStringLiteral("another session holds a lock")), qPrintable(told));
    QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
  }

  // "接続を試す" against a socket that takes the connection and never
  // answers: the dialog goes on answering, and tells the failure within the
  // connect timeout.
  void tryingASilentServerLeavesTheDialogResponsive() {
    QTemporaryDir folder;
    const int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const auto closed = qScopeGuard([listening] { close(listening); });
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(folder.path() + QStringLiteral("/.s.PGSQL.5432"));
    std::copy(path.begin(), path.end(), address.sun_path);
    QVERIFY(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(listening, 4) == 0);
    Archive archive;
    SharedStoreDialog dialog(archive.archive);
    dialog.findChild<QLineEdit*>(QStringLiteral("SharedUrl"))
        ->setText(QStringLiteral("postgresql://bench@/torvik?host=") + folder.path());
    QSignalSpy tried(&dialog, &SharedStoreDialog::tried);
    dialog.TryConnection();
    // The attempt's connection, taken (and left unanswered) while the
    // dialog's loop looks: the attempt waits elsewhere.
    std::vector<int> taken;
    const auto closeTaken = qScopeGuard([&taken] {
      for (int connection : taken) close(connection);
    });
    const auto attemptWaits = [&] {
      const int connection = accept4(listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (connection >= 0) taken.push_back(connection);
      return !taken.empty() && tried.isEmpty();
    };
    QVERIFY2(LoopTurnedWhilePending(
                 attemptWaits, [&tried] { return !tried.isEmpty(); }, 60'000),
             "the dialog's loop stood still while its attempt waited");
    QCOMPARE(tried.size(), 1);
    QVERIFY(!tried[0][0].toString().startsWith(QStringLiteral("接続できました")));
  }

  // Qt's file dialogs open in the home folder, not the working folder, then
  // where the last one was left; Qt's own dialog state goes to the data
  // folder, never among the user's settings (~/.config/QtProject.conf).
  // Last: the QSettings it makes fix the settings folder for the process.
  void fileDialogsStartAtHomeThenTheLastFolder() {
    QTemporaryDir home, elsewhere;
    QVERIFY(QDir(elsewhere.path()).mkpath(QStringLiteral("sub")));
    const QByteArray homeBefore = qgetenv("HOME");
    const QString workingBefore = QDir::currentPath();
    qputenv("HOME", home.path().toLocal8Bit());
    QDir::setCurrent(elsewhere.path());
    const auto restore = qScopeGuard([&] {
      qputenv("HOME", homeBefore);
      QDir::setCurrent(workingBefore);
    });
    // Where Qt would keep its dialogs' state among the user's settings.
    const QString amongSettings =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("QtProject")).fileName();
    QFile::remove(amongSettings);
    Archive archive({CpuRun(100, 0.80, 3.90)});
    QStringList openedIn;
    // Answers the next file dialog with `pick` (empty: cancels it).
    auto answer = [&openedIn](const QString& pick) {
      QTimer::singleShot(0, [&openedIn, pick] {
        QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        openedIn << dialog->directory().canonicalPath();
        if (pick.isEmpty()) return dialog->reject();
        dialog->selectFile(pick);
        QMetaObject::invokeMethod(dialog, "accept");
      });
    };
    {
      ComparisonWindow window(archive.archive);
      QVERIFY(ListRead(window));
      Tick(window, {0});
      auto button = [&window](const QString& text) {
        for (QPushButton* b : window.findChildren<QPushButton*>())
          if (b->text().startsWith(text)) return b;
        return static_cast<QPushButton*>(nullptr);
      };
      answer(elsewhere.filePath(QStringLiteral("sub/runs.csv")));
      QTest::mouseClick(button(QStringLiteral("CSV")), Qt::LeftButton);
      answer({});
      QTest::mouseClick(button(QStringLiteral("グラフ")), Qt::LeftButton);
    }
    QCOMPARE(openedIn,
             QStringList({QDir(home.path()).canonicalPath(), QDir(elsewhere.filePath("sub")).canonicalPath()}));
    QVERIFY(!QFile::exists(amongSettings));
    QVERIFY(QFile::exists(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                          QStringLiteral("/QtProject.conf")));
  }

 private:
  QTemporaryDir data_;
};

QTEST_MAIN(ComparisonTest)
#include "test_comparison.moc"
