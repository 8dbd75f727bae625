// The Memory and HDD groups through the real buttons on a scratch test
// directory: they finish, and no test file is left after a completed run, a
// refused drive or a failure. The full HDD group runs about a minute.
#include <QtTest>

#include "StorageFakes.h"
#include "UiHelpers.h"
#include "core/archive/RunArchive.h"
#include "core/run/GroupSequencer.h"
#include "core/workloads/WorkerThread.h"
#include "platform/ExitCleanup.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

struct Window : ComposedWindow {
  ScratchDirectory directory;
  Window() {
    settings.Write(settings::kDrive, directory.Path());
    window.show();
  }
  void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(window, button), Qt::LeftButton); }
  bool Idle() const {
    for (const char* name : {"BCPU", "BMix", "BHDD", "BRep"}) {
      if (!Find<QPushButton>(window, name)->isEnabled()) return false;
    }
    return !Find<QPushButton>(window, "BStop")->isEnabled() && !window.Running();
  }
};

const QRegularExpression kShownTime(QStringLiteral("^ *\\d+\\.\\dsec$"));

}  // namespace

class StorageGroupsTest : public QObject {
  Q_OBJECT

 private slots:
  void memoryGroupCompletes() {
    Window w;
    MessageBoxAnswer answer;
    w.Click("BMix");
    QCOMPARE(answer.texts, QStringList({texts::CompletedBox()}));
    QVERIFY(kShownTime.match(Text(w.window, "KMemory")).hasMatch());
    QCOMPARE(Text(w.window, "KAll"), Text(w.window, "KMemory"));
    // The precise time and rate, on demand: "0.0443 s, 48.3 GB/s".
    const QString precise = Find<QLabel>(w.window, "KMemory")->toolTip();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\.\\d{4} s, [\\d.]+ GB/s$")).match(precise).hasMatch(),
             qPrintable(precise));
    QVERIFY(Find<QLabel>(w.window, "KAll")->toolTip().endsWith(QStringLiteral(" s")));
    // Kept in the results store (by the archive's thread), with its precise figures.
    QTRY_COMPARE(ValueOf(w.store.RunCount()), 1);
    const StoredRun run = RunWithTests(w.store, ValueOf(w.store.Runs(1)).front().id);
    QCOMPARE(run.group, QStringLiteral("memory"));
    QCOMPARE(run.tests.size(), size_t{1});
    QVERIFY(*run.tests[0].rate > 0);
    QCOMPARE(Find<Gauge>(w.window, "Gauge")->Progress(), 100);
    QVERIFY(w.Idle());
    QVERIFY(!w.bench.Workloads().Buffers().Exist());
    QCOMPARE(w.directory.Entries(), QStringList());
  }

  void hddGroupCompletesThreePasses() {
    Window w;
    MessageBoxAnswer answer;
    w.Click("BHDD");
    QCOMPARE(answer.texts, QStringList({texts::CompletedBox()}));
    int sum = 0;
    for (const char* name : {"KWrite1", "KWrite2", "KWrite3", "KRead1", "KRead2", "KRead3"}) {
      QVERIFY2(kShownTime.match(Text(w.window, name)).hasMatch(), name);
      sum += Tenths(Text(w.window, name));
    }
    QCOMPARE(Tenths(Text(w.window, "KAll")), sum);
    QVERIFY(Tenths(Text(w.window, "KWrite3")) > 0);  // 3 x 60 MB without the page cache takes time
    QVERIFY(w.Idle());
    QCOMPARE(w.directory.Entries(), QStringList());
  }

  void hddGroupWithAMissingDirectoryOnlyTellsTheUser() {
    Window w;
    w.settings.Write(settings::kDrive, w.directory.Path() + QStringLiteral("missing/"));
    MessageBoxAnswer answer;
    w.Click("BHDD");
    QCOMPARE(answer.texts, QStringList({texts::NoDiskInformation()}));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QVERIFY(!Find<QPushButton>(w.window, "BRep")->isEnabled());  // nothing ran, nothing to report
    QVERIFY(Find<QPushButton>(w.window, "BHDD")->isEnabled());
    QCOMPARE(w.directory.Entries(), QStringList());
  }

  void failureInsideTheGroupUnlocksAndLeavesNothing() {
    Window w;
    // The memory data file's name is taken by a link: it cannot be written.
    QVERIFY(QFile::link(QStringLiteral("/nonexistent"), w.directory.Path() + QStringLiteral("TORVIK.rd0")));
    MessageBoxAnswer answer;
    w.Click("BMix");
    QCOMPARE(answer.seen, 1);
    QCOMPARE(answer.text, QStringLiteral("不正なﾌｧｲﾙ名です."));  // the link is never followed
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QVERIFY(w.Idle());
    QVERIFY(Text(w.window, "KMemory").isEmpty());
    QCOMPARE(ValueOf(w.store.RunCount()), 0);  // a failed group is not kept
    // The planted link was never the program's file: it is left alone.
    QCOMPARE(w.directory.Entries(), QStringList({"TORVIK.rd0"}));
  }

  // The test directory disappears under a running HDD group (a USB cable
  // pulled, a user cleaning up): one error box, the buttons back, no time
  // for any disk test, and nothing left.
  void removingTheTestDirectoryMidRun() {
    Window w;
    MessageBoxAnswer answer;
    const QString directory = w.directory.Path();
    // At the first pump after its test files were made.
    QTimer remove;
    QObject::connect(&remove, &QTimer::timeout, &w.window, [&] {
      if (w.directory.Entries().isEmpty()) return;
      remove.stop();
      QDir(directory).removeRecursively();
    });
    remove.start(0);
    w.Click("BHDD");
    QCOMPARE(answer.texts, QStringList({QStringLiteral("ﾌｧｲﾙが見つかりません.")}));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QVERIFY(w.Idle());
    for (const char* name : {"KWrite1", "KWrite2", "KWrite3", "KRead1", "KRead2", "KRead3"}) {
      QVERIFY2(Text(w.window, name).isEmpty(), name);
    }
    QVERIFY(!QDir(directory).exists());
    QCOMPARE(platform::RegisteredFileCount(), 0);  // every file made was deleted again
  }

  // Closed at the first pump after the test files were made: the group
  // ends there, in the running test; no later test is announced.
  void closingDuringTheHddGroupLeavesNothing() {
    Window w;
    MessageBoxAnswer answer;
    StatusAtPumps said(*Find<QLabel>(w.window, "LFill"));
    QString running;
    QTimer close;
    QObject::connect(&close, &QTimer::timeout, &w.window, [&] {
      if (!running.isEmpty() || w.directory.Entries().isEmpty()) return;
      running = Text(w.window, "LFill");
      w.window.close();
    });
    close.start(0);
    w.Click("BHDD");
    said.Look();
    QVERIFY(!running.isEmpty());
    const QStringList after = said.texts.mid(said.texts.lastIndexOf(running) + 1);
    for (Test test : {Test::Write1, Test::Write2, Test::Write3, Test::Read1, Test::Read2, Test::Read3}) {
      if (StatusText(test) == running) continue;
      QVERIFY2(!after.contains(StatusText(test)), "the group went on after the window was closed");
    }
    QCOMPARE(answer.seen, 0);
    QVERIFY(!w.window.isVisible());
    QCOMPARE(w.directory.Entries(), QStringList());
  }

  // A store that cannot be used never stops a run and is reported once.
  void anUnusableStoreIsReportedOnce() {
    Window w;
    QFile damaged(w.store.Path());  // opened at the first record
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    // The failure is never shown while a group runs.
    bool toldMidRun = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box != nullptr && box->text().startsWith(texts::CannotRecord()) && w.window.Running()) toldMidRun = true;
    });
    watch.start(5);
    MessageBoxAnswer answer;
    w.Click("BMix");
    w.Click("BMix");
    // Two completion boxes, one store failure.
    QTRY_COMPARE(answer.texts.size(), 3);
    QCOMPARE(answer.texts.filter(texts::CannotRecord()).size(), 1);
    QVERIFY(!toldMidRun);
    QVERIFY(w.Idle());
  }

  void settingsAreReadAgainAfterTheDialog() {
    Window w;
    w.settings.Write(settings::kDrive, QStringLiteral("/srv/bench/"));
    w.settings.Write(settings::kUserName, QStringLiteral("山田"));
    w.settings.Write(settings::kPcName, QStringLiteral("desk-1"));
    QTimer::singleShot(0, [&w] {
      QTRY_VERIFY(w.program.settingsDialog.isVisible());
      w.program.settingsDialog.reject();
    });
    w.window.MSetClick();
    QCOMPARE(w.bench.Workloads().Directory().TestPath(), QStringLiteral("/srv/bench/"));
    QCOMPARE(w.session.UserName(), QStringLiteral("山田"));
    QCOMPARE(w.session.PcName(), QStringLiteral("desk-1"));
  }

  void wrongTypeOfTheTestPathIsReported() {
    Window w;
    w.settings.wrongType << settings::kDrive;
    MessageBoxAnswer answer;
    w.Click("BHDD");
    QCOMPARE(answer.texts, QStringList({QStringLiteral("'Drv' のﾃﾞｰﾀ型が不正です.")}));
    QVERIFY(Find<QPushButton>(w.window, "BHDD")->isEnabled());
    QVERIFY(!w.window.Running());
  }
};

QTEST_MAIN(StorageGroupsTest)
#include "test_storage_groups.moc"
