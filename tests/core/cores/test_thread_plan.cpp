// The thread plan on captured and synthetic machines: which processors the
// program may use (affinity, cgroup v2 and v1 cpusets and quotas), the
// order threads are pinned in (cores before SMT siblings, performance
// before efficiency cores, by capacity and package), the thread counts
// measured, and the words that say why fewer processors are used. Also the
// kernel's list and quota formats.
#include <QtTest>

#include "TreeSources.h"
#include "core/cores/CoresGroup.h"
#include "core/cores/ProcessorAllowance.h"
#include "core/cores/ThreadPlan.h"

using namespace torvik;
using namespace torvik::testing;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

std::vector<int> Range(int first, int last, int step = 1) {
  std::vector<int> ids;
  for (int i = first; i <= last; i += step) ids.push_back(i);
  return ids;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

QString Text(const std::vector<int>& ids) {
  QStringList parts;
  for (int id : ids) parts << QString::number(id);
  return parts.join(u' ');
}

}  // namespace

class ThreadPlanTest : public QObject {
  Q_OBJECT

 private slots:
  void planOfMachine_data() {
    QTest::addColumn<QString>("machine");
    QTest::addColumn<std::vector<int>>("affinity");
    QTest::addColumn<int>("machineProcessors");
    QTest::addColumn<std::vector<int>>("order");
    QTest::addColumn<std::vector<int>>("counts");
    QTest::addColumn<int>("physical");
    QTest::addColumn<bool>("smt");
    QTest::addColumn<QString>("reasons");

    using V = std::vector<int>;
    QTest::newRow("one processor") << "one" << V{} << 1 << V{0} << V{1} << 1 << false << "";
    QTest::newRow("this kind of VM, 2 processors") << "vm2" << V{0, 1} << 2 << V{0, 1} << V{1, 2} << 2 << false << "";
    QTest::newRow("taskset -c 0") << "vm2" << V{0} << 2 << V{0} << V{1} << 1 << false << "affinity";
    QTest::newRow("8 with SMT: cores, then siblings")
        << "smt8" << Range(0, 7) << 8 << V{0, 1, 2, 3, 4, 5, 6, 7} << V{1, 2, 4, 8} << 4 << true << "";
    QTest::newRow("8 with SMT, taskset of a core and a half")
        << "smt8" << V{0, 1, 4} << 8 << V{0, 1, 4} << V{1, 2, 3} << 2 << true << "affinity";
    QTest::newRow("64 in two packages: package 0 first")
        << "two-packages-64" << V{} << 64 << Join(Range(32, 63), Range(0, 31)) << V{1, 2, 4, 8, 16, 32, 64} << 64
        << false << "";
    QTest::newRow("256 with SMT: 128 cores, then siblings")
        << "server256" << V{} << 256 << Range(0, 255) << V{1, 2, 4, 8, 16, 32, 64, 128, 256} << 128 << true << "";
    QTest::newRow("hybrid: P cores, E cores, then P siblings")
        << "hybrid" << V{} << 24 << Join(Join(Range(0, 14, 2), Range(16, 23)), Range(1, 15, 2)) << V{1, 2, 4, 8, 16, 24}
        << 16 << true << "";
    QTest::newRow("big.LITTLE by capacity")
        << "big-little" << V{} << 8 << V{4, 5, 6, 7, 0, 1, 2, 3} << V{1, 2, 4, 8} << 8 << false << "";
    QTest::newRow("cgroup v2 cpuset of 3 out of 8")
        << "cpuset3of8" << Range(0, 7) << 8 << V{2, 3, 6} << V{1, 2, 3} << 3 << false << "cpuset";
    QTest::newRow("cgroup v2 cpuset, the mask as the kernel leaves it")
        << "cpuset3of8" << V{2, 3, 6} << 8 << V{2, 3, 6} << V{1, 2, 3} << 3 << false << "cpuset";
    QTest::newRow("cgroup v2 cpuset and taskset inside it")
        << "cpuset3of8" << V{2, 6} << 8 << V{2, 6} << V{1, 2} << 2 << false << "affinity,cpuset";
    QTest::newRow("cgroup v2 quota of 1.5 above the group")
        << "quota-v2" << Range(0, 3) << 4 << V{0} << V{1} << 1 << false << "quota";
    QTest::newRow("cgroup v1 quota of 2")
        << "quota-v1" << Range(0, 3) << 4 << V{0, 1} << V{1, 2} << 2 << false << "quota";
  }
  void planOfMachine() {
    QFETCH(QString, machine);
    QFETCH(std::vector<int>, affinity);
    QFETCH(int, machineProcessors);
    QFETCH(std::vector<int>, order);
    QFETCH(std::vector<int>, counts);
    QFETCH(int, physical);
    QFETCH(bool, smt);
    QFETCH(QString, reasons);

    TreeSources sources(machine);
    QVERIFY2(!sources.files.empty(), qPrintable(machine));
    FakeAffinity fake;
    fake.allowed = affinity;
    GroupEnvironment environment;
    environment.sources = &sources;
    environment.affinity = &fake;
    const CoresPlan plan = PlanCoresGroup(environment);

    QCOMPARE(plan.allowance.machineProcessors, machineProcessors);
    QCOMPARE(Text(plan.threads.pinOrder), Text(order));
    std::vector<int> measured;
    for (const ThreadPoint& point : plan.threads.points) {
      measured.push_back(point.threads);
      // A point runs on the first processors of the order, one thread each.
      QCOMPARE(Text(point.processors), Text(std::vector<int>(order.begin(), order.begin() + point.threads)));
    }
    QCOMPARE(Text(measured), Text(counts));
    QCOMPARE(plan.threads.physicalCores, physical);
    QCOMPARE(plan.threads.smt, smt);
    QStringList words;
    for (const std::string& word : plan.allowance.Reasons()) words << QString::fromStdString(word);
    QCOMPARE(words.join(u','), reasons);
    QCOMPARE(plan.allowance.Fewer(), !reasons.isEmpty());
    QCOMPARE(plan.PointCount(), static_cast<int>(counts.size() * CoresWork::AllTests().size()));
  }

  void machineWithoutProcessorListUsesTheAffinity() {
    TreeSources nothing(QStringLiteral("no-such-machine"));
    FakeAffinity fake;
    fake.allowed = {1, 3};
    GroupEnvironment environment;
    environment.sources = &nothing;
    environment.affinity = &fake;
    const CoresPlan plan = PlanCoresGroup(environment);
    QCOMPARE(Text(plan.threads.pinOrder), QStringLiteral("1 3"));
    QCOMPARE(plan.threads.points.size(), size_t{2});

    fake.allowed.clear();
    const CoresPlan blind = PlanCoresGroup(environment);
    QCOMPARE(Text(blind.threads.pinOrder), QStringLiteral("0"));
  }

  void planKeepsTheWorkloadsItKnowsOnce() {
    TreeSources sources(QStringLiteral("smt8"));
    CoresWork work = CoresWork::Standard();
    work.tests = {QStringLiteral("sha256"), QStringLiteral("no-such-test"), QStringLiteral("division"),
                  QStringLiteral("sha256")};
    const ProcessorTopology topology = ReadProcessorTopology(sources);
    const CoresPlan plan = PlanCoresGroup(topology, CombineAllowance(topology, {}, {}), work);
    QCOMPARE(plan.work.tests, QStringList({"sha256", "division"}));
    QCOMPARE(plan.PointCount(), 2 * 4);
  }

  void whyFewerSaysItInOneLine_data() {
    QTest::addColumn<QString>("machine");
    QTest::addColumn<std::vector<int>>("affinity");
    QTest::addColumn<QString>("text");
    QTest::newRow("all") << "smt8" << std::vector<int>{} << "";
    QTest::newRow("taskset") << "vm2" << std::vector<int>{0}
                             << "論理プロセッサ 2 個のうち 1 個を使用: CPU アフィニティ（taskset など）による制限";
    QTest::newRow("cpuset") << "cpuset3of8" << std::vector<int>{}
                            << "論理プロセッサ 8 個のうち 3 個を使用: cgroup の cpuset による制限";
    QTest::newRow("quota") << "quota-v2" << std::vector<int>{}
                           << "論理プロセッサ 4 個のうち 1 個を使用: cgroup の CPU 時間の上限（1.5 CPU 分）";
    QTest::newRow("cpuset and taskset")
        << "cpuset3of8" << std::vector<int>{2, 6}
        << "論理プロセッサ 8 個のうち 2 個を使用: CPU アフィニティ（taskset など）による制限、"
           "cgroup の cpuset による制限";
  }
  void whyFewerSaysItInOneLine() {
    QFETCH(QString, machine);
    QFETCH(std::vector<int>, affinity);
    QFETCH(QString, text);
    TreeSources sources(machine);
    const ProcessorTopology topology = ReadProcessorTopology(sources);
    const ProcessorAllowance allowance = CombineAllowance(topology, affinity, ReadCgroupLimits(sources));
    QCOMPARE(allowance.WhyFewer(), text);
  }

  void processorLists_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ids");
    QTest::newRow("range and singles") << "0-3,8,10-11\n"
                                       << "0 1 2 3 8 10 11";
    QTest::newRow("one") << "5"
                         << "5";
    QTest::newRow("empty line") << "\n"
                                << "";
    QTest::newRow("out of order, repeated") << "4,1-2,2"
                                            << "1 2 4";
    QTest::newRow("a bad part ends the list") << "0-1,x,5"
                                              << "0 1";
    QTest::newRow("backwards range") << "3-1"
                                     << "";
  }
  void processorLists() {
    QFETCH(QString, text);
    QFETCH(QString, ids);
    QCOMPARE(Text(ParseProcessorList(text.toStdString())), ids);
  }

  void cpuMax_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("processors");  // -1: no quota
    QTest::newRow("no quota") << "max 100000\n" << -1.0;
    QTest::newRow("one and a half") << "150000 100000\n" << 1.5;
    QTest::newRow("quarter") << "25000 100000" << 0.25;
    QTest::newRow("zero period") << "100000 0" << -1.0;
    QTest::newRow("garbage") << "lots" << -1.0;
    QTest::newRow("negative") << "-5 100000" << -1.0;
  }
  void cpuMax() {
    QFETCH(QString, text);
    QFETCH(double, processors);
    const std::optional<double> quota = ParseCpuMax(text.toStdString());
    QCOMPARE(quota.value_or(-1.0), processors);
  }

  void aQuotaBelowOneStillRunsOneThread() {
    TreeSources sources(QStringLiteral("quota-v2"));
    sources.files["/sys/fs/cgroup/user.slice/cpu.max"] = "25000 100000\n";
    const ProcessorTopology topology = ReadProcessorTopology(sources);
    const ProcessorAllowance allowance = CombineAllowance(topology, {}, ReadCgroupLimits(sources));
    QCOMPARE(allowance.usableCount, 1);
    const ThreadPlan plan = MakeThreadPlan(topology, allowance);
    QCOMPARE(plan.points.size(), size_t{1});
  }
};

QTEST_GUILESS_MAIN(ThreadPlanTest)
#include "test_thread_plan.moc"
