// The cores group's machinery: the pinned thread team (each thread on its
// processor, one timed window around every thread's work, a refused pin or
// a throwing task never leaving a thread behind), a point's failure paths
// (a wrong answer, memory refused, a pin refused: an error, never a
// figure), the memory check before anything is made, Stop between points,
// the derived scaling figures, and a short real run through the real code
// path at the smallest work a user may set.
#include <QtTest>
#include <atomic>
#include <mutex>
#include <thread>

#include "TreeSources.h"
#include "core/cores/CoresGroup.h"
#include "core/cores/DivisionWorkload.h"
#include "core/cores/MeasureFailure.h"
#include "core/cores/ThreadTeam.h"
#include "platform/Clock.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

const platform::ProcessorAffinity& Real() { return platform::ProcessorAffinity::Default(); }

// Up to `n` processors this test may run on.
std::vector<int> Usable(size_t n) {
  std::vector<int> allowed = Real().Allowed();
  if (allowed.empty()) allowed = {0};
  if (allowed.size() > n) allowed.resize(n);
  return allowed;
}

// Records what the group reports; asks to stop after `stopAfter` points.
class RecordingSink : public PointSink {
 public:
  bool StopRequested() override {
    ++stopAsked;
    return stopAfter >= 0 && static_cast<int>(points.size()) >= stopAfter;
  }
  void Progress(int percent, const QString& status) override { progress.emplace_back(percent, status); }
  void PointDone(const MeasuredPoint& point) override { points.push_back(point); }

  int stopAfter = -1;
  int stopAsked = 0;
  std::vector<std::pair<int, QString>> progress;
  std::vector<MeasuredPoint> points;
};

// A workload whose rounds do nothing but what a test tells them.
class FakeWorkload : public CoreWorkload {
 public:
  QString Test() const override { return QStringLiteral("fake"); }
  QString DisplayName() const override { return QStringLiteral("fake"); }
  QString Unit() const override { return QStringLiteral("ops/s"); }
  double WorkPerThread() const override { return 1; }
  int64_t BytesPerThread() const override { return 1 << 20; }
  void Begin(int) override { ++begun; }
  void Prepare(int index) override {
    if (index == failingThread && refuseMemory) throw std::bad_alloc();
  }
  void Run(int) override {}
  bool Verify(int index) override { return index != failingThread || !wrongAnswer; }
  void End() override { ++ended; }

  int failingThread = -1;
  bool refuseMemory = false, wrongAnswer = false;
  std::atomic<int> begun{0}, ended{0};
};

MeasureFailureKind KindOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const MeasureFailure& failure) {
    return failure.Kind();
  }
  QTest::qFail("no MeasureFailure", __FILE__, __LINE__);
  return MeasureFailureKind::WrongResult;
}

// The smallest work: a user's setting, through the same plan.
CoresWork SmallWork() {
  CoresWork work = CoresWork::Standard();
  work.divisionLast = 3000;
  work.corpusBytes = 128 << 10;
  work.compressRounds = 2;
  work.decompressRounds = 4;
  work.sha256Buffers = 16;
  work.gcmBuffers = 16;
  return work;
}

}  // namespace

class CoresGroupTest : public QObject {
  Q_OBJECT

 private slots:
  void eachThreadRunsOnItsProcessor() {
    const std::vector<int> processors = Usable(4);
    ThreadTeam team(processors, Real());
    QVERIFY(!team.Failure());
    std::vector<int> seen(processors.size(), -2);
    for (int round = 0; round < 3; ++round) {
      team.RunEach([&](int i) { seen[i] = Real().CallingThreadProcessor(); });
      for (size_t i = 0; i < processors.size(); ++i) QCOMPARE(seen[i], processors[i]);
    }
  }

  void timedWindowHoldsEveryThreadsWork() {
    const std::vector<int> processors = Usable(2);
    ThreadTeam team(processors, Real());
    QVERIFY(!team.Failure());
    std::vector<int64_t> starts(processors.size()), ends(processors.size());
    const int64_t before = platform::MonotonicNanoseconds();
    const int64_t elapsed = team.RunTimed([&](int i) {
      starts[i] = platform::MonotonicNanoseconds();
      std::this_thread::sleep_for(std::chrono::milliseconds(20 * (i + 1)));
      ends[i] = platform::MonotonicNanoseconds();
    });
    const int64_t after = platform::MonotonicNanoseconds();
    const int64_t first = *std::min_element(starts.begin(), starts.end());
    const int64_t last = *std::max_element(ends.begin(), ends.end());
    // From the common release (before any thread started) to the last end.
    QVERIFY(elapsed >= last - first);
    QVERIFY(elapsed >= 20'000'000 * static_cast<int64_t>(processors.size()));
    QVERIFY(elapsed <= after - before);
  }

  void manyShortRoundsNeverHang() {
    ThreadTeam team(Usable(4), Real());
    std::atomic<int> runs{0};
    for (int round = 0; round < 2000; ++round) {
      if (round % 2 == 0) {
        QVERIFY(team.RunTimed([&](int) { runs.fetch_add(1); }) >= 0);
      } else {
        team.RunEach([&](int) { runs.fetch_add(1); });
      }
    }
    QCOMPARE(runs.load(), 2000 * team.Size());
  }

  void aRefusedPinIsAFailureAndNoThreadStays() {
    const std::vector<int> processors = Usable(2);
    FakeAffinity refusing;
    refusing.refused = {processors.back()};
    refusing.error = 1;  // EPERM
    {
      ThreadTeam team(processors, refusing);
      QVERIFY(team.Failure());
      QCOMPARE(team.Failure()->processor, processors.back());
      QCOMPARE(team.Failure()->error, 1);
      // Nobody is left to run a round: it does nothing rather than wait.
      bool ran = false;
      QCOMPARE(team.RunTimed([&](int) { ran = true; }), int64_t{0});
      QVERIFY(!ran);
    }
    ThreadTeam empty({}, Real());
    QVERIFY(!empty.Failure());
    empty.RunEach([](int) {});
    // A processor that does not exist, refused by the system itself.
    ThreadTeam nowhere({processors.front(), 1 << 20}, Real());
    QVERIFY(nowhere.Failure());
    QCOMPARE(nowhere.Failure()->processor, 1 << 20);
    QCOMPARE(nowhere.Failure()->error, EINVAL);
  }

  void aThrowingTaskIsThrownOnceAllAreDone() {
    ThreadTeam team(Usable(2), Real());
    std::atomic<int> finished{0};
    bool thrown = false;
    try {
      team.RunEach([&](int i) {
        if (i == team.Size() - 1) throw std::runtime_error("task");
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        finished.fetch_add(1);
      });
    } catch (const std::runtime_error&) {
      thrown = true;
    }
    QVERIFY(thrown);
    QCOMPARE(finished.load(), team.Size() - 1);
    // The team goes on with the next round.
    team.RunEach([&](int) { finished.fetch_add(1); });
    QCOMPARE(finished.load(), 2 * team.Size() - 1);
  }

  void aPointFailsRatherThanGivingAFigure_data() {
    QTest::addColumn<bool>("refuseMemory");
    QTest::addColumn<bool>("wrongAnswer");
    QTest::addColumn<bool>("refusePin");
    QTest::addColumn<int>("kind");
    QTest::newRow("wrong answer") << false << true << false << int(MeasureFailureKind::WrongResult);
    QTest::newRow("memory refused") << true << false << false << int(MeasureFailureKind::MemoryRefused);
    QTest::newRow("pin refused") << false << false << true << int(MeasureFailureKind::PinRefused);
  }
  void aPointFailsRatherThanGivingAFigure() {
    QFETCH(bool, refuseMemory);
    QFETCH(bool, wrongAnswer);
    QFETCH(bool, refusePin);
    QFETCH(int, kind);
    const std::vector<int> processors = Usable(2);
    FakeWorkload workload;
    workload.failingThread = static_cast<int>(processors.size()) - 1;
    workload.refuseMemory = refuseMemory;
    workload.wrongAnswer = wrongAnswer;
    FakeAffinity affinity;
    if (refusePin) affinity.refused = {processors.back()};
    const ThreadPoint point{static_cast<int>(processors.size()), processors};
    QCOMPARE(int(KindOf([&] { MeasureCorePoint(workload, point, affinity); })), kind);
    // What was made is freed; a refused pin makes nothing.
    QCOMPARE(workload.begun.load(), refusePin ? 0 : 1);
    QCOMPARE(workload.ended.load(), workload.begun.load());
  }

  void notEnoughMemoryIsToldBeforeAnythingIsMade() {
    TreeSources sources(QStringLiteral("vm2"));
    sources.files["/proc/meminfo"] = "MemTotal:  2000000 kB\nMemFree:  10000 kB\nMemAvailable:  20480 kB\n";
    GroupEnvironment environment;
    environment.sources = &sources;
    const CoresPlan plan = PlanCoresGroup(environment, CoresWork::Standard());
    RecordingSink sink;
    try {
      RunCoresGroup(plan, sink, environment);
      QFAIL("ran without the memory it needs");
    } catch (const MeasureFailure& failure) {
      QCOMPARE(failure.Kind(), MeasureFailureKind::NotEnoughMemory);
      QCOMPARE(failure.Message(),
               QStringLiteral("メモリが足りません。計測には %1 MiB 必要ですが、使えるのは 20 MiB です")
                   .arg(MebibytesText(plan.BytesNeeded())));
      QVERIFY(!failure.Message().contains(u'\n'));
    }
    QVERIFY(sink.progress.empty());
    QVERIFY(sink.points.empty());
  }

  void memoryNeededGrowsWithTheThreads() {
    TreeSources small(QStringLiteral("smt8")), large(QStringLiteral("server256"));
    FakeAffinity all;
    GroupEnvironment environment;
    environment.affinity = &all;
    environment.sources = &small;
    const int64_t eight = PlanCoresGroup(environment).BytesNeeded();
    environment.sources = &large;
    const int64_t many = PlanCoresGroup(environment).BytesNeeded();
    // Each thread holds the corpus three times over and zstd's tables.
    const int64_t perThread = 3 * (int64_t{4} << 20);
    QVERIFY(eight >= 8 * perThread);
    QVERIFY(many >= 256 * perThread);
    QVERIFY(many - eight >= 248 * perThread);
  }

  void stopEndsTheGroupAfterThePointUnderWay() {
    const CoresPlan plan = PlanCoresGroup(GroupEnvironment{}, SmallWork());
    RecordingSink sink;
    sink.stopAfter = 1;
    const CoresResult result = RunCoresGroup(plan, sink);
    QCOMPARE(sink.points.size(), size_t{1});
    QVERIFY(result.stopped);
    QCOMPARE(sink.stopAsked, 1);
    QCOMPARE(result.figures.size(), size_t{1});
    QCOMPARE(result.figures[0].rates.size(), size_t{1});
    QCOMPARE(sink.progress.size(), size_t{1});
  }

  void aPinRefusedEndsTheGroupWithoutAFigure() {
    CoresWork work = SmallWork();
    work.tests = {QStringLiteral("division")};
    FakeAffinity refusing;
    refusing.allowed = Usable(1);
    refusing.refused = {refusing.allowed.front()};
    GroupEnvironment environment;
    environment.affinity = &refusing;
    const CoresPlan plan = PlanCoresGroup(environment, work);
    RecordingSink sink;
    QCOMPARE(int(KindOf([&] { RunCoresGroup(plan, sink, environment); })), int(MeasureFailureKind::PinRefused));
    QVERIFY(sink.points.empty());
  }

  void shortRealRunReportsEveryPoint() {
    const MachineNoise noise(platform::SystemSources::Default());
    GroupEnvironment environment;
    environment.noise = &noise;
    const CoresWork work = SmallWork();
    const CoresPlan plan = PlanCoresGroup(environment, work);
    RecordingSink sink;
    const CoresResult result = RunCoresGroup(plan, sink, environment);
    QVERIFY(!result.stopped);
    QCOMPARE(static_cast<int>(sink.points.size()), plan.PointCount());
    QCOMPARE(result.figures.size(), size_t{5});

    size_t at = 0;
    for (const QString& test : CoresWork::AllTests()) {
      for (const ThreadPoint& threadPoint : plan.threads.points) {
        const MeasuredPoint& point = sink.points[at];
        QCOMPARE(point.group, QStringLiteral("cores"));
        QCOMPARE(point.test, test);
        QCOMPARE(point.threads, threadPoint.threads);
        QCOMPARE(point.StoreId(), test + QStringLiteral(".t") + QString::number(threadPoint.threads));
        QVERIFY(point.elapsedNs > 0);
        QVERIFY(point.noise.has_value());
        const double perSecond = point.work * 1e9 / double(point.elapsedNs);
        if (test == QLatin1String("division")) {
          QCOMPARE(point.unit, QStringLiteral("ops/s"));
          QCOMPARE(point.work, double(DivisionWorkload::Count(1, 3000).divisions) * threadPoint.threads);
          QCOMPARE(point.rate, perSecond);
        } else {
          QCOMPARE(point.unit, QStringLiteral("MB/s"));
          QCOMPARE(point.rate, perSecond / 1e6);
        }
        // The status before it names the workload and the threads.
        QVERIFY(sink.progress[at].second.startsWith(QStringLiteral("マルチコア性能 計測中！（")));
        QVERIFY(sink.progress[at].second.endsWith(QStringLiteral("、%1 スレッド）").arg(threadPoint.threads)));
        QCOMPARE(sink.progress[at].first, static_cast<int>(at * 100 / sink.points.size()));
        ++at;
      }
    }
    QCOMPARE(sink.points[2 * plan.threads.points.size()].work, 4.0 * (128 << 10) * plan.threads.points[0].threads);
    QCOMPARE(sink.progress.back().first, 100);
    for (const ScalingFigures& figures : result.figures) {
      QCOMPARE(*figures.singleRate, figures.rates.at(1));
      QCOMPARE(figures.efficiency.at(1), 1.0);
      QCOMPARE(figures.allThreads, plan.threads.points.back().threads);
    }
  }

  void statusTexts() {
    QCOMPARE(CoresStatusText(QStringLiteral("zstd 圧縮"), 4),
             QStringLiteral("マルチコア性能 計測中！（zstd 圧縮、4 スレッド）"));
    QCOMPARE(MebibytesText((int64_t{1152} << 20) - 5), QStringLiteral("1,152"));
    QCOMPARE(MebibytesText(int64_t{1234567} << 20), QStringLiteral("1,234,567"));
    QCOMPARE(MebibytesText(0), QStringLiteral("0"));
  }

  void scalingFigures_data() {
    QTest::addColumn<QVariantList>("rates");  // threads, rate, threads, rate, ...
    QTest::addColumn<int>("physical");
    QTest::addColumn<bool>("smt");
    QTest::addColumn<double>("single");  // -1: none
    QTest::addColumn<double>("all");
    QTest::addColumn<double>("efficiencyAtAll");  // -1: none
    QTest::addColumn<double>("smtGain");          // -1: none
    QTest::newRow("perfect two") << QVariantList{1, 100.0, 2, 200.0} << 2 << false << 100.0 << 200.0 << 1.0 << -1.0;
    QTest::newRow("SMT gain over the cores") << QVariantList{1, 100.0, 2, 190.0, 4, 360.0, 8, 450.0} << 4 << true
                                             << 100.0 << 450.0 << 450.0 / 800 << 450.0 / 360;
    QTest::newRow("no one-thread point") << QVariantList{2, 150.0, 4, 280.0} << 4 << false << -1.0 << 280.0 << -1.0
                                         << -1.0;
    QTest::newRow("stopped before the physical count")
        << QVariantList{1, 100.0, 2, 200.0} << 4 << true << 100.0 << 200.0 << 1.0 << -1.0;
    QTest::newRow("a broken rate is left out")
        << QVariantList{1, 100.0, 2, qQNaN(), 4, 0.0} << 4 << false << 100.0 << 100.0 << 1.0 << -1.0;
  }
  void scalingFigures() {
    QFETCH(QVariantList, rates);
    QFETCH(int, physical);
    QFETCH(bool, smt);
    QFETCH(double, single);
    QFETCH(double, all);
    QFETCH(double, efficiencyAtAll);
    QFETCH(double, smtGain);
    std::vector<std::pair<int, double>> points;
    for (qsizetype i = 0; i + 1 < rates.size(); i += 2) points.emplace_back(rates[i].toInt(), rates[i + 1].toDouble());
    const ScalingFigures figures = ScalingFigures::Of(QStringLiteral("x"), points, physical, smt);
    QCOMPARE(figures.singleRate.value_or(-1), single);
    QCOMPARE(figures.allRate.value_or(-1), all);
    QCOMPARE(figures.efficiency.empty() ? -1.0 : figures.efficiency.rbegin()->second, efficiencyAtAll);
    QCOMPARE(figures.smtGain.value_or(-1), smtGain);
  }
};

QTEST_GUILESS_MAIN(CoresGroupTest)
#include "test_cores_group.moc"
