// The ram group run through its real code path: a short run with the
// smallest sizes a user may set, the memory check refusing before anything
// is allocated, a block the system refuses and a pin it refuses (each its
// own failure, no figure), Stop between points, measuring threads that
// never outlive the group, and the measured loops as they stand in the
// built binary.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <atomic>
#include <cerrno>
#include <cmath>

#include "RootedSources.h"
#include "core/cores/MeasureFailure.h"
#include "core/ram/RamGroup.h"

using namespace torvik;

namespace {

constexpr int64_t KiB = 1024, MiB = 1024 * 1024;

class RecordingSink : public PointSink {
 public:
  bool StopRequested() override { return stopAfter >= 0 && static_cast<int>(points.size()) >= stopAfter; }
  void Progress(int percent, const QString& status) override {
    gauge << percent;
    statuses << status;
  }
  void PointDone(const MeasuredPoint& point) override { points.push_back(point); }

  int stopAfter = -1;
  std::vector<MeasuredPoint> points;
  QList<int> gauge;
  QStringList statuses;
};

// The system's memory, counted, or refused (ENOMEM) when asked to.
class CountingMemory : public platform::PageMemory {
 public:
  platform::MappedBlock Map(size_t bytes, bool hugePages, int& error) const override {
    ++maps;
    if (refuse) {
      error = ENOMEM;
      return {};
    }
    return platform::PageMemory::Default().Map(bytes, hugePages, error);
  }
  mutable std::atomic<int> maps{0};
  bool refuse = false;
};

// The system's processors, but no thread may be pinned.
class RefusingAffinity : public platform::ProcessorAffinity {
 public:
  std::vector<int> Allowed() const override { return Default().Allowed(); }
  int PinCallingThread(int) const override { return EINVAL; }
  int CallingThreadProcessor() const override { return -1; }
};

int ThreadsOfThisProcess() {
  return static_cast<int>(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// The smallest sizes: 4 MiB arrays, five trials, a curve of 4 to 64 KiB.
RamWork SmallWork() {
  RamWork work;
  work.arrayBytes = 4 * MiB;
  work.trials = kStreamMinTrials;
  work.latencyFirstBytes = 4 * KiB;
  work.latencyLastBytes = 64 * KiB;
  work.halfSteps = false;
  work.latencyMinLoads = 1 << 16;
  work.latencyRepeats = 1;
  return work;
}

QString Disassembly(const QString& binary) {
  QProcess objdump;
  objdump.start(QStringLiteral("objdump"), {"-d", "-C", "--no-show-raw-insn", binary});
  if (!objdump.waitForFinished(120'000) || objdump.exitCode() != 0) return {};
  return QString::fromLocal8Bit(objdump.readAllStandardOutput());
}

QStringList Body(const QString& all, const QString& function) {
  const qsizetype start = all.indexOf(QStringLiteral("<") + function + QStringLiteral(">:"));
  if (start < 0) return {};
  QStringList lines = all.mid(start, all.indexOf(QStringLiteral("\n\n"), start) - start).split(u'\n');
  lines.removeFirst();
  return lines;
}

int Matching(const QStringList& body, const QString& pattern) {
  const QRegularExpression re(pattern);
  return static_cast<int>(std::count_if(body.begin(), body.end(), [&](const QString& l) { return l.contains(re); }));
}

}  // namespace

class RamGroupTest : public QObject {
  Q_OBJECT

 private slots:
  void shortRealRun() {
    const int threadsBefore = ThreadsOfThisProcess();
    const GroupEnvironment environment;
    const RamPlan plan = PlanRamGroup(environment, SmallWork());
    QVERIFY(!plan.bandwidthThreads.empty());
    RecordingSink sink;
    const RamResult result = RunRamGroup(plan, sink, environment);
    QVERIFY(!result.stopped);
    QTRY_COMPARE_WITH_TIMEOUT(ThreadsOfThisProcess(), threadsBefore, 5000);

    const size_t bandwidth = 4 * plan.bandwidthThreads.size();
    QCOMPARE(sink.points.size(), bandwidth + 5);
    const QStringList kernels = {"stream-copy", "stream-scale", "stream-add", "stream-triad"};
    for (size_t i = 0; i < bandwidth; ++i) {
      const MeasuredPoint& p = sink.points[i];
      QCOMPARE(p.group, QStringLiteral("ram"));
      QCOMPARE(p.test, kernels[qsizetype(i % 4)]);
      QCOMPARE(p.threads, plan.bandwidthThreads[i / 4]);
      QCOMPARE(p.unit, QStringLiteral("GB/s"));
      // STREAM's count: 16 or 24 bytes an element of the 4 MiB arrays.
      QCOMPARE(p.work, double((i % 4 < 2 ? 16 : 24) * (4 * MiB / 8)));
      QVERIFY(p.elapsedNs > 0);
      QCOMPARE(p.rate, p.work / double(p.elapsedNs));
      QCOMPARE(p.StoreId(), kernels[qsizetype(i % 4)] + QStringLiteral(".t%1").arg(p.threads));
    }
    int64_t bytes = 4 * KiB;
    for (size_t i = bandwidth; i < sink.points.size(); ++i, bytes *= 2) {
      const MeasuredPoint& p = sink.points[i];
      QCOMPARE(p.test, QStringLiteral("latency"));
      QCOMPARE(p.threads, 1);
      QCOMPARE(p.bytes, bytes);
      QCOMPARE(p.unit, QStringLiteral("ns"));
      QVERIFY(p.work >= double(1 << 16));
      QVERIFY(p.nanoseconds && std::isfinite(*p.nanoseconds) && *p.nanoseconds > 0);
      QCOMPARE(p.rate, *p.nanoseconds);
      QCOMPARE(p.StoreId(), QStringLiteral("latency.%1").arg(bytes));
      // What smaps says of the point's own 2 MiB block, when it says.
      if (p.hugePageBytes) QVERIFY(*p.hugePageBytes >= 0 && *p.hugePageBytes <= 2 * MiB);
    }

    QCOMPARE(sink.statuses.first(), QStringLiteral("メモリ帯域 計測中！（STREAM、1 スレッド）"));
    QVERIFY(sink.statuses.contains(QStringLiteral("メモリレイテンシ 計測中！（4 KiB）")));
    QCOMPARE(sink.statuses.last(), QStringLiteral("メモリ性能 計測終了"));
    QCOMPARE(sink.gauge.last(), 100);
    QVERIFY(std::is_sorted(sink.gauge.begin(), sink.gauge.end()));
    // Five points within the first cache level or two: whatever they
    // show, every level stands on measured points.
    for (const LatencyLevel& level : result.levels) QVERIFY(level.firstBytes >= 4 * KiB && level.lastBytes <= 64 * KiB);
  }

  void statusTexts_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("bytes") << qint64(512) << "512 B";
    QTest::newRow("a power of two") << qint64(4 * KiB) << "4 KiB";
    QTest::newRow("a half-step") << qint64(1536 * KiB) << "1.5 MiB";
    QTest::newRow("beyond the caches") << qint64(256 * MiB) << "256 MiB";
    QTest::newRow("gigabytes") << qint64(3 * 1024 * MiB / 2) << "1.5 GiB";
  }
  void statusTexts() {
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(WorkingSetText(bytes), text);
    QCOMPARE(RamLatencyStatusText(bytes), QStringLiteral("メモリレイテンシ 計測中！（%1）").arg(text));
    QCOMPARE(RamBandwidthStatusText(2), QStringLiteral("メモリ帯域 計測中！（STREAM、2 スレッド）"));
  }

  void tooLittleMemoryIsRefusedBeforeAnythingIsAllocated() {
    const testing::RootedSources vm(QStringLiteral("ram-epyc-vm"));
    const ProcessorTopology topology = ReadProcessorTopology(vm);
    const RamPlan plan = PlanRamGroup(topology, CombineAllowance(topology, {}, CgroupLimits{}),
                                      ReadReportedCaches(vm, 0), LastLevelTotal(vm, {0, 1}), std::nullopt, SmallWork());
    QCOMPARE(plan.BytesNeeded(), 12 * MiB);
    const testing::RootedSources small(QStringLiteral("ram-small-memory"));  // MemAvailable: 3 MiB
    CountingMemory memory;
    GroupEnvironment environment;
    environment.sources = &small;
    environment.memory = &memory;
    RecordingSink sink;
    try {
      RunRamGroup(plan, sink, environment);
      QFAIL("the group ran");
    } catch (const MeasureFailure& failure) {
      QCOMPARE(failure.Kind(), MeasureFailureKind::NotEnoughMemory);
      QCOMPARE(failure.Message(),
               QStringLiteral("メモリが足りません。計測には 12 MiB 必要ですが、使えるのは 3 MiB です"));
    }
    QCOMPARE(memory.maps.load(), 0);
    QVERIFY(sink.statuses.isEmpty());
    QVERIFY(sink.points.empty());
  }

  void theStandardPlanNeedsWhatItsMessageSays() {
    // This VM's caches with 3 MiB available: the curve gives way, the arrays cannot.
    const testing::RootedSources vm(QStringLiteral("ram-epyc-vm"));
    const testing::RootedSources small(QStringLiteral("ram-small-memory"));
    const ProcessorTopology topology = ReadProcessorTopology(vm);
    const RamPlan plan = PlanRamGroup(topology, CombineAllowance(topology, {}, CgroupLimits{}),
                                      ReadReportedCaches(vm, 0), LastLevelTotal(vm, {0, 1}), AvailableMemory(small));
    QVERIFY(plan.latencyCut);
    QCOMPARE(plan.BytesNeeded(), 3 * 128 * MiB);
    CountingMemory memory;
    GroupEnvironment environment;
    environment.sources = &small;
    environment.memory = &memory;
    RecordingSink sink;
    QVERIFY_THROWS_EXCEPTION(MeasureFailure, RunRamGroup(plan, sink, environment));
    QCOMPARE(memory.maps.load(), 0);
  }

  void refusedMemoryAndPinsEndTheGroupWithoutAFigure_data() {
    QTest::addColumn<bool>("refuseMemory");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("memory") << true << int(MeasureFailureKind::MemoryRefused)
                            << "メモリを 4 MiB 確保できませんでした（errno 12）";
    QTest::newRow("pin") << false << int(MeasureFailureKind::PinRefused)
                         << "スレッドをプロセッサ %1 に固定できませんでした（errno 22）";
  }
  void refusedMemoryAndPinsEndTheGroupWithoutAFigure() {
    QFETCH(bool, refuseMemory);
    QFETCH(int, kind);
    QFETCH(QString, message);
    const int threadsBefore = ThreadsOfThisProcess();
    CountingMemory memory;
    memory.refuse = refuseMemory;
    RefusingAffinity refusing;
    GroupEnvironment environment;
    environment.memory = &memory;
    if (!refuseMemory) environment.affinity = &refusing;
    const RamPlan plan = PlanRamGroup(environment, SmallWork());
    RecordingSink sink;
    try {
      RunRamGroup(plan, sink, environment);
      QFAIL("the group ran");
    } catch (const MeasureFailure& failure) {
      QCOMPARE(int(failure.Kind()), kind);
      QCOMPARE(failure.Message(), message.contains(u'%') ? message.arg(plan.threads.pinOrder.front()) : message);
    }
    QVERIFY(sink.points.empty());
    QTRY_COMPARE_WITH_TIMEOUT(ThreadsOfThisProcess(), threadsBefore, 5000);
  }

  void stopEndsTheGroupAfterThePointUnderWay_data() {
    QTest::addColumn<bool>("bandwidth");
    QTest::addColumn<int>("points");
    QTest::newRow("after a STREAM run: its four kernels") << true << 4;
    QTest::newRow("after a latency point") << false << 1;
  }
  void stopEndsTheGroupAfterThePointUnderWay() {
    QFETCH(bool, bandwidth);
    QFETCH(int, points);
    const int threadsBefore = ThreadsOfThisProcess();
    const GroupEnvironment environment;
    RamPlan plan = PlanRamGroup(environment, SmallWork());
    if (!bandwidth) plan.bandwidthThreads.clear();
    RecordingSink sink;
    sink.stopAfter = 1;
    const RamResult result = RunRamGroup(plan, sink, environment);
    QVERIFY(result.stopped);
    QCOMPARE(int(sink.points.size()), points);
    QCOMPARE(sink.statuses.size(), 1);
    QVERIFY(!sink.gauge.contains(100));
    QTRY_COMPARE_WITH_TIMEOUT(ThreadsOfThisProcess(), threadsBefore, 5000);
  }

  void measuredLoopsStandInTheBinary() {
    // This test links the product's library as the program does.
    const QString all = Disassembly(QCoreApplication::applicationFilePath());
    QVERIFY2(!all.isEmpty(), "objdump failed");
    const QString packedMove = QStringLiteral("\\bv?mov(up|ap)[ds]\\s");
    const struct {
      const char* function;
      const char* arithmetic;  // the packed operation the kernel's loop must hold
    } kernels[] = {
        {"torvik::StreamCopy(double*, double const*, long)", nullptr},
        {"torvik::StreamScale(double*, double const*, double, long)", "\\bv?mulpd\\b"},
        {"torvik::StreamAdd(double*, double const*, double const*, long)", "\\bv?addpd\\b"},
        {"torvik::StreamTriad(double*, double const*, double const*, double, long)", "\\bv?(addpd|fmadd\\w*pd)\\b"},
    };
    for (const auto& k : kernels) {
      const QStringList body = Body(all, QLatin1String(k.function));
      QVERIFY2(!body.isEmpty(), k.function);
      QVERIFY2(Matching(body, packedMove) >= 2, k.function);  // loads and stores of two doubles or more
      if (k.arithmetic) QVERIFY2(Matching(body, QLatin1String(k.arithmetic)) >= 1, k.function);
      // A loop of its own: no library copy or fill stands in for it.
      QCOMPARE(Matching(body, QStringLiteral("mem(cpy|move|set)")), 0);
      QCOMPARE(Matching(body, QStringLiteral("\\bcall\\b")), 0);
    }
    const QStringList chase = Body(all, QStringLiteral("torvik::ChaseLoads(void*, long)"));
    QVERIFY(!chase.isEmpty());
    // Each step loads the next address from the one it stands on.
    QVERIFY(Matching(chase, QStringLiteral("\\bmov\\s+\\((%r\\w+)\\),\\1\\b")) >= 1);
  }
};

QTEST_GUILESS_MAIN(RamGroupTest)
#include "test_ram_group.moc"
