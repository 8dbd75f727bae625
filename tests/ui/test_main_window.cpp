// The main window: its layout and initial state, the CPU group run end to
// end through the real button, and closing the window in the middle of a run.
#include <QAccessible>
#include <QMenuBar>
#include <QMessageBox>
#include <QtTest>
#include <csignal>

#include "StorageFakes.h"
#include "UiHelpers.h"
#include "core/workloads/WorkerThread.h"
#include "ui/ScreenSize.h"
#include "ui/SettingsDialog.h"
#include "ui/StageDrawing.h"

using namespace torvik;
using namespace torvik::testing;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { WorkerThread::StopAllWorkers(); }

  void captionAndFixedScaledSize() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    QCOMPARE(window.windowTitle(), QStringLiteral("TORVIK Ver3.03"));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    // Design values are at 120 dpi; this screen has 96, so they scale by 0.8.
    QCOMPARE(qRound(window.screen()->logicalDotsPerInch()), 96);
    QCOMPARE(window.centralWidget()->size(), QSize(519, 331));
    QCOMPARE(Find<QPushButton>(window, "BAll")->geometry(), QRect(320, 272, 57, 25));
    QCOMPARE(Find<Gauge>(window, "Gauge")->geometry(), QRect(16, 240, 225, 19));
    QCOMPARE(Find<QLabel>(window, "LFill")->geometry(), QRect(20, 312, 279, 14));
    QCOMPARE(Find<QLabel>(window, "LCalc")->pos(), QPoint(20, 8));
    QCOMPARE(Find<QLabel>(window, "KCalc")->geometry().right() + 1, 217);  // right edge 271 x 0.8
    QCOMPARE(Find<QLabel>(window, "KAll")->geometry().right() + 1, 497);   // right edge 621 x 0.8
  }

  // The report's screen size is the screen's own, whatever the desktop's
  // scale: Qt's logical size times the ratio, to whole pixels.
  void screenSizeIsInDevicePixels_data() {
    QTest::addColumn<QSize>("logical");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("device");
    QTest::newRow("100 %") << QSize(1024, 768) << 1.0 << QSize(1024, 768);
    QTest::newRow("125 %, rounded") << QSize(1093, 614) << 1.25 << QSize(1366, 768);
    QTest::newRow("150 %") << QSize(1280, 800) << 1.5 << QSize(1920, 1200);
    QTest::newRow("200 %") << QSize(650, 550) << 2.0 << QSize(1300, 1100);
  }
  void screenSizeIsInDevicePixels() {
    QFETCH(QSize, logical);
    QFETCH(qreal, ratio);
    QFETCH(QSize, device);
    const ScreenFacts facts = DeviceScreenFacts(logical, ratio, 24);
    QCOMPARE(QSize(facts.width, facts.height), device);
    QCOMPARE(facts.depth, 24);
    QCOMPARE(ScreenFactsOf(nullptr).width, 0);
  }

  void windowIsCentredOnTheScreen() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    const QRect screen = window.screen()->geometry();
    QCOMPARE(window.x(), (screen.width() - window.width()) / 2);
    QCOMPARE(window.y(), (screen.height() - window.height()) / 2);
  }

  void labelsButtonsAndMenuCarryTheirTexts() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    const std::pair<const char*, const char*> labels[] = {
        {"LCalc", "Prime Calc"},   {"LTrig", "Trigonometric"}, {"LSquare", "Square"}, {"LCircle", "Circle"},
        {"LTriangle", "Triangle"}, {"LText", "Text"},          {"LScroll", "Scroll"}, {"LMemory", "Memory"},
        {"LWrite1", "HDD Write"},  {"Label1", "40MB"},         {"LWrite2", "50MB"},   {"LWrite3", "60MB"},
        {"LRead1", "HDD Read"},    {"Label2", "40MB"},         {"LRead2", "50MB"},    {"LRead3", "60MB"},
        {"LMix", "MIX Mode"},      {"LAll", "Total"},
    };
    for (const auto& [name, text] : labels) QCOMPARE(Text(window, name), QLatin1String(text));
    const std::pair<const char*, const char*> buttons[] = {
        {"BCPU", "CPU"}, {"B2D", "Graphic"}, {"BMix", "Memory"}, {"BHDD", "HDD"},
        {"BAll", "ALL"}, {"BRep", "Report"}, {"BStop", "Stop"},
    };
    for (const auto& [name, caption] : buttons)
      QCOMPARE(Find<QPushButton>(window, name)->text(), QLatin1String(caption));
    for (const char* bar : {"Panel8", "Panel2", "Panel7", "Panel3", "Panel1", "Panel5", "Panel6"}) {
      QVERIFY2(Find(window, bar) && Find(window, bar)->height() == 3, bar);  // 4 px x 0.8
    }
    const QList<QAction*> menus = window.menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus[0]->text(), QStringLiteral("設定"));
    QCOMPARE(menus[1]->text(), QStringLiteral("？"));
    QStringList entries;
    for (QAction* menu : menus) {
      for (QAction* entry : menu->menu()->actions()) entries << (entry->isSeparator() ? "-" : entry->text());
    }
    QCOMPARE(entries, QStringList({"計測環境", "計測結果の比較", "-", "終了", "ヘルプ", "バージョン情報"}));
  }

  void startsIdleWithEmptyResults() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const char* name : {"KCalc", "KTrig", "KSquare", "KCircle", "KTriangle", "KText", "KScroll", "KMemory",
                             "KWrite1", "KWrite2", "KWrite3", "KRead1", "KRead2", "KRead3", "KMix", "KAll"}) {
      QVERIFY2(Text(window, name).isEmpty(), name);
    }
    QCOMPARE(Find<Gauge>(window, "Gauge")->Progress(), 0);
    QVERIFY(!Find<QPushButton>(window, "BRep")->isEnabled());
    QVERIFY(!Find<QPushButton>(window, "BStop")->isEnabled());
    QVERIFY(Find<QPushButton>(window, "BCPU")->isEnabled());
    QCOMPARE(window.focusWidget(), Find(window, "BAll"));
    QVERIFY(!Find(window, "Paint")->isVisible());
    QVERIFY(!Find(window, "Memo")->isVisible());
    QVERIFY(!Find(window, "Memo")->isEnabled());
  }

  void statusLineShowsTheProcessorLine() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    QCOMPARE(Text(window, "LFill"), QStringLiteral("Pentium III 0MHz"));
  }

  void statusLineOfThisMachine() {
    ComposedWindow composed(platform::HardwareProcessor());  // about two seconds of measuring
    MainWindow& window = composed.window;
    const QString line = Text(window, "LFill");
    QVERIFY2(QRegularExpression(QStringLiteral("^\\S.* \\d+MHz$")).match(line).hasMatch(), qPrintable(line));
    QCOMPARE(line.section(u' ', 0, -2), composed.machine.Processor().CPUName());
  }

  void tabOrderRunsThroughTheButtons() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (QPushButton* button : window.findChildren<QPushButton*>()) button->setEnabled(true);
    QWidget* widget = Find(window, "BAll");
    QStringList order;
    for (int i = 0; i < 7; ++i) {
      order << widget->objectName();
      widget = widget->nextInFocusChain();
      while (widget->focusPolicy() == Qt::NoFocus || !qobject_cast<QPushButton*>(widget))
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(order, QStringList({"BAll", "BRep", "BCPU", "B2D", "BHDD", "BMix", "BStop"}));
  }

  void cpuGroupRunsEndToEnd() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MessageBoxAnswer answer;
    QTest::mouseClick(Find<QPushButton>(window, "BCPU"), Qt::LeftButton);

    QCOMPARE(answer.seen, 1);
    QCOMPARE(answer.text, QStringLiteral("計測が終了しました。Reportボタンで結果が保存されます。"));
    QCOMPARE(answer.title, QStringLiteral("TORVIK"));
    QCOMPARE(answer.icon, QMessageBox::Information);
    const QRegularExpression shown(QStringLiteral("^ *\\d+\\.\\dsec$"));
    for (const char* name : {"KCalc", "KTrig", "KAll"}) QVERIFY2(shown.match(Text(window, name)).hasMatch(), name);
    QCOMPARE(Tenths(Text(window, "KAll")), Tenths(Text(window, "KCalc")) + Tenths(Text(window, "KTrig")));
    QVERIFY(Tenths(Text(window, "KTrig")) > 0);                           // 120 million x87 evaluations take time
    QCOMPARE(Text(window, "LFill"), QStringLiteral("Pentium III 0MHz"));  // put back after the group
    QCOMPARE(Find<Gauge>(window, "Gauge")->Progress(), 100);
    QVERIFY(Find<QPushButton>(window, "BRep")->isEnabled());
    QVERIFY(!Find<QPushButton>(window, "BStop")->isEnabled());
    QCOMPARE(window.focusWidget(), Find(window, "BRep"));
    QVERIFY(!window.Running());
    for (const char* group : {"BAll", "BCPU", "B2D", "BMix", "BHDD"})
      QVERIFY(Find<QPushButton>(window, group)->isEnabled());
  }

  // Closed at the pump after the prime test's first block (its figure so
  // far shown): the run ends at the next pump, inside the prime test.
  void closingDuringARunEndsItAtTheNextPump() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MessageBoxAnswer answer;
    QTimer close;
    QObject::connect(&close, &QTimer::timeout, &window, [&] {
      if (!Text(window, "KCalc").isEmpty()) window.close();
    });
    close.start(0);
    QTest::mouseClick(Find<QPushButton>(window, "BCPU"), Qt::LeftButton);
    // The prime test's last block, which gives it its work, never ran.
    QVERIFY2(composed.bench.State().Results()[Test::Calc].work == 0, "the run went on after the window was closed");
    QCOMPARE(answer.seen, 0);
    QVERIFY(Text(window, "KTrig").isEmpty());
    QVERIFY(!window.isVisible());
    QVERIFY(!window.Running());
  }

  void terminationEndsTheRunAndClosesEveryBox() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTimer::singleShot(150, &window, [&window] { window.RequestTermination(SIGTERM); });
    QTest::mouseClick(Find<QPushButton>(window, "BCPU"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QVERIFY(!window.Running());
    QCOMPARE(window.ExitStatus(), 128 + SIGTERM);

    // Idle, with a modal box open: the box gives way, then the window closes.
    ComposedWindow composedIdle;
    MainWindow& idle = composedIdle.window;
    idle.show();
    QVERIFY(QTest::qWaitForWindowExposed(&idle));
    QTimer::singleShot(100, &idle, [&idle] { idle.RequestTermination(SIGHUP); });
    idle.ShowMessage(QStringLiteral("open"), MessageIcon::Information);
    QVERIFY(!idle.isVisible());
    QCOMPARE(idle.ExitStatus(), 128 + SIGHUP);
  }

  void aHandlerReenteredFromAPumpKeepsTheRunRunning() {
    ComposedWindow composed;
    composed.settings.Write(settings::kDrive, QStringLiteral("/nonexistent/"));
    MainWindow& window = composed.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MessageBoxAnswer answer;
    bool runningAfterNested = false;
    QTimer::singleShot(150, &window, [&] {
      window.BHDDClick();  // refused at once, inside the CPU group's pump
      runningAfterNested = window.Running();
    });
    QTest::mouseClick(Find<QPushButton>(window, "BCPU"), Qt::LeftButton);
    QVERIFY(runningAfterNested);
    QVERIFY(!window.Running());
  }

  // What a screen reader finds: every button by its caption, every result by
  // its test and time (once the window is repainted whole, not from the
  // label updates between a test's blocks), the gauge as a progress bar
  // with its value; no control of the window or of the settings dialog
  // that Tab reaches goes unnamed, the settings fields named by their labels.
  void aScreenReaderNamesEveryResult() {
    ComposedWindow composed;
    MainWindow& window = composed.window;
    window.SetResultText(ResultLabel::KCalc, QStringLiteral("  1.0sec"));
    QCOMPARE(Find(window, "KCalc")->accessibleName(), QStringLiteral("Prime Calc"));
    window.SetResultText(ResultLabel::KWrite2, QStringLiteral("  2.5sec"));
    window.RepaintNow();
    window.SetGauge(50);
    QStringList names;
    QAccessibleInterface* gauge = nullptr;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
      for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (child == nullptr) continue;
        names << child->text(QAccessible::Name);
        if (child->role() == QAccessible::ProgressBar) gauge = child;
        walk(child);
      }
    };
    walk(QAccessible::queryAccessibleInterface(&window));
    for (const char* name : {"Prime Calc: 1.0 sec", "HDD Write 50MB: 2.5 sec", "Total", "CPU", "Graphic", "Memory",
                             "HDD", "ALL", "Report", "Stop"}) {
      QVERIFY2(names.contains(QLatin1String(name)), name);
    }
    QVERIFY(gauge != nullptr);
    QCOMPARE(gauge->text(QAccessible::Name), QStringLiteral("進捗"));
    QCOMPARE(gauge->valueInterface()->currentValue().toInt(), 50);
    QCOMPARE(gauge->text(QAccessible::Value), QStringLiteral("50%"));

    QCOMPARE(UnnamedFocusable(window), QStringList());
    SettingsDialog& settings = composed.program.settingsDialog;
    QCOMPARE(UnnamedFocusable(settings), QStringList());
    for (auto [field, name] : {std::pair{settings.fmDrv, "計測ドライブ"},
                               {settings.fmYName, "Your Name"},
                               {settings.fmPCName, "PC   Name"}}) {
      QCOMPARE(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Name), QString::fromUtf8(name));
    }
  }

  void memoTakesAtMostItsCapacity() {
    QPlainTextEdit box;
    QVERIFY(AppendWithinCapacity(box, QStringLiteral("12345"), 12));
    QVERIFY(AppendWithinCapacity(box, QStringLiteral("12345"), 12));  // 5 + CR LF + 5
    QVERIFY(!AppendWithinCapacity(box, QString(), 12));               // a line end is two more
    QCOMPARE(box.toPlainText(), QStringLiteral("12345\n12345"));
    QVERIFY(AppendWithinCapacity(box, QString(), 14));
    box.clear();
    QVERIFY(AppendWithinCapacity(box, QString(12, u'x'), 12));
  }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
