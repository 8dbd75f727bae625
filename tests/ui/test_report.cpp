// The Report button: the sheet beside the executable (here beside this test
// program) grows by one block per click, with CR LF line ends, opens in the
// shell, and a sheet that cannot be written ends in the error box.
#include <sys/stat.h>

#include <QtTest>

#include "StorageFakes.h"
#include "UiHelpers.h"
#include "core/workloads/WorkerThread.h"
#include "ui/ShellOpen.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

struct Window : ComposedWindow {
  ScratchDirectory directory;
  QStringList opened;
  Window() {
    settings.Write(settings::kDrive, directory.Path());
    settings.Write(settings::kUserName, QStringLiteral("Hanako"));
    SetShellOpener([this](const QString& target) { opened << target; });
    window.show();
  }
  ~Window() { SetShellOpener({}); }
};

QByteArray Sheet() {
  QFile file(MainWindow::SheetPath());
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sees a QProcess of the program's own being deleted.
class ProcessGone : public QObject {
 public:
  ProcessGone() { QCoreApplication::instance()->installEventFilter(this); }
  bool seen = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::DeferredDelete && qobject_cast<QProcess*>(watched) != nullptr) seen = true;
    return false;
  }
};

}  // namespace

class ReportTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QFile::remove(MainWindow::SheetPath());
    QDir().rmdir(MainWindow::SheetPath());
  }
  void cleanup() {
    init();
    WorkerThread::StopAllWorkers();
  }

  void sheetSitsBesideTheExecutable() {
    QCOMPARE(MainWindow::SheetPath(),
             QCoreApplication::applicationFilePath() + QStringLiteral(".txt"));  // no extension
  }

  void reportAfterTheMemoryGroup() {
    Window w;
    MessageBoxAnswer answer;
    QTest::mouseClick(Find<QPushButton>(w.window, "BMix"), Qt::LeftButton);
    QVERIFY(Find<QPushButton>(w.window, "BRep")->isEnabled());
    QTest::mouseClick(Find<QPushButton>(w.window, "BRep"), Qt::LeftButton);
    const QByteArray sheet = Sheet();
    QVERIFY(sheet.endsWith("  ______//\r\n\r\n"));
    QCOMPARE(sheet.count("\r\n"), sheet.count('\n'));  // every line ends with CR LF
    const QStringList lines = QString::fromUtf8(sheet).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.first(), QStringLiteral("<> TORVIK Time Trial Result <>"));
    QVERIFY(lines.contains(QStringLiteral("   Your Name     : Hanako")));
    QVERIFY(lines.contains(QStringLiteral("   USE OS        : ") + BuildOsDescription(w.machine.System().Version())));
    // A copy faster than the clock's tenth has no result, and no line.
    const bool copyTimed = Tenths(Text(w.window, "KMemory")) > 0;
    QCOMPARE(lines.contains(QStringLiteral("   Memory Copy   : ") + Text(w.window, "KMemory")), copyTimed);
    QVERIFY(lines.contains(QStringLiteral("   Sum    Total  : ") + Text(w.window, "KAll")));
    QVERIFY(lines.contains(QStringLiteral("     Stepping    : 6.8.3 (Original OEM Processor)")));
    QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
      return line.startsWith(QStringLiteral("   HDD Info      : ") + w.directory.Path() + QStringLiteral(" => Free "));
    }));
    QVERIFY(
        std::none_of(lines.begin(), lines.end(), [](const QString& l) { return l.contains(QStringLiteral("Prime")); }));
    QCOMPARE(w.opened, QStringList({MainWindow::SheetPath()}));
    QCOMPARE(w.window.focusWidget(), Find(w.window, "BAll"));
    QCOMPARE(w.session.UserName(), QStringLiteral("Hanako"));  // the window's copies are refreshed
  }

  void twoReportsMakeTwoBlocks() {
    Window w;
    w.window.BRepClick();
    const QByteArray first = Sheet();
    w.window.BRepClick();
    const QByteArray both = Sheet();
    QVERIFY(both.startsWith(first));
    QCOMPARE(both.count("<> TORVIK Time Trial Result <>"), 2);
    QVERIFY(both.mid(first.size()).startsWith("<> TORVIK Time Trial Result <>\r\n"));
    QCOMPARE(w.opened.size(), 2);
  }

  void unwritableSheetEndsInTheErrorBox() {
    Window w;
    QVERIFY(QDir().mkdir(MainWindow::SheetPath()));  // a folder stands where the sheet belongs
    MessageBoxAnswer answer;
    w.window.BRepClick();
    QCOMPARE(answer.texts, QStringList({QStringLiteral("ﾌｧｲﾙではなくﾌｫﾙﾀﾞです.")}));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QVERIFY(w.opened.isEmpty());  // nothing is opened
  }

  void aFifoInTheSheetsPlaceIsRefusedAtOnce() {
    Window w;
    QVERIFY(mkfifo(QFile::encodeName(MainWindow::SheetPath()).constData(), 0600) == 0);
    MessageBoxAnswer answer;
    QElapsedTimer timer;
    timer.start();
    w.window.BRepClick();  // no reader: a blocking open would wait for ever
    QVERIFY(timer.elapsed() < 10'000);
    QCOMPARE(answer.texts, QStringList({QStringLiteral("不正なﾌｧｲﾙ名です.")}));
    QVERIFY(w.opened.isEmpty());
  }

  // The sheet handed to xdg-open (here a stand-in with the exit status of
  // its row): a failure is told in one line, no box; success says nothing.
  void aSheetNoProgramOpensIsToldInOneLine_data() {
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("told");
    QTest::newRow("opened") << 0 << QString();
    QTest::newRow("no program for text files") << 3 << QStringLiteral("xdg-open exit status 3");
    QTest::newRow("the program failed") << 4 << QStringLiteral("xdg-open exit status 4");
  }
  void aSheetNoProgramOpensIsToldInOneLine() {
    QFETCH(int, exitStatus);
    QFETCH(QString, told);
    QTemporaryDir bin;
    QFile xdgOpen(bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(xdgOpen.open(QIODevice::WriteOnly));
    xdgOpen.write(QStringLiteral("#!/bin/sh\ntouch \"$0.ran\"\nexit %1\n").arg(exitStatus).toUtf8());
    xdgOpen.close();
    QVERIFY(xdgOpen.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);
    QStringList lines;
    SetShellFailureListener([&lines](const QString& line) { lines << line; });
    const auto restore = qScopeGuard([&path] {
      qputenv("PATH", path);
      SetShellFailureListener({});
    });
    // The program has heard xdg-open's end once the process it started is
    // gone (it deletes itself after telling what it heard).
    ProcessGone gone;
    ShellOpen(QStringLiteral("/tmp/torvik sheet.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(gone.seen, 30'000);
    QVERIFY(QFile::exists(xdgOpen.fileName() + QStringLiteral(".ran")));
    if (told.isEmpty()) {
      QCOMPARE(lines, QStringList());
    } else {
      QCOMPARE(lines.size(), 1);
      QCOMPARE(lines[0], QStringLiteral("torvik: no program opened /tmp/torvik sheet.txt (%1); the file is kept there")
                             .arg(told));
    }
  }
};

QTEST_MAIN(ReportTest)
#include "test_report.moc"
