// A fleet's machines judged as an administrator reads them: stale after
// the time chosen without a word (its last arrival, else its last run; a
// retired machine never), behind when its latest run's TORVIK knows an
// older schema than the fleet's newest (or is too old to say), pending
// first; and which machine a name on the command line means.
#include <QtTest>

#include "core/analysis/FleetStatus.h"

using namespace torvik;

namespace {

constexpr int64_t kNow = 1'800'000'000, kDay = 24 * 60 * 60;

FleetMachine Machine(const char* id, const char* name, MachineState state, std::optional<int64_t> heard,
                     std::optional<int> schema = 12) {
  FleetMachine m;
  m.machineId = QLatin1String(id);
  m.role = QStringLiteral("desk");
  m.state = state;
  m.pcName = QLatin1String(name);
  m.lastReceived = heard;
  if (heard) {
    m.lastRun = 1;
    m.lastRunTime = *heard;
  }
  m.lastSchema = schema;
  return m;
}

}  // namespace

class FleetStatusTest : public QObject {
  Q_OBJECT

 private slots:
  void staleAndBehind_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<int64_t>("heardDaysAgo");  // < 0: never
    QTest::addColumn<int>("schema");            // 0: too old to say
    QTest::addColumn<bool>("arrivalOnly");      // heard by its run's start alone
    QTest::addColumn<bool>("stale");
    QTest::addColumn<bool>("behind");
    const int approved = int(MachineState::Approved), retired = int(MachineState::Retired),
              pending = int(MachineState::Pending);
    QTest::newRow("heard today") << approved << int64_t{0} << 12 << false << false << false;
    QTest::newRow("seven days: not yet") << approved << int64_t{7} << 12 << false << false << false;
    QTest::newRow("eight days: stale") << approved << int64_t{8} << 12 << false << true << false;
    QTest::newRow("pending and silent") << pending << int64_t{30} << 12 << false << true << false;
    QTest::newRow("retired is never stale") << retired << int64_t{300} << 9 << false << false << false;
    QTest::newRow("an older TORVIK") << approved << int64_t{1} << 11 << false << false << true;
    QTest::newRow("too old to say") << approved << int64_t{1} << 0 << false << false << true;
    QTest::newRow("no arrival kept: its run") << approved << int64_t{9} << 12 << true << true << false;
    QTest::newRow("never a run") << pending << int64_t{-1} << 12 << false << true << false;
  }
  void staleAndBehind() {
    QFETCH(int, state);
    QFETCH(int64_t, heardDaysAgo);
    QFETCH(int, schema);
    QFETCH(bool, arrivalOnly);
    QFETCH(bool, stale);
    QFETCH(bool, behind);
    FleetMachine m = Machine("aaaaaaaa", "desk-1", MachineState(state),
                             heardDaysAgo < 0 ? std::nullopt : std::optional(kNow - heardDaysAgo * kDay),
                             schema == 0 ? std::nullopt : std::optional(schema));
    if (arrivalOnly) m.lastReceived.reset();
    // The fleet's newest TORVIK knows 12: another machine's.
    const std::vector<MachineStatus> judged =
        JudgeFleet({m, Machine("bbbbbbbb", "desk-2", MachineState::Approved, kNow)}, kNow, 7 * kDay, 10);
    const auto it = std::find_if(judged.begin(), judged.end(),
                                 [](const MachineStatus& s) { return s.machine.machineId == u"aaaaaaaa"; });
    QVERIFY(it != judged.end());
    QCOMPARE(it->stale, stale);
    QCOMPARE(it->behind, behind);
  }

  // Pending first, then approved, then retired; by name within.
  void pendingFirst() {
    const std::vector<MachineStatus> judged =
        JudgeFleet({Machine("1", "b", MachineState::Approved, kNow), Machine("2", "z", MachineState::Retired, kNow),
                    Machine("3", "c", MachineState::Pending, kNow), Machine("4", "A", MachineState::Approved, kNow)},
                   kNow, kDay, 12);
    QStringList order;
    for (const MachineStatus& s : judged) order << s.machine.machineId;
    QCOMPARE(order, QStringList({"3", "4", "1", "2"}));
  }

  void machinesNamed_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("its id") << "0123456789abcdef" << QStringList{"0123456789abcdef"};
    QTest::newRow("six first digits") << "012345" << QStringList{"0123456789abcdef", "0123459999999999"};
    QTest::newRow("seven first digits") << "0123456" << QStringList{"0123456789abcdef"};
    QTest::newRow("upper-case digits") << "0123456789ABC" << QStringList{"0123456789abcdef"};
    QTest::newRow("five are too few") << "01234" << QStringList{};
    QTest::newRow("its name, any case") << "DESK-7" << QStringList{"fedcba9876543210"};
    QTest::newRow("no one") << "desk-8" << QStringList{};
    QTest::newRow("empty") << "  " << QStringList{};
  }
  void machinesNamed() {
    QFETCH(QString, which);
    QFETCH(QStringList, ids);
    const std::vector<FleetMachine> machines = {Machine("0123456789abcdef", "desk-1", MachineState::Pending, kNow),
                                                Machine("0123459999999999", "desk-2", MachineState::Pending, kNow),
                                                Machine("fedcba9876543210", "desk-7", MachineState::Pending, kNow)};
    QStringList got;
    for (const FleetMachine& m : MachinesNamed(machines, which)) got << m.machineId;
    QCOMPARE(got, ids);
  }
};

QTEST_GUILESS_MAIN(FleetStatusTest)
#include "test_fleet_status.moc"
