// The five test groups, driven against recording fakes: the order of steps,
// the status texts, the gauge values, the running total, Stop, the drive-check
// failure paths, and the recovery from a failure or a close mid-run.
#include <QtTest>

#include "Recorder.h"
#include "core/base/Errors.h"
#include "core/run/GroupSequencer.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

struct Fixture {
  RecordingView view;
  RunState state{view};
  RecordingTests tests{state, view};
  GroupSequencer sequencer{state, tests};
};

const QStringList kDiskCalls = {"DiskWrite40", "DiskWrite50", "DiskWrite60", "DiskRead40", "DiskRead50", "DiskRead60"};
// The status texts exactly as the user reads them.
const QStringList kDiskTexts = {
    "ＨＤＤ書き込み能力 計測中！（８ＫＢを４０ＭＢ分）", "ＨＤＤ書き込み能力 計測中！（８ＫＢを５０ＭＢ分）",
    "ＨＤＤ書き込み能力 計測中！（８ＫＢを６０ＭＢ分）", "ＨＤＤ読み込み能力 計測中！（８ＫＢを４０ＭＢ分）",
    "ＨＤＤ読み込み能力 計測中！（８ＫＢを５０ＭＢ分）", "ＨＤＤ読み込み能力 計測中！（８ＫＢを６０ＭＢ分）"};
const QStringList kAllTexts = {"CPU整数演算能力 計測中！（素数算出）",
                               "CPU浮動小数演算能力 計測中！（三角関数算出）",
                               "２Ｄグラフィック能力 計測中！（四角形描画）",
                               "２Ｄグラフィック能力 計測中！（円描画）",
                               "２Ｄグラフィック能力 計測中！（三角形描画）",
                               "２Ｄグラフィック能力 計測中！（テキスト描画）",
                               "２Ｄグラフィック能力 計測中！（スクロール描画）",
                               "メモリ転送能力 計測中！（１ＭＢを２ＧＢ分転送）"};
const QString kMixText = QStringLiteral("ＭｉｘＭｏｄｅ 計測中！");

QStringList Repeat(const QStringList& part, int times) {
  QStringList all;
  for (int i = 0; i < times; ++i) all << part;
  return all;
}

// The log lines from the first message box on.
QStringList AfterMessage(const QStringList& log) {
  for (int i = 0; i < log.size(); ++i) {
    if (log[i].startsWith(QStringLiteral("message "))) return log.mid(i);
  }
  return {};
}

bool IdleButtons(const RecordingView& view) {
  for (Button b : {Button::BAll, Button::BRep, Button::BCPU, Button::B2D, Button::BHDD, Button::BMix}) {
    if (!view.enabledButtons.at(b)) return false;
  }
  return !view.enabledButtons.at(Button::BStop);
}

}  // namespace

class GroupSequencerTest : public QObject {
  Q_OBJECT

 private slots:
  void cpuGroupRunsPrimeThenTrigWithWorkers() {
    Fixture f;
    f.tests.tenths = {{Test::Calc, 7}, {Test::Trig, 35}};
    f.sequencer.BCPUClick();
    QCOMPARE(f.tests.calls,
             QStringList({"PrimeLoadWorker", "PrimeTest", "ArctanLoadWorker", "TrigTest", "CleanupTestData"}));
    QCOMPARE(f.view.gauge, QList<int>({0, 50, 100}));
    QCOMPARE(f.view.Statuses(), QStringList({texts::Measuring()}));
    QCOMPARE(f.state.Results().Total(), TimeValue::FromTenths(42));
    QCOMPARE(f.view.labels[ResultLabel::KAll], QStringLiteral("  4.2sec"));
    QCOMPARE(f.view.messages, QStringList({"info: " + texts::CompletedBox()}));
    QVERIFY(IdleButtons(f.view));
  }

  void everyGroupLocksAllButtonsThenFinishesInOrder() {
    Fixture f;
    f.sequencer.BCPUClick();
    const QStringList lock = {"disable BAll", "disable BCPU", "disable B2D",  "disable BHDD",
                              "disable BMix", "disable BRep", "disable BStop"};
    const int first = f.view.log.indexOf("disable BAll");
    QCOMPARE(f.view.log.mid(first, lock.size()), lock);
    // Finish: the box, then unlock, release the data, focus Report, processor line.
    QCOMPARE(AfterMessage(f.view.log),
             QStringList({"message " + texts::CompletedBox(), "enable BAll", "enable BRep", "enable BCPU", "enable B2D",
                          "enable BHDD", "enable BMix", "disable BStop", "call CleanupTestData", "focus BRep",
                          "processor line"}));
  }

  void graphicGroupCountsFiveDrawingTests() {
    Fixture f;
    f.sequencer.B2DClick();
    QCOMPARE(f.tests.calls,
             QStringList({"SquareTest", "CircleTest", "TriangleTest", "TextTest", "ScrollTest", "CleanupTestData"}));
    QCOMPARE(f.view.gauge, QList<int>({0, 20, 40, 60, 80, 100}));
    QCOMPARE(f.state.Results().Total(), TimeValue::FromTenths(5));
    QCOMPARE(f.view.Statuses(), QStringList({texts::Measuring()}));
  }

  void memoryGroupPreparesBuffersBeforeAnnouncing() {
    Fixture f;
    f.tests.tenths = {{Test::Memory, 12}};
    f.sequencer.BMixClick();
    QCOMPARE(f.tests.calls, QStringList({"PrepareMemoryBuffers", "MemoryCopyTest", "CleanupTestData"}));
    QVERIFY(f.view.log.indexOf("call PrepareMemoryBuffers") < f.view.log.indexOf("status " + texts::Measuring()));
    QCOMPARE(f.view.gauge, QList<int>({0, 100}));
    QCOMPARE(f.state.Results().Total(), TimeValue::FromTenths(12));
  }

  void hddGroupCountsOnlyTheThirdPassSums() {
    Fixture f;
    f.tests.tenths = {{Test::Write1, 1}, {Test::Write2, 2}, {Test::Write3, 3},
                      {Test::Read1, 4},  {Test::Read2, 5},  {Test::Read3, 6}};
    QStringList totalsShown;
    f.view.onPump = [&] { totalsShown << f.view.labels[ResultLabel::KAll]; };
    f.sequencer.BHDDClick();

    const QStringList pass = QStringList({"PrepareDiskFiles", "ScratchWrite"}) + kDiskCalls;
    QCOMPARE(f.tests.calls, QStringList({"CheckTestDrive", "PrepareMemoryBuffers"}) + Repeat(pass, 3) +
                                QStringList({"CleanupTestData"}));
    QCOMPARE(f.view.gauge, QList<int>({0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 100}));
    QCOMPARE(f.view.Statuses(), QStringList({texts::Preparing(), texts::Measuring()}) +
                                    Repeat(QStringList({texts::Preparing()}) + kDiskTexts, 3));
    // Each slot holds the sum of its three passes; the total all of them once.
    QCOMPARE(f.state.Results()[Test::Read3].elapsed, TimeValue::FromTenths(18));
    QCOMPARE(f.view.labels[ResultLabel::KWrite1], QStringLiteral("  0.3sec"));
    QCOMPARE(f.state.Results().Total(), TimeValue::FromTenths(63));
    // Before pass 3 the total shown stays 0 although the disk labels grow.
    QVERIFY(totalsShown.contains(QStringLiteral("  0.0sec")));
    QVERIFY(!totalsShown.mid(0, totalsShown.size() / 2).contains(QStringLiteral("  6.3sec")));
    QVERIFY(IdleButtons(f.view));
  }

  void hddGroupWithUnusableDriveTouchesNothingElse() {
    Fixture f;
    f.tests.driveUnusable = true;
    f.sequencer.BHDDClick();
    QCOMPARE(f.tests.calls, QStringList({"CheckTestDrive"}));
    QCOMPARE(f.view.messages, QStringList({"error: drive refused"}));
    QVERIFY(f.view.enabledButtons.empty());
    QCOMPARE(f.view.log.last(), QStringLiteral("processor line"));
  }

  void allGroupRunsEveryTestWithItsGaugeAndTexts() {
    Fixture f;
    f.sequencer.BAllClick();
    const QStringList pass = QStringList({"PrepareDiskFiles", "ScratchWrite"}) + kDiskCalls;
    QCOMPARE(f.tests.calls, QStringList({"CheckTestDrive", "PrepareMemoryBuffers", "PrimeLoadWorker", "PrimeTest",
                                         "ArctanLoadWorker", "TrigTest", "SquareTest", "CircleTest", "TriangleTest",
                                         "TextTest", "ScrollTest", "MemoryCopyTest"}) +
                                Repeat(pass, 3) + QStringList({"MixModeTest", "CleanupTestData"}));
    QCOMPARE(f.view.gauge, QList<int>({0,  10, 20, 25, 30, 35, 40, 50, 60, 61, 62, 63, 65, 67,
                                       69, 70, 71, 72, 74, 76, 78, 79, 80, 81, 83, 85, 87, 100}));
    QCOMPARE(f.view.Statuses(), QStringList({texts::Preparing()}) + kAllTexts +
                                    Repeat(QStringList({texts::Preparing()}) + kDiskTexts, 3) +
                                    QStringList({kMixText, texts::Finished()}));
    // 8 single tests + 6 disk slots of 3 passes + mix.
    QCOMPARE(f.state.Results().Total(), TimeValue::FromTenths(8 + 18 + 1));
    QCOMPARE(f.view.messages, QStringList({"info: " + texts::CompletedBox()}));
    // Stop is the one button enabled during the run, and it has the focus.
    QVERIFY(f.view.log.indexOf("enable BStop") < f.view.log.indexOf("focus BStop"));
    QVERIFY(IdleButtons(f.view));
  }

  void stopDuringTrigFinishesThatStepAndSkipsTheRest() {
    Fixture f;
    f.tests.tenths = {{Test::Calc, 10}, {Test::Trig, 20}};
    f.tests.before["TrigTest"] = [&] { f.state.BStopClick(); };
    f.sequencer.BAllClick();
    QCOMPARE(f.tests.calls, QStringList({"CheckTestDrive", "PrepareMemoryBuffers", "PrimeLoadWorker", "PrimeTest",
                                         "ArctanLoadWorker", "TrigTest", "CleanupTestData"}));
    QCOMPARE(f.view.gauge, QList<int>({0, 10, 20}));
    QCOMPARE(f.state.Results().Total(), TimeValue::FromTenths(30));
    QCOMPARE(f.view.messages, QStringList({"info: " + texts::StoppedBox()}));
    QVERIFY(f.view.enabledButtons.at(Button::BRep));
  }

  void stopInFirstDiskPassAddsNoDiskTime() {
    Fixture f;
    int writes50 = 0;
    f.tests.before["DiskWrite50"] = [&] {
      if (++writes50 == 1) f.state.BStopClick();
    };
    f.sequencer.BAllClick();
    QCOMPARE(f.tests.calls.count("DiskWrite50"), 1);
    QCOMPARE(f.tests.calls.count("DiskRead40"), 0);
    QCOMPARE(f.tests.calls.count("PrepareDiskFiles"), 1);
    QCOMPARE(f.state.Results()[Test::Write2].elapsed, TimeValue::FromTenths(1));
    QCOMPARE(f.state.Results().Total(), TimeValue::FromTenths(8));  // the disk slots never counted
    QCOMPARE(f.view.gauge.last(), 62);
    QCOMPARE(f.view.messages, QStringList({"info: " + texts::StoppedBox()}));
  }

  void allGroupWithUnusableDriveStopsAtOnce() {
    Fixture f;
    f.tests.driveUnusable = true;
    f.sequencer.BAllClick();
    QCOMPARE(f.tests.calls, QStringList({"CheckTestDrive", "CleanupTestData"}));
    QCOMPARE(f.view.messages, QStringList({"error: drive refused", "info: " + texts::StoppedBox()}));
    QCOMPARE(f.view.gauge, QList<int>({0}));
    QVERIFY(IdleButtons(f.view));
  }

  void failureInsideGroupIsShownAndUnlocksTheWindow() {
    Fixture f;
    f.tests.before["ScratchWrite"] = [] { throw TorvikError(QStringLiteral("write failed")); };
    f.sequencer.BHDDClick();
    QCOMPARE(f.tests.calls.last(), QStringLiteral("CleanupTestData"));
    QCOMPARE(f.tests.calls.count("DiskWrite40"), 0);
    QCOMPARE(f.view.messages, QStringList({"error: write failed."}));  // the error box's full stop
    QVERIFY(IdleButtons(f.view));
    QCOMPARE(f.state.StopFlag(), kStopRequested);  // the sheet says "Bench Stop"
    // The test files go first: a full disk does not wait on the box.
    QVERIFY(f.view.log.indexOf("call CleanupTestData") < f.view.log.indexOf("message write failed."));
    QCOMPARE(f.view.log.last(), QStringLiteral("processor line"));
  }

  // Test files that could not be deleted (a folder made read-only) are named:
  // in the error box of a failure, in a notice after a completed group.
  void undeletedFilesAreNamed() {
    Fixture failing;
    failing.tests.undeletable = {"/srv/t/TORVIK12.dat"};
    failing.tests.before["ScratchWrite"] = [] { throw TorvikError(QStringLiteral("write failed")); };
    failing.sequencer.BHDDClick();
    QCOMPARE(failing.view.messages,
             QStringList({"error: write failed.\n削除できなかったテストファイル: /srv/t/TORVIK12.dat"}));
    Fixture completing;
    completing.tests.undeletable = {"/srv/t/TORVIK.rd0", "/srv/t/TORVIK3.dat"};
    completing.sequencer.BMixClick();
    QCOMPARE(completing.view.messages,
             QStringList({"info: " + texts::CompletedBox(),
                          "notice: 削除できなかったテストファイル: /srv/t/TORVIK.rd0, /srv/t/TORVIK3.dat"}));
  }

  // A failed test shows no time, and neither does a disk test that missed a
  // pass: its slot would hold the sum of fewer passes than the sheet assumes.
  void failedTestsLeaveNoTime_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("call");  // which call of that step fails, from 1
    QTest::addColumn<QList<int>>("kept");
    const auto all = [](std::initializer_list<Test> tests) {
      QList<int> list;
      for (Test t : tests) list << static_cast<int>(t);
      return list;
    };
    QTest::newRow("HDD, read 50 MB in pass 3")
        << "HDD"
        << "DiskRead50" << 3 << all({Test::Write1, Test::Write2, Test::Write3, Test::Read1});
    QTest::newRow("HDD, write 40 MB in pass 1") << "HDD"
                                                << "DiskWrite40" << 1 << QList<int>();
    QTest::newRow("HDD, scratch of pass 2") << "HDD"
                                            << "ScratchWrite" << 2 << QList<int>();
    QTest::newRow("ALL, mix mode") << "ALL"
                                   << "MixModeTest" << 1
                                   << all({Test::Calc, Test::Trig, Test::Square, Test::Circle, Test::Triangle,
                                           Test::Text, Test::Scroll, Test::Memory, Test::Write1, Test::Write2,
                                           Test::Write3, Test::Read1, Test::Read2, Test::Read3});
    QTest::newRow("Memory, its copy test") << "Memory"
                                           << "MemoryCopyTest" << 1 << QList<int>();
  }
  void failedTestsLeaveNoTime() {
    QFETCH(QString, group);
    QFETCH(QString, failing);
    QFETCH(int, call);
    QFETCH(QList<int>, kept);
    Fixture f;
    int calls = 0;
    f.tests.before[failing] = [&] {
      if (++calls == call) throw IoError(kIoDiskFull);
    };
    if (group == u"HDD") f.sequencer.BHDDClick();
    if (group == u"ALL") f.sequencer.BAllClick();
    if (group == u"Memory") f.sequencer.BMixClick();
    QCOMPARE(f.view.messages.last(), QStringLiteral("error: ﾃﾞｨｽｸがいっぱいです."));
    for (size_t i = 0; i < kTestCount; ++i) {
      const Test test = static_cast<Test>(i);
      const bool hasTime = !f.state.Results()[test].elapsed.IsZero();
      QVERIFY2(hasTime == kept.contains(static_cast<int>(i)), qPrintable(QString::number(i)));
      QCOMPARE(f.view.labels[LabelOf(test)].isEmpty(), !hasTime);
    }
    QVERIFY(IdleButtons(f.view));
    QCOMPARE(f.tests.calls.last(), QStringLiteral("CleanupTestData"));
  }

  void closingMidRunReleasesTestDataAndUnwinds() {
    Fixture f;
    bool unwound = false;
    // The close is seen at the next pumping point, the total shown after the
    // prime test: neither the second worker nor the trig test starts.
    f.tests.before["PrimeTest"] = [&] { f.view.closeRequested = true; };
    try {
      f.sequencer.BCPUClick();
    } catch (const ExitRequested&) {
      unwound = true;
    }
    QVERIFY(unwound);
    QCOMPARE(f.tests.calls, QStringList({"PrimeLoadWorker", "PrimeTest", "CleanupTestData"}));
    QVERIFY(f.view.messages.isEmpty());
  }

  void everyGroupStartsFromACleanTable() {
    Fixture f;
    f.tests.before["TrigTest"] = [&] { f.state.BStopClick(); };
    f.sequencer.BAllClick();
    QCOMPARE(f.state.StopFlag(), kStopRequested);
    f.tests.before.clear();
    f.sequencer.BMixClick();
    QCOMPARE(f.state.StopFlag(), 0);
    QVERIFY(f.state.Results()[Test::Calc].elapsed.IsZero());
    QVERIFY(f.state.Results()[Test::Trig].elapsed.IsZero());
    QCOMPARE(f.view.labels[ResultLabel::KCalc], QString());
    QCOMPARE(f.state.Results().Total(), TimeValue::FromTenths(1));
  }
};

QTEST_GUILESS_MAIN(GroupSequencerTest)
#include "test_group_sequencer.moc"
