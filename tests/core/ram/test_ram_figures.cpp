// The ram group's rules without a run: the caches the machine reports and
// what they add up to, the huge-page parsers, STREAM's byte counting, parts
// and values, the latency walk's cycle and its end, the curve's sizes, the
// levels found on synthetic curves, and the plan made from the machine's
// facts.
#include <QtTest>
#include <cmath>
#include <set>

#include "RootedSources.h"
#include "core/ram/ChaseCycle.h"
#include "core/ram/HugePageUsage.h"
#include "core/ram/LatencyLevels.h"
#include "core/ram/RamPlan.h"
#include "core/ram/ReportedCaches.h"
#include "core/ram/StreamBandwidth.h"
#include "core/ram/StreamKernels.h"

using namespace torvik;

namespace {

constexpr int64_t KiB = 1024, MiB = 1024 * 1024;

std::string ReadData(const QString& name) {
  QFile file(QStringLiteral(TORVIK_TEST_DATA "/ram/") + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// A curve of `levels` (ns, last size on it) from 4 KiB, doubling with
// half-steps, as a walk that repeats one cycle sees it: each level's latency
// up to its size, half-way to the next at the first point past it, then the
// next level's; `jitter` in percent, alternating up and down.
std::vector<LatencyPoint> Curve(const std::vector<std::pair<double, int64_t>>& levels, int64_t last,
                                double jitter = 0) {
  std::vector<LatencyPoint> curve;
  int i = 0;
  int64_t previous = 0;
  for (const int64_t bytes : LatencySizes(4 * KiB, last, true)) {
    size_t level = 0;
    while (level + 1 < levels.size() && bytes > levels[level].second) ++level;
    double ns = levels[level].first;
    if (level > 0 && previous <= levels[level - 1].second) ns = (levels[level - 1].first + ns) / 2;
    ns *= 1 + (i++ % 2 == 0 ? jitter : -jitter) / 100;
    curve.push_back({bytes, ns});
    previous = bytes;
  }
  return curve;
}

ProcessorTopology Processors(int count) {
  ProcessorTopology topology;
  for (int id = 0; id < count; ++id) {
    LogicalProcessor p;
    p.id = id;
    p.core = id;
    p.siblings = {id};
    topology.processors.push_back(p);
  }
  return topology;
}

ProcessorAllowance AllOf(const ProcessorTopology& topology) { return CombineAllowance(topology, {}, CgroupLimits{}); }

std::vector<ReportedCache> EpycCaches() {
  return {{1, "Data", 48 * KiB, {0}},
          {1, "Instruction", 32 * KiB, {0}},
          {2, "Unified", MiB, {0}},
          {3, "Unified", 32 * MiB, {0, 1}}};
}

}  // namespace

class RamFiguresTest : public QObject {
  Q_OBJECT

 private slots:
  void cacheSizes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("bytes");
    QTest::newRow("kilobytes, as the kernel writes them") << "48K\n" << qint64(48 * KiB);
    QTest::newRow("a large last level") << "32768K" << qint64(32 * MiB);
    QTest::newRow("megabytes") << "2M" << qint64(2 * MiB);
    QTest::newRow("gigabytes") << "1G" << qint64(1024 * MiB);
    QTest::newRow("plain bytes") << "512" << qint64(512);
    QTest::newRow("an unknown unit") << "48KB" << qint64(-1);
    QTest::newRow("no number") << "K" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
  }
  void cacheSizes() {
    QFETCH(QString, text);
    QFETCH(qint64, bytes);
    QCOMPARE(ParseCacheSize(text.toStdString()).value_or(-1), bytes);
  }

  void cachesOfThisVm() {
    const testing::RootedSources vm(QStringLiteral("ram-epyc-vm"));
    const std::vector<ReportedCache> caches = ReadReportedCaches(vm, 1);
    QCOMPARE(caches.size(), size_t(4));
    QCOMPARE(caches[0].level, 1);
    QCOMPARE(caches[0].type, QStringLiteral("Data"));
    QCOMPARE(caches[1].type, QStringLiteral("Instruction"));
    QCOMPARE(caches[3].sharedBy, std::vector<int>({0, 1}));
    const std::vector<ReportedCache> data = DataCaches(caches);
    QCOMPARE(data.size(), size_t(3));
    QCOMPARE(data[0].bytes, 48 * KiB);
    QCOMPARE(data[1].bytes, MiB);
    QCOMPARE(LastLevelBytes(caches), 32 * MiB);
    // One L3 shared by both processors counts once.
    QCOMPARE(LastLevelTotal(vm, {0, 1}), 32 * MiB);
    QCOMPARE(ReadReportedCaches(vm, 7).size(), size_t(0));
    QCOMPARE(LastLevelBytes({}), int64_t(0));
  }

  void lastLevelTotalCountsEachCacheOnce_data() {
    QTest::addColumn<QList<int>>("processors");
    QTest::addColumn<qint64>("total");
    QTest::newRow("one processor") << QList<int>{2} << qint64(32 * MiB);
    QTest::newRow("two of one package") << QList<int>{0, 1} << qint64(32 * MiB);
    QTest::newRow("one of each package") << QList<int>{0, 3} << qint64(64 * MiB);
    QTest::newRow("all four") << QList<int>{0, 1, 2, 3} << qint64(64 * MiB);
    QTest::newRow("none") << QList<int>{} << qint64(0);
  }
  void lastLevelTotalCountsEachCacheOnce() {
    QFETCH(QList<int>, processors);
    QFETCH(qint64, total);
    const testing::RootedSources twoSockets(QStringLiteral("ram-two-sockets"));
    QCOMPARE(LastLevelTotal(twoSockets, std::vector<int>(processors.begin(), processors.end())), total);
  }

  void hugePageBytesOfARange_data() {
    QTest::addColumn<quint64>("begin");
    QTest::addColumn<quint64>("end");
    QTest::addColumn<qint64>("bytes");  // -1: nothing said
    const quint64 thp = 0x7f9711a00000, untouched = 0x7f9712a00000, small = 0x7f9712e3e000;
    QTest::newRow("the advised block, whole") << thp << thp + 16 * MiB << qint64(16 * MiB);
    QTest::newRow("a part of it: its mapping's figure") << thp + 2 * MiB << thp + 4 * MiB << qint64(16 * MiB);
    QTest::newRow("the untouched rest") << untouched << untouched + 4 * MiB << qint64(0);
    QTest::newRow("a block advised against them") << small << small + MiB << qint64(0);
    QTest::newRow("across two mappings") << untouched - 4096 << untouched + 4096 << qint64(16 * MiB);
    QTest::newRow("between mappings") << untouched + 4 * MiB << small << qint64(-1);
    QTest::newRow("an empty range") << thp << thp << qint64(-1);
  }
  void hugePageBytesOfARange() {
    QFETCH(quint64, begin);
    QFETCH(quint64, end);
    QFETCH(qint64, bytes);
    const std::string smaps = ReadData(QStringLiteral("smaps-thp.txt"));
    QVERIFY(!smaps.empty());
    QCOMPARE(AnonHugePageBytes(smaps, begin, end).value_or(-1), bytes);
  }

  void hugePageMode_data() {
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("mode");
    QTest::newRow("madvise") << "always [madvise] never\n"
                             << "madvise";
    QTest::newRow("always") << "[always] madvise never\n"
                            << "always";
    QTest::newRow("never") << "always madvise [never]\n"
                           << "never";
    QTest::newRow("nothing chosen") << "always madvise never\n"
                                    << "";
  }
  void hugePageMode() {
    QFETCH(QString, enabled);
    QFETCH(QString, mode);
    QCOMPARE(TransparentHugePageMode(enabled.toStdString()), mode);
  }

  void streamCountsBytesAsStreamDoes() {
    QCOMPARE(StreamBytesPerElement(StreamKernel::Copy), int64_t(16));
    QCOMPARE(StreamBytesPerElement(StreamKernel::Scale), int64_t(16));
    QCOMPARE(StreamBytesPerElement(StreamKernel::Add), int64_t(24));
    QCOMPARE(StreamBytesPerElement(StreamKernel::Triad), int64_t(24));
    QCOMPARE(QLatin1String(StreamTestName(StreamKernel::Triad)), QLatin1String("stream-triad"));
  }

  void streamPartsCoverTheArraysInWholeLines_data() {
    QTest::addColumn<qint64>("elements");
    QTest::addColumn<int>("threads");
    QTest::newRow("one thread") << qint64(1000) << 1;
    QTest::newRow("even split") << qint64(16'777'216) << 2;
    QTest::newRow("a remainder for the last") << qint64(1003) << 3;
    QTest::newRow("more threads than lines") << qint64(20) << 4;
    QTest::newRow("many threads") << qint64(16'777'216) << 256;
  }
  void streamPartsCoverTheArraysInWholeLines() {
    QFETCH(qint64, elements);
    QFETCH(int, threads);
    int64_t next = 0;
    for (int i = 0; i < threads; ++i) {
      const StreamPart part = StreamPartOf(elements, threads, i);
      QCOMPARE(part.first, next);
      QVERIFY(part.count >= 0);
      QCOMPARE(part.first % 8, int64_t(0));
      if (i + 1 < threads) QCOMPARE(part.count % 8, int64_t(0));
      next = part.first + part.count;
    }
    QCOMPARE(next, elements);
    // Balanced to within a line (the last also takes the remainder).
    const int64_t first = StreamPartOf(elements, threads, 0).count;
    for (int i = 1; i + 1 < threads; ++i) QVERIFY(std::abs(StreamPartOf(elements, threads, i).count - first) <= 8);
  }

  void streamKernelsComputeWhatTheCheckExpects_data() {
    QTest::addColumn<int>("elements");
    QTest::newRow("empty") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("odd: a scalar end after the vector loop") << 37;
    QTest::newRow("whole lines") << 64;
  }
  void streamKernelsComputeWhatTheCheckExpects() {
    QFETCH(int, elements);
    std::vector<double> a(elements + 1, 1.0), b(elements + 1, 2.0), c(elements + 1, 0.0);
    a[elements] = b[elements] = c[elements] = -7;  // past the end: never written
    for (int trial = 0; trial < 4; ++trial) {
      StreamCopy(c.data(), a.data(), elements);
      StreamScale(b.data(), c.data(), kStreamScalar, elements);
      StreamAdd(c.data(), a.data(), b.data(), elements);
      StreamTriad(a.data(), b.data(), c.data(), kStreamScalar, elements);
    }
    const StreamValues v = StreamValuesAfter(4);
    QCOMPARE(v.a, 1.0 * std::pow(15.0, 4));  // a' = 15 a each trial from 1, 2, 0
    for (int j = 0; j < elements; ++j) {
      QCOMPARE(a[j], v.a);
      QCOMPARE(b[j], v.b);
      QCOMPARE(c[j], v.c);
    }
    QCOMPARE(a[elements], -7.0);
    QCOMPARE(b[elements], -7.0);
    QCOMPARE(c[elements], -7.0);
  }

  void chaseOrderVisitsEveryLineOnce_data() {
    QTest::addColumn<qint64>("lines");
    QTest::newRow("one line") << qint64(1);
    QTest::newRow("4 KiB") << qint64(64);
    QTest::newRow("1.5 MiB") << qint64(24'576);
  }
  void chaseOrderVisitsEveryLineOnce() {
    QFETCH(qint64, lines);
    const std::vector<uint32_t> order = ChaseOrder(lines);
    QCOMPARE(int64_t(order.size()), lines);
    QCOMPARE(int64_t(std::set<uint32_t>(order.begin(), order.end()).size()), lines);
    QVERIFY(*std::max_element(order.begin(), order.end()) < lines);
    QVERIFY(ChaseOrder(lines) == order);  // the same seed, the same walk
    if (lines > 2) {
      QVERIFY(ChaseOrder(lines, kChaseSeed + 1) != order);
      // Shuffled: neighbours in the walk are seldom neighbours in memory.
      int64_t adjacent = 0;
      for (size_t k = 1; k < order.size(); ++k) adjacent += std::abs(int64_t(order[k]) - int64_t(order[k - 1])) == 1;
      QVERIFY(adjacent < lines / 8 + 2);
    }
  }

  void chaseIsOneCycleThroughEveryLine_data() {
    QTest::addColumn<qint64>("minLoads");
    QTest::addColumn<qint64>("loads");
    QTest::newRow("rounds and half a round more") << qint64(5000) << qint64(5 * 1024 + 512);
    QTest::newRow("exactly a round asked") << qint64(1024) << qint64(1024 + 512);
    QTest::newRow("part of a round") << qint64(700) << qint64(700);
  }
  void chaseIsOneCycleThroughEveryLine() {
    QFETCH(qint64, minLoads);
    QFETCH(qint64, loads);
    constexpr int64_t kLines = 1024;
    std::vector<char> storage((kLines + 1) * kChaseLineBytes);
    void* block = reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(storage.data()) + 63) & ~uintptr_t{63});
    const std::vector<uint32_t> order = ChaseOrder(kLines);
    const ChaseCycle cycle = LayChaseCycle(block, order, minLoads);
    std::set<void*> seen;
    void* p = cycle.start;
    for (int64_t k = 0; k < kLines; ++k) {
      QVERIFY(seen.insert(p).second);
      const auto offset = static_cast<char*>(p) - static_cast<char*>(block);
      QCOMPARE(offset % kChaseLineBytes, int64_t(0));
      QVERIFY(offset >= 0 && offset < kLines * kChaseLineBytes);
      p = *static_cast<void**>(p);
    }
    QCOMPARE(p, cycle.start);  // back where it began after every line
    QCOMPARE(cycle.loads, loads);
    QVERIFY(cycle.loads >= minLoads);
    QCOMPARE(ChaseLoads(cycle.start, cycle.loads), cycle.expectedEnd);
    // A walk one load short, or none at all, ends elsewhere.
    QVERIFY(ChaseLoads(cycle.start, cycle.loads - 1) != cycle.expectedEnd);
    QVERIFY(cycle.start != cycle.expectedEnd);
  }

  void latencySizes_data() {
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::addColumn<bool>("halfSteps");
    QTest::addColumn<QList<qint64>>("sizes");
    QTest::newRow("doubling with half-steps")
        << qint64(4 * KiB) << qint64(64 * KiB) << true
        << QList<qint64>{4 * KiB, 6 * KiB, 8 * KiB, 12 * KiB, 16 * KiB, 24 * KiB, 32 * KiB, 48 * KiB, 64 * KiB};
    QTest::newRow("doubling only") << qint64(4 * KiB) << qint64(32 * KiB) << false
                                   << QList<qint64>{4 * KiB, 8 * KiB, 16 * KiB, 32 * KiB};
    QTest::newRow("from a half-step") << qint64(6 * KiB) << qint64(16 * KiB) << true
                                      << QList<qint64>{6 * KiB, 8 * KiB, 12 * KiB, 16 * KiB};
    QTest::newRow("a last size between steps")
        << qint64(4 * KiB) << qint64(10 * KiB) << true << QList<qint64>{4 * KiB, 6 * KiB, 8 * KiB};
    QTest::newRow("nothing between") << qint64(8 * KiB) << qint64(4 * KiB) << true << QList<qint64>{};
  }
  void latencySizes() {
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    QFETCH(bool, halfSteps);
    QFETCH(QList<qint64>, sizes);
    const std::vector<int64_t> got = LatencySizes(first, last, halfSteps);
    QCOMPARE(QList<qint64>(got.begin(), got.end()), sizes);
  }

  void levelsOfSyntheticCurves_data() {
    QTest::addColumn<QList<double>>("levelNs");
    QTest::addColumn<QList<qint64>>("levelBytes");
    QTest::addColumn<qint64>("last");
    QTest::addColumn<double>("jitter");
    QTest::addColumn<QList<qint64>>("shownBytes");  // of the closed levels, then -1 for the open one
    QTest::newRow("two levels: one cache and memory") << QList<double>{1.2, 90} << QList<qint64>{32 * KiB, 0}
                                                      << qint64(16 * MiB) << 0.0 << QList<qint64>{32 * KiB, -1};
    QTest::newRow("three levels") << QList<double>{1.0, 4.0, 80} << QList<qint64>{48 * KiB, MiB, 0} << qint64(32 * MiB)
                                  << 0.0 << QList<qint64>{48 * KiB, MiB, -1};
    QTest::newRow("four levels with 6 % noise")
        << QList<double>{1.1, 3.6, 14, 110} << QList<qint64>{48 * KiB, MiB, 32 * MiB, 0} << qint64(256 * MiB) << 6.0
        << QList<qint64>{48 * KiB, MiB, 32 * MiB, -1};
    QTest::newRow("four levels with 12 % noise")
        << QList<double>{1.1, 3.6, 14, 110} << QList<qint64>{32 * KiB, 512 * KiB, 8 * MiB, 0} << qint64(256 * MiB)
        << 12.0 << QList<qint64>{32 * KiB, 512 * KiB, 8 * MiB, -1};
    // Without a next level the size is the plateau's last point: the
    // second cache's plateau ends at 1 MiB, the curve two points later.
    QTest::newRow("a curve that ends on a step has no open level")
        << QList<double>{1.0, 4.0, 80} << QList<qint64>{48 * KiB, MiB, 0} << qint64(2 * MiB) << 0.0
        << QList<qint64>{48 * KiB, MiB};
  }
  void levelsOfSyntheticCurves() {
    QFETCH(QList<double>, levelNs);
    QFETCH(QList<qint64>, levelBytes);
    QFETCH(qint64, last);
    QFETCH(double, jitter);
    QFETCH(QList<qint64>, shownBytes);
    std::vector<std::pair<double, int64_t>> levels;
    for (qsizetype i = 0; i < levelNs.size(); ++i) {
      levels.emplace_back(levelNs[i], levelBytes[i] > 0 ? levelBytes[i] : last);
    }
    const std::vector<LatencyLevel> found = DetectLatencyLevels(Curve(levels, last, jitter));
    QCOMPARE(qsizetype(found.size()), shownBytes.size());
    for (size_t i = 0; i < found.size(); ++i) {
      const qint64 expected = shownBytes[qsizetype(i)];
      QCOMPARE(found[i].open, expected < 0);
      QCOMPARE(found[i].sizeBytes.has_value(), expected >= 0);
      // Read on the step: past the cache's size, before the point half-way
      // up (at most one and a half times the size, with half-steps); where
      // the curve ends on a step, the plateau's last point.
      if (expected >= 0) {
        const double size = double(*found[i].sizeBytes);
        QVERIFY2(size >= double(expected) && size <= 1.5 * double(expected), qPrintable(QString::number(size)));
      }
      QVERIFY(found[i].points >= 3);
      QVERIFY2(std::abs(found[i].nanoseconds / levelNs[qsizetype(i)] - 1) <= jitter / 100 + 0.01,
               qPrintable(QString::number(found[i].nanoseconds)));
    }
  }

  void aSpikeIsNotALevel_data() {
    QTest::addColumn<int>("at");  // the point read while something else ran; -1 the last
    QTest::newRow("inside a plateau") << 3;
    QTest::newRow("the curve's last point") << -1;
  }
  void aSpikeIsNotALevel() {
    QFETCH(int, at);
    std::vector<LatencyPoint> curve = Curve({{1.0, 48 * KiB}, {4.0, MiB}, {80, 64 * MiB}}, 64 * MiB);
    LatencyPoint& spike = at < 0 ? curve.back() : curve[size_t(at)];
    spike.nanoseconds *= 2.5;
    const std::vector<LatencyLevel> found = DetectLatencyLevels(curve);
    QCOMPARE(found.size(), size_t(3));
    QCOMPARE(found[0].lastBytes, 48 * KiB);
    QVERIFY(found.back().open);  // memory's plateau reaches the end of the curve
  }

  void noLevelWithoutPlateaus_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("no points") << 0;
    QTest::newRow("two points") << 1;
    QTest::newRow("rising all the way") << 2;
    QTest::newRow("unusable readings") << 3;
  }
  void noLevelWithoutPlateaus() {
    QFETCH(int, kind);
    std::vector<LatencyPoint> curve;
    if (kind == 1) curve = {{4096, 1.0}, {8192, 1.0}};
    if (kind == 2) {
      double ns = 1;
      for (const int64_t bytes : LatencySizes(4 * KiB, 64 * MiB, true)) curve.push_back({bytes, ns *= 1.3});
    }
    if (kind == 3) curve = {{4096, 0}, {8192, -1}, {16384, std::nan("")}, {0, 5}};
    QCOMPARE(DetectLatencyLevels(curve).size(), size_t(0));
  }

  void levelsBesideTheReportedCaches() {
    const std::vector<LatencyLevel> levels = {{1.1, 4 * KiB, 48 * KiB, 8, false, 48 * KiB},
                                              {3.6, 64 * KiB, 768 * KiB, 7, false, 768 * KiB},
                                              {100, 64 * MiB, 256 * MiB, 5, true, std::nullopt}};
    const std::vector<LevelBesideCache> beside = SetBesideCaches(levels, EpycCaches());
    QCOMPARE(beside.size(), size_t(3));
    QCOMPARE(beside[0].cache->bytes, 48 * KiB);  // L1d, not the instruction cache
    QCOMPARE(*beside[0].SizeRatio(), 1.0);
    QCOMPARE(beside[1].cache->level, 2);
    QCOMPARE(*beside[1].SizeRatio(), 0.75);
    QVERIFY(!beside[2].cache);  // memory
    QVERIFY(!beside[2].SizeRatio());
    // More levels than caches: the extra ones stand beside none.
    QVERIFY(!SetBesideCaches(levels, {{1, "Data", 32 * KiB, {0}}})[1].cache);
  }

  void standardPlanFollowsTheCaches_data() {
    QTest::addColumn<int>("processors");
    QTest::addColumn<qint64>("lastLevel");
    QTest::addColumn<qint64>("lastLevelTotal");
    QTest::addColumn<qint64>("available");  // -1: unknown
    QTest::addColumn<qint64>("arrayBytes");
    QTest::addColumn<qint64>("latencyLast");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QList<int>>("bandwidthThreads");
    QTest::newRow("this VM: four times its L3, eight times for the curve")
        << 2 << qint64(32 * MiB) << qint64(32 * MiB) << qint64(22'000 * MiB) << qint64(128 * MiB) << qint64(256 * MiB)
        << false << QList<int>{1, 2};
    QTest::newRow("a small cache: 64 MiB at least") << 1 << qint64(2 * MiB) << qint64(2 * MiB) << qint64(-1)
                                                    << qint64(64 * MiB) << qint64(64 * MiB) << false << QList<int>{1};
    QTest::newRow("two packages: both last levels")
        << 64 << qint64(32 * MiB) << qint64(256 * MiB) << qint64(-1) << qint64(1024 * MiB) << qint64(256 * MiB) << false
        << QList<int>{1, 64};
    QTest::newRow("a curve bounded by MemAvailable")
        << 2 << qint64(96 * MiB) << qint64(96 * MiB) << qint64(1000 * MiB) << qint64(384 * MiB) << qint64(256 * MiB)
        << true << QList<int>{1, 2};
  }
  void standardPlanFollowsTheCaches() {
    QFETCH(int, processors);
    QFETCH(qint64, lastLevel);
    QFETCH(qint64, lastLevelTotal);
    QFETCH(qint64, available);
    QFETCH(qint64, arrayBytes);
    QFETCH(qint64, latencyLast);
    QFETCH(bool, cut);
    QFETCH(QList<int>, bandwidthThreads);
    const ProcessorTopology topology = Processors(processors);
    const std::vector<ReportedCache> caches = {{1, "Data", 32 * KiB, {0}}, {2, "Unified", lastLevel, {0}}};
    const RamPlan plan = PlanRamGroup(topology, AllOf(topology), caches, lastLevelTotal,
                                      available < 0 ? std::nullopt : std::optional<int64_t>(available));
    QCOMPARE(plan.ArrayBytes(), arrayBytes);
    QCOMPARE(plan.latencySizes.front(), 4 * KiB);
    QCOMPARE(plan.latencySizes.back(), latencyLast);
    QCOMPARE(plan.latencyCut, cut);
    QCOMPARE(QList<int>(plan.bandwidthThreads.begin(), plan.bandwidthThreads.end()), bandwidthThreads);
    QCOMPARE(plan.trials, 10);
    QCOMPARE(plan.latencyProcessor, 0);
    QCOMPARE(plan.PointCount(), int(4 * bandwidthThreads.size() + plan.latencySizes.size()));
    // The arrays or the largest block with its order, whichever is more.
    QCOMPARE(plan.BytesNeeded(), std::max(3 * arrayBytes, latencyLast + latencyLast / 16));
  }

  void usersSizesGoThroughThePlan() {
    const ProcessorTopology topology = Processors(4);
    RamWork work;
    work.arrayBytes = 4 * MiB;
    work.trials = 2;  // fewer than STREAM's rule allows
    work.latencyFirstBytes = 4 * KiB;
    work.latencyLastBytes = 64 * KiB;
    work.halfSteps = false;
    work.latencyMinLoads = 1 << 16;
    work.latencyRepeats = 1;
    const RamPlan plan = PlanRamGroup(topology, AllOf(topology), EpycCaches(), 32 * MiB, std::nullopt, work);
    QCOMPARE(plan.arrayElements, 4 * MiB / 8);
    QCOMPARE(plan.trials, kStreamMinTrials);
    QCOMPARE(QList<qint64>(plan.latencySizes.begin(), plan.latencySizes.end()),
             (QList<qint64>{4 * KiB, 8 * KiB, 16 * KiB, 32 * KiB, 64 * KiB}));
    QCOMPARE(plan.latencyMinLoads, int64_t(1) << 16);
    QVERIFY(!plan.latencyCut);
    QCOMPARE(plan.BytesNeeded(), 3 * 4 * MiB);
  }

  void aPlanForOneAllowedProcessor() {
    // As under `taskset -c 1`: one STREAM run, on that processor, and the curve there too.
    const testing::RootedSources vm(QStringLiteral("ram-epyc-vm"));
    const ProcessorTopology topology = ReadProcessorTopology(vm);
    QCOMPARE(topology.processors.size(), size_t(2));
    const ProcessorAllowance allowance = CombineAllowance(topology, {1}, CgroupLimits{});
    const RamPlan plan =
        PlanRamGroup(topology, allowance, ReadReportedCaches(vm, 1), LastLevelTotal(vm, {1}), AvailableMemory(vm));
    QCOMPARE(QList<int>(plan.bandwidthThreads.begin(), plan.bandwidthThreads.end()), QList<int>{1});
    QCOMPARE(plan.threads.Point(1).processors, std::vector<int>{1});
    QCOMPARE(plan.latencyProcessor, 1);
    QCOMPARE(plan.lastLevelBytes, 32 * MiB);
  }
};

QTEST_GUILESS_MAIN(RamFiguresTest)
#include "test_ram_figures.moc"
