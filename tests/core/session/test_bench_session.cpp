// The run session on recording fakes: every group runs exactly its
// catalogue's tests and hands back its record (names and test directory as
// the settings hold them, stopped when Stop was pressed); a group that
// fails or is unwound hands back none; a test directory the groups would
// refuse is told before anything runs; the Report button's record re-reads
// the settings.
#include <QtTest>

#include "FakeProcessor.h"
#include "Recorder.h"
#include "StorageFakes.h"
#include "core/base/Errors.h"
#include "core/session/BenchSession.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

// A Pentium III without a time-stamp counter: nothing to measure at length.
const FakeProcessor& QuickProcessor() {
  static const FakeProcessor processor = FakeProcessor::WithLeaf1("GenuineIntel", 0x683);
  return processor;
}

struct Fixture {
  ScratchDirectory folder;
  RecordingView view;
  RunState state{view};
  RecordingTests tests{state, view};
  MemorySettings settings;
  AnyDiskRules rules;
  TestDirectory directory{state, settings, platform::FileSystem::Default(), rules};
  MachineComponents machine{QuickProcessor(), platform::SystemSources::Default(),
                            DisplayFacts{QStringLiteral("offscreen"), false, {}}, ClockComponent::WhenFirstNeeded};
  BenchSession session{{state, tests, directory, settings, rules, machine, platform::FileSystem::Default()}};

  Fixture() {
    settings.Write(settings::kDrive, folder.Path());
    settings.Write(settings::kUserName, QStringLiteral("山田"));
    settings.Write(settings::kPcName, QStringLiteral("desk-1"));
  }
};

}  // namespace

class BenchSessionTest : public QObject {
  Q_OBJECT

 private slots:
  void everyGroupRunsExactlyItsTests_data() {
    QTest::addColumn<int>("group");
    for (const GroupEntry& entry : kGroups) QTest::newRow(entry.id) << static_cast<int>(entry.group);
  }
  void everyGroupRunsExactlyItsTests() {
    QFETCH(int, group);
    const GroupEntry& entry = EntryOf(static_cast<Group>(group));
    Fixture f;
    const std::optional<RunRecord> record = f.session.Run(entry.group);
    QVERIFY(record);
    QStringList expected, ran;
    for (Test test : entry.tests) expected << QLatin1String(EntryOf(test).operation);
    for (const TestEntry& test : kTests) {
      if (f.tests.calls.contains(QLatin1String(test.operation))) ran << QLatin1String(test.operation);
      QCOMPARE(!record->results[test.test].elapsed.IsZero(), entry.tests.end() != std::find(entry.tests.begin(),
                                                                                              entry.tests.end(),
                                                                                              test.test));
    }
    std::sort(expected.begin(), expected.end());
    std::sort(ran.begin(), ran.end());
    QCOMPARE(ran, expected);
    QCOMPARE(record->groups, std::vector<Group>{entry.group});
    QVERIFY(!record->stopped);
    QCOMPARE(record->userName, QStringLiteral("山田"));
    QCOMPARE(record->pcName, QStringLiteral("desk-1"));
    QCOMPARE(record->machine.testDirectory.path, f.folder.Path());
    QVERIFY(!f.session.Running());
  }

  // Stop during ALL: the record says so. A step that fails: no record, the
  // failure told. A close while a step pumps: no record, nothing told.
  void stoppedFailedAndUnwoundGroups() {
    Fixture stopped;
    stopped.tests.before["TrigTest"] = [&stopped] { stopped.session.Stop(); };
    const std::optional<RunRecord> record = stopped.session.Run(Group::All);
    QVERIFY(record && record->stopped);
    QVERIFY(!stopped.tests.calls.contains(QStringLiteral("SquareTest")));

    Fixture failed;
    failed.tests.before["MemoryCopyTest"] = [] { throw IoError(kIoDiskFull); };
    QVERIFY(!failed.session.Run(Group::Memory));
    QCOMPARE(failed.view.messages.filter(QStringLiteral("error: ")).size(), 1);

    Fixture closed;
    closed.tests.before["PrimeTest"] = [&closed] {
      closed.view.closeRequested = true;
      closed.state.PumpMessages();
    };
    QVERIFY(!closed.session.Run(Group::Cpu));
    QVERIFY(closed.view.messages.isEmpty());
    QVERIFY(!closed.session.Running());
  }

  // Refused in the groups' own words before anything is made; the Report
  // button's record takes the names as the settings hold them now.
  void refusalsAndTheReportRecord() {
    Fixture f;
    QVERIFY(f.session.Refusal(Group::Cpu).isEmpty());
    QVERIFY(f.session.Refusal(Group::Memory).isEmpty());
    f.settings.Write(settings::kDrive, f.folder.Path() + QStringLiteral("missing/"));
    for (Group group : {Group::Memory, Group::Hdd, Group::All}) {
      QVERIFY(f.session.Refusal(group).startsWith(texts::NoDiskInformation()));
    }
    QVERIFY(f.session.Refusal(Group::Graphic).isEmpty());  // it makes no file
    QVERIFY(f.tests.calls.isEmpty());
    QCOMPARE(f.folder.Entries(), QStringList());

    f.settings.Write(settings::kPcName, QStringLiteral("desk-2"));
    f.settings.Write(settings::kDrive, f.folder.Path());
    f.session.Stop();
    const RunRecord report = f.session.ReportRecord();
    QCOMPARE(report.pcName, QStringLiteral("desk-2"));
    QCOMPARE(f.session.PcName(), QStringLiteral("desk-2"));
    QVERIFY(report.stopped);
    f.settings.wrongType << settings::kUserName;
    QVERIFY_THROWS_EXCEPTION(TorvikError, f.session.ReportRecord());
  }
};

QTEST_GUILESS_MAIN(BenchSessionTest)
#include "test_bench_session.moc"
