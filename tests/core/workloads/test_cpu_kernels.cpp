// The counting rules of the processor tests' measured work, checked on the
// product's own kernel templates with a counting probe, and the worker loops
// exactly as the workers run them.
#include <QtTest>
#include <cmath>

#include "core/workloads/CpuKernels.h"
#include "core/workloads/CpuWorkloads.h"

using namespace torvik;

namespace {

struct CountingProbe {
  int64_t remainders = 0;
  int64_t composites = 0;
  int64_t arguments = 0;
  int32_t firstArgument = 0;
  int32_t lastArgument = 0;
  int64_t keepGoingCalls = 0;
  int64_t stopAfter = -1;  // KeepGoing answers false once called this often

  bool KeepGoing() { return stopAfter < 0 || keepGoingCalls++ < stopAfter; }
  void Remainder() { ++remainders; }
  void Composite(int32_t) { ++composites; }
  void Argument(int32_t i) {
    if (arguments++ == 0) firstArgument = i;
    lastArgument = i;
  }
};

int64_t Remainders(int32_t first, int32_t last) {
  CountingProbe probe;
  TrialDivision(first, last, probe);
  return probe.remainders;
}

class CountingHooks : public WorkerHooks {
 public:
  bool KeepGoing() override { return ++checks <= allowed; }
  void CheckQueue() override { ++queueChecks; }
  int64_t checks = 0;
  int64_t allowed = INT64_MAX;
  int64_t queueChecks = 0;
};

}  // namespace

class CpuKernelsTest : public QObject {
  Q_OBJECT

 private slots:
  void remaindersPerNumber_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<qint64>("remainders");
    QTest::newRow("1 takes none") << 1 << qint64(0);
    QTest::newRow("2 takes none") << 2 << qint64(0);
    QTest::newRow("3 takes 3 mod 2") << 3 << qint64(1);
    QTest::newRow("4 stops at its first zero") << 4 << qint64(1);
    QTest::newRow("9 stops at 3") << 9 << qint64(2);
    QTest::newRow("prime 97 divides up to 96") << 97 << qint64(95);
    QTest::newRow("prime 99991 has no square-root bound") << 99'991 << qint64(99'989);
    QTest::newRow("25 stops at its smallest factor") << 25 << qint64(4);
  }
  void remaindersPerNumber() {
    QFETCH(int, n);
    QFETCH(qint64, remainders);
    QCOMPARE(Remainders(n, n), remainders);
  }

  void primeTestTotalIsTheWholeRange() {
    // The ten blocks of the prime test, counted on the same loop the product runs.
    int64_t total = 0;
    int64_t firstBlock = 0, lastBlock = 0;
    for (int32_t b = 1; b <= kPrimePlan.blocks; ++b) {
      const int64_t block = Remainders(kPrimePlan.perBlock * (b - 1) + 1, kPrimePlan.perBlock * b);
      if (b == 1) firstBlock = block;
      lastBlock = block;
      total += block;
    }
    QCOMPARE(total, int64_t{455'189'150});
    QCOMPARE(kPrimePlan.work, total);  // the work the precise rate is divided by
    // Block 10 costs about fourteen times block 1.
    QVERIFY(lastBlock > 13 * firstBlock && lastBlock < 15 * firstBlock);
  }

  void calcWorkerDividesAndChecksItsQueueOncePerComposite() {
    QCOMPARE(Remainders(1, 50'000), int64_t{121'331'871});
    CountingHooks hooks;
    CalcWorkerLoop(50'000, hooks);
    QCOMPARE(hooks.queueChecks, int64_t{44'866});
    QCOMPARE(hooks.checks, int64_t{50'000});  // asked before every number
  }

  void calcWorkerMakesNoQueueCheckForPrimesOrOneAndTwo() {
    CountingHooks hooks;
    CalcWorkerLoop(3, hooks);  // 1, 2, 3
    QCOMPARE(hooks.queueChecks, int64_t{0});
    CountingProbe probe;
    TrialDivision(7919, 7919, probe);  // a prime
    QCOMPARE(probe.composites, int64_t{0});
  }

  void workersEndWhenTerminationIsRequested() {
    CountingHooks calc;
    calc.allowed = 10;  // numbers 1..10, then the request is seen
    CalcWorkerLoop(50'000, calc);
    QCOMPARE(calc.checks, int64_t{11});
    QCOMPARE(calc.queueChecks, int64_t{5});  // 4, 6, 8, 9, 10

    CountingHooks root;
    root.allowed = 1000;
    RootWorkerLoop(40'000'000, root);
    QCOMPARE(root.checks, int64_t{1001});
  }

  void trigArgumentsRunFromOneUpward() {
    CountingProbe probe;
    TrigSeries(1, 1000, probe);
    QCOMPARE(probe.firstArgument, 1);
    QCOMPARE(probe.lastArgument, 1000);
    QCOMPARE(probe.arguments, int64_t{1000});
    // The test's plan: 10 blocks of 4,000,000 end at 40,000,000; 0 is never used.
    QCOMPARE(kTrigPlan.blocks * kTrigPlan.perBlock, 40'000'000);
    QCOMPARE(kTrigPlan.work, int64_t{3} * 40'000'000);  // tan, cos and sin of each
    CountingProbe lastBlock;
    TrigSeries(kTrigPlan.perBlock * 9 + 1, kTrigPlan.perBlock * 9 + 3, lastBlock);
    QCOMPARE(lastBlock.firstArgument, 36'000'001);
  }

  void arcTanSeriesObeysItsProbe() {
    CountingProbe probe;
    probe.stopAfter = 3;
    ArcTanSeries(1, 40'000'000, probe);
    QCOMPARE(probe.arguments, int64_t{3});
    QCOMPARE(probe.lastArgument, 3);
  }

  void x87InstructionsComputeTheFunctions() {
    // The x87 results agree with the C library's where the reduction is easy.
    for (long double x : {1.0L, 2.0L, 10.0L, 1000.0L}) {
      QVERIFY(std::fabs(static_cast<double>(arch::X87Tan(x) - tanl(x))) < 1e-9);
      QVERIFY(std::fabs(static_cast<double>(arch::X87Cos(x) - cosl(x))) < 1e-12);
      QVERIFY(std::fabs(static_cast<double>(arch::X87Sin(x) - sinl(x))) < 1e-12);
      QVERIFY(std::fabs(static_cast<double>(arch::X87ArcTan(x) - atanl(x))) < 1e-15);
    }
    // Many tangents in a row keep the x87 stack balanced (fptan's 1.0 is popped).
    long double sum = 0;
    for (int i = 1; i <= 100; ++i) sum += arch::X87Tan(i);
    QVERIFY(std::isfinite(static_cast<double>(sum)));
    QVERIFY(std::fabs(static_cast<double>(arch::X87Cos(0.5L)) - std::cos(0.5)) < 1e-15);
  }
};

QTEST_GUILESS_MAIN(CpuKernelsTest)
#include "test_cpu_kernels.moc"
