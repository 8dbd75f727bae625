// The window of today's machine: fed points through its view methods it
// lists each in the command line's columns and draws it in its chart
// (series, axes, the text a screen reader reads); run through the real
// session it stops between points, keeps the run as stopped and closes
// after the point under way; a group the settings do not let run is
// refused in a box before anything runs; the two windows lock each
// other's buttons while one runs; the keyboard reaches every control.
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenuBar>
#include <QValueAxis>
#include <QtTest>

#include "UiHelpers.h"
#include "core/run/GroupSequencer.h"
#include "core/session/PointGroups.h"
#include "core/workloads/WorkerThread.h"

Q_DECLARE_METATYPE(torvik::MeasuredPoint)

using namespace torvik;
using namespace torvik::testing;

namespace {

MeasuredPoint Point(const char* group, const char* test, int threads, double rate, const char* unit) {
  MeasuredPoint point;
  point.group = QLatin1String(group);
  point.test = QLatin1String(test);
  point.threads = threads;
  point.rate = rate;
  point.unit = QLatin1String(unit);
  return point;
}

MeasuredPoint Latency(int64_t bytes, double ns, std::optional<int64_t> hugePages = std::nullopt) {
  MeasuredPoint point = Point("ram", "latency", 1, 1e9 / ns, "loads/s");
  point.bytes = bytes;
  point.nanoseconds = ns;
  point.hugePageBytes = hugePages;
  return point;
}

MeasuredPoint DriveRow(const char* test, double rate, double iops) {
  MeasuredPoint point = Point("drive", test, 1, rate, "MB/s");
  point.iops = iops;
  point.p50Us = 45.25;
  point.p99Us = 120;
  point.p999Us = 1500;
  point.engine = QStringLiteral("io_uring");
  return point;
}

// A run of each group: two workloads at 1 and 2 threads, STREAM, the curve, two drive rows.
std::vector<MeasuredPoint> EveryKind() {
  return {Point("cores", "zstd-compress", 1, 100, "MB/s"),
          Point("cores", "zstd-compress", 2, 190, "MB/s"),
          Point("cores", "sha256", 1, 50, "MB/s"),
          Point("cores", "sha256", 2, 100, "MB/s"),
          Point("ram", "stream-copy", 1, 12.5, "GB/s"),
          Point("ram", "stream-copy", 2, 20, "GB/s"),
          Point("ram", "stream-triad", 1, 13, "GB/s"),
          Latency(4096, 1.25),
          Latency(int64_t{1} << 20, 4.5),
          Latency(int64_t{64} << 20, 85),
          DriveRow("seq1m-q8t1-read", 2100.5, 2003),
          DriveRow("seq1m-q8t1-write", 1500, 1430)};
}

QChart* ChartOf(const MachineWindow& window, const char* name) { return Find<QChartView>(window, name)->chart(); }

QList<QPointF> PointsOf(QAbstractSeries* series) { return qobject_cast<QXYSeries*>(series)->points(); }

// The windows composed with a test folder of their own.
struct Composed {
  Composed() {
    composed.settings.Write(settings::kDrive, folder.path() + u'/');
    composed.session.ReadSettings();
  }
  QTemporaryDir folder;
  ComposedWindow composed;
  MachineWindow& window = composed.program.machineWindow;
};

bool Enabled(const QWidget& window, const char* name) { return Find<QPushButton>(window, name)->isEnabled(); }

const char* const kGroupButtons[] = {"BCores", "BRam", "BCoresRam", "BDrive"};
const char* const kMainButtons[] = {"BCPU", "B2D", "BMix", "BHDD", "BAll"};

}  // namespace

class MachineWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { WorkerThread::StopAllWorkers(); }

  void theTableListsEachPoint_data() {
    QTest::addColumn<MeasuredPoint>("point");
    QTest::addColumn<QStringList>("row");
    QTest::newRow("a workload at threads")
        << Point("cores", "zstd-compress", 2, 190.4, "MB/s") << QStringList{"zstd compress ×2", "190 MB/s", ""};
    QTest::newRow("divisions a second") << Point("cores", "division", 1, 612.5e6, "ops/s")
                                        << QStringList{"Division ×1", "613 M ops/s", ""};
    QTest::newRow("a latency with huge pages") << Latency(int64_t{64} << 20, 85.04, int64_t{32} << 20)
                                               << QStringList{"Latency 64 MiB", "85.0 ns", "huge pages 32768 KiB"};
    QTest::newRow("a latency in the cache") << Latency(32768, 1.234) << QStringList{"Latency 32 KiB", "1.23 ns", ""};
    QTest::newRow("a drive row") << DriveRow("rnd4k-q32t1-read", 412.3, 100660)
                                 << QStringList{"RND4K Q32T1 read", "412 MB/s",
                                                "100660 IOPS  p50 45.3 us  p99 120 us  p99.9 1500 us  io_uring"};
  }
  void theTableListsEachPoint() {
    QFETCH(MeasuredPoint, point);
    QFETCH(QStringList, row);
    Composed c;
    c.window.ShowPoint(Point("cores", "sha256", 1, 1, "MB/s"));
    c.window.ShowPoint(point);
    const PointTableModel& table = c.window.Table();
    QCOMPARE(table.rowCount(), 2);
    QStringList shown;
    for (int column = 0; column < table.columnCount(); ++column) shown << table.index(1, column).data().toString();
    QCOMPARE(shown, row);
    QCOMPARE(table.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("テスト"));
  }

  void theChartsDrawThePoints() {
    Composed c;
    for (const MeasuredPoint& point : EveryKind()) c.window.ShowPoint(point);
    QCOMPARE(c.window.Points().size(), EveryKind().size());

    // The speed-up of each workload and the ideal line, threads and speed-up on log 2 axes.
    QChart* scaling = ChartOf(c.window, "ScalingChart");
    QCOMPARE(scaling->series().size(), 3);
    QCOMPARE(scaling->axes().size(), 2);  // drawn anew for each point: the earlier axes are gone
    QCOMPARE(scaling->series()[0]->name(), QStringLiteral("zstd compress"));
    QCOMPARE(PointsOf(scaling->series()[0]), (QList<QPointF>{{1, 1}, {2, 1.9}}));
    QCOMPARE(PointsOf(scaling->series()[1]), (QList<QPointF>{{1, 1}, {2, 2}}));
    QCOMPARE(PointsOf(scaling->series()[2]), (QList<QPointF>{{1, 1}, {2, 2}}));  // the ideal
    for (Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
      auto* axis = qobject_cast<QLogValueAxis*>(scaling->axes(orientation).value(0));
      QVERIFY(axis != nullptr);
      QCOMPARE(axis->base(), 2.0);
      QVERIFY(axis->min() < 1 && axis->max() > 2);
    }

    QChart* bandwidth = ChartOf(c.window, "BandwidthChart");
    QCOMPARE(bandwidth->series().size(), 2);
    QCOMPARE(bandwidth->series()[1]->name(), QStringLiteral("STREAM Triad"));
    QCOMPARE(PointsOf(bandwidth->series()[0]), (QList<QPointF>{{1, 12.5}, {2, 20}}));
    QVERIFY(qobject_cast<QValueAxis*>(bandwidth->axes(Qt::Vertical).value(0))->max() >= 20);

    // The working set at its log 2, named; nanoseconds on a log 10 axis.
    QChart* latency = ChartOf(c.window, "LatencyChart");
    QCOMPARE(PointsOf(latency->series().value(0)), (QList<QPointF>{{12, 1.25}, {20, 4.5}, {26, 85}}));
    auto* sizes = qobject_cast<QCategoryAxis*>(latency->axes(Qt::Horizontal).value(0));
    QVERIFY(sizes != nullptr);
    QCOMPARE(sizes->categoriesLabels().first(), QStringLiteral("4 KiB"));
    QVERIFY(sizes->categoriesLabels().contains(QStringLiteral("1 MiB")));
    QCOMPARE(qobject_cast<QLogValueAxis*>(latency->axes(Qt::Vertical).value(0))->base(), 10.0);

    QChart* drive = ChartOf(c.window, "DriveChart");
    auto* bars = qobject_cast<QBarSeries*>(drive->series().value(0));
    QVERIFY(bars != nullptr);
    QCOMPARE(bars->count(), 2);
    QCOMPARE(bars->barSets()[0]->at(0), 2101.0);  // 2100.5 MB/s as the table writes it, the label's figure
    QCOMPARE(bars->barSets()[1]->at(0), 1500.0);
    auto* rate = qobject_cast<QValueAxis*>(drive->axes(Qt::Vertical).value(0));
    QVERIFY(rate != nullptr);
    QCOMPARE(rate->max(), 2500.0);  // a round figure above the bar, in steps of 500
    QCOMPARE(rate->tickCount(), 6);
    QCOMPARE(qobject_cast<QBarCategoryAxis*>(drive->axes(Qt::Horizontal).value(0))->categories(),
             QStringList{QStringLiteral("SEQ1M Q8T1")});
  }

  // Each chart is named for a screen reader and has its figures as text.
  void eachChartHasItsFiguresAsText_data() {
    QTest::addColumn<QString>("chart");
    QTest::addColumn<QString>("line");
    QTest::newRow("scaling") << "ScalingChart"
                             << "zstd compress — 1 スレッド: 1.00 倍; 2 スレッド: 1.90 倍";
    QTest::newRow("bandwidth") << "BandwidthChart"
                               << "STREAM Copy — 1 スレッド: 12.50 GB/s; 2 スレッド: 20.00 GB/s";
    QTest::newRow("latency") << "LatencyChart"
                             << "Latency — 4 KiB: 1.25 ns; 1 MiB: 4.50 ns; 64 MiB: 85.0 ns";
    QTest::newRow("drive") << "DriveChart"
                           << "SEQ1M Q8T1 — 読み込み 2100.5 MB/s、書き込み 1500.0 MB/s";
  }
  void eachChartHasItsFiguresAsText() {
    QFETCH(QString, chart);
    QFETCH(QString, line);
    Composed c;
    auto* view = Find<QChartView>(c.window, qPrintable(chart));
    QVERIFY(view->accessibleDescription().contains(QStringLiteral("まだ計測していません")));
    for (const MeasuredPoint& point : EveryKind()) c.window.ShowPoint(point);
    QVERIFY2(view->accessibleDescription().split(u'\n').contains(line), qPrintable(view->accessibleDescription()));
    QVERIFY(view->accessibleName().endsWith(QStringLiteral(" のグラフ")));
    QVERIFY(view->accessibleName().startsWith(view->chart()->title()));
  }

  // Refused in the group's own words, in a box, before anything runs.
  void aRefusalIsShownBeforeAnythingRuns_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("value");
    QTest::newRow("a missing folder") << settings::kDrive << "/nonexistent/torvik-test/";
    QTest::newRow("a file too small") << settings::kDriveFileSize << "1M";
  }
  void aRefusalIsShownBeforeAnythingRuns() {
    QFETCH(QString, setting);
    QFETCH(QString, value);
    Composed c;
    c.composed.settings.Write(setting, value);
    const QString refusal = c.composed.session.Refusal(Group::Drive);
    QVERIFY(!refusal.isEmpty());
    QSignalSpy running(&c.window, &MachineWindow::runningChanged);
    MessageBoxAnswer answer;
    c.window.RunChoice(MachineWindow::Choice::Drive);
    QCOMPARE(answer.seen, 1);
    QCOMPARE(answer.text, refusal);
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QCOMPARE(running.size(), 0);
    QVERIFY(c.window.Points().empty());
    QCOMPARE(ValueOf(c.composed.store.RunCount()), 0);
    QVERIFY(QDir(c.folder.path()).isEmpty());
    for (const char* name : kGroupButtons) QVERIFY(Enabled(c.window, name));
  }

  // Stop between points through the real session: the points done are kept
  // and shown, the run is kept as stopped; meanwhile the main window's
  // group buttons wait and this window's Stop is the one enabled.
  void stopEndsTheRunAfterThePointUnderWay() {
    Composed c;
    QStringList seenDuring;
    const bool reportBefore = Enabled(c.composed.window, "BRep");
    connect(&c.window, &MachineWindow::pointShown, &c.window, [&] {
      if (c.window.Points().size() != 1) return;
      for (const char* name : kMainButtons)
        seenDuring << QStringLiteral("%1 %2").arg(name).arg(Enabled(c.composed.window, name));
      seenDuring << QStringLiteral("main BStop %1").arg(Enabled(c.composed.window, "BStop"));
      seenDuring << QStringLiteral("BCores %1").arg(Enabled(c.window, "BCores"));
      seenDuring << QStringLiteral("BStop %1").arg(Enabled(c.window, "BStop"));
      Find<QPushButton>(c.window, "BStop")->click();
    });
    c.window.show();
    c.window.RunChoice(MachineWindow::Choice::CoresThenRam);
    QCOMPARE(seenDuring,
             (QStringList{"BCPU 0", "B2D 0", "BMix 0", "BHDD 0", "BAll 0", "main BStop 0", "BCores 0", "BStop 1"}));
    QCOMPARE(c.window.Points().size(), size_t{1});  // and no ram group after the stopped one
    QCOMPARE(c.window.Table().rowCount(), 1);
    QCOMPARE(Find<StatusLine>(c.window, "LFill")->text(), texts::StoppedBox());
    QVERIFY(
        Find<QPlainTextEdit>(c.window, "MachineFacts")->toPlainText().contains(QStringLiteral("使えるプロセッサ: ")));
    QTRY_COMPARE(ValueOf(c.composed.store.RunCount()), 1);
    const StoredRun kept = RunWithTests(c.composed.store, ValueOf(c.composed.store.Runs(1)).front().id);
    QCOMPARE(kept.group, QStringLiteral("cores"));
    QVERIFY(kept.stopped);
    QCOMPARE(kept.tests.size(), size_t{1});
    QCOMPARE(kept.tests.front().test, c.window.Points().front().StoreId());
    // Both windows as they were.
    for (const char* name : kMainButtons) QVERIFY(Enabled(c.composed.window, name));
    QCOMPARE(Enabled(c.composed.window, "BRep"), reportBefore);
    for (const char* name : kGroupButtons) QVERIFY(Enabled(c.window, name));
    QVERIFY(!Enabled(c.window, "BStop"));
  }

  // Esc does nothing during a run; a close stops it at its next point, keeps
  // it and closes the window then.
  void closingDuringARunStopsItAtTheNextPoint() {
    Composed c;
    c.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.window));
    bool visibleAfterEscape = false;
    connect(&c.window, &MachineWindow::pointShown, &c.window, [&] {
      if (c.window.Points().size() != 1) return;
      QTest::keyClick(&c.window, Qt::Key_Escape);
      visibleAfterEscape = c.window.isVisible();
      c.window.close();
    });
    c.window.RunChoice(MachineWindow::Choice::Cores);
    QVERIFY(visibleAfterEscape);
    QVERIFY(!c.window.isVisible());
    QCOMPARE(c.window.Points().size(), size_t{1});
    QTRY_COMPARE(ValueOf(c.composed.store.RunCount()), 1);
    QVERIFY(ValueOf(c.composed.store.Runs(1)).front().stopped);
    // Idle, Esc closes it.
    c.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.window));
    QTest::keyClick(&c.window, Qt::Key_Escape);
    QVERIFY(!c.window.isVisible());
  }

  // While the main window runs a group, this window's buttons wait.
  void theMainWindowsRunLocksTheseButtons() {
    Composed c;
    QStringList seenDuring;
    QTimer::singleShot(0, &c.window, [&] {
      for (const char* name : kGroupButtons)
        seenDuring << QStringLiteral("%1 %2").arg(name).arg(Enabled(c.window, name));
    });
    MessageBoxAnswer answer;  // the group's end
    Find<QPushButton>(c.composed.window, "BMix")->click();
    QCOMPARE(seenDuring, (QStringList{"BCores 0", "BRam 0", "BCoresRam 0", "BDrive 0"}));
    QCOMPARE(answer.text, texts::CompletedBox());
    for (const char* name : kGroupButtons) QVERIFY(Enabled(c.window, name));
    // Asked to run meanwhile (a click queued before the lock), it does not.
    c.window.SetLockedByOtherWindow(true);
    c.window.RunChoice(MachineWindow::Choice::Cores);
    QVERIFY(c.window.Points().empty() && !c.window.Running());
  }

  // Opened from the 設定 menu after the comparison; Tab reaches every
  // control in order, each named; each group button has its own Alt key.
  void theKeyboardReachesEveryControl() {
    Composed c;
    const QList<QAction*> entries = c.composed.window.findChild<QMenu*>(QStringLiteral("N1"))->actions();
    const auto at = [&entries](const char* name) {
      for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i]->objectName() == QLatin1String(name)) return i;
      }
      return qsizetype{-1};
    };
    QCOMPARE(at("MMachine"), at("MCompare") + 1);
    entries[at("MMachine")]->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(&c.window));
    QCOMPARE(c.window.windowTitle(), QStringLiteral("現行マシン計測"));
    QCOMPARE(entries[at("MMachine")]->text(), c.window.windowTitle());

    QStringList order;
    QWidget* widget = Find(c.window, "BCores");
    for (int i = 0; i < 200 && (order.isEmpty() || widget != Find(c.window, "BCores")); ++i) {
      if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisibleTo(&c.window) &&
          !widget->objectName().isEmpty()) {
        order << widget->objectName();
      }
      widget = widget->nextInFocusChain();
    }
    QStringList wanted{"BCores", "BRam", "BCoresRam", "BDrive", "ScalingChart", "PointTable", "MachineFacts"};
    qsizetype from = 0;
    for (const QString& name : wanted) {
      from = order.indexOf(name, from);
      QVERIFY2(from >= 0, qPrintable(name + QStringLiteral(" in ") + order.join(u' ')));
    }
    QVERIFY2(UnnamedFocusable(c.window).isEmpty(), qPrintable(UnnamedFocusable(c.window).join(u' ')));
    QSet<QKeySequence> keys;
    for (QPushButton* button : c.window.findChildren<QPushButton*>()) {
      const QKeySequence key = QKeySequence::mnemonic(button->text());
      QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(button->text()));
      keys << key;
    }
    QCOMPARE(keys.size(), 5);
  }
};

QTEST_MAIN(MachineWindowTest)
#include "test_machine_window.moc"
