// The latency histogram: its log-linear layout (exact below 128 ns, no
// bucket wider than 1/64 of its values), the percentiles of fixed samples
// by nearest rank, the stated error bound on every value, merging, and the
// ends (nothing recorded, negative and huge latencies).
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "core/drive/LatencyHistogram.h"

using namespace torvik;

namespace {

// The nearest-rank percentile of `values`, worked out by sorting them.
int64_t NearestRank(std::vector<int64_t> values, double percent) {
  std::sort(values.begin(), values.end());
  const auto rank = static_cast<size_t>(std::ceil(percent / 100.0 * values.size()));
  return values[std::max<size_t>(rank, 1) - 1];
}

}  // namespace

class LatencyHistogramTest : public QObject {
  Q_OBJECT

 private slots:
  void bucketsTileEveryValue() {
    // Consecutive, no gaps or overlaps, the width bound everywhere.
    int64_t next = 0;
    for (int bucket = 0; bucket < LatencyHistogram::kBuckets; ++bucket) {
      QCOMPARE(LatencyHistogram::LowestIn(bucket), next);
      const int64_t width = LatencyHistogram::WidthOf(bucket);
      QVERIFY(width == 1 || width * 64 <= LatencyHistogram::LowestIn(bucket));
      QCOMPARE(LatencyHistogram::BucketOf(next), bucket);
      QCOMPARE(LatencyHistogram::BucketOf(next + width - 1), bucket);
      next += width;
    }
    QCOMPARE(next - 1, LatencyHistogram::kHighestValue);
  }

  void bucketsOfKnownValues_data() {
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("bucket");
    QTest::addColumn<qint64>("lowest");
    QTest::addColumn<qint64>("width");
    QTest::newRow("zero") << qint64{0} << 0 << qint64{0} << qint64{1};
    QTest::newRow("last exact") << qint64{127} << 127 << qint64{127} << qint64{1};
    QTest::newRow("first pair") << qint64{128} << 128 << qint64{128} << qint64{2};
    QTest::newRow("inside a pair") << qint64{129} << 128 << qint64{128} << qint64{2};
    QTest::newRow("255") << qint64{255} << 191 << qint64{254} << qint64{2};
    QTest::newRow("256") << qint64{256} << 192 << qint64{256} << qint64{4};
    // 100 us: 2^16 <= 100,000 < 2^17, buckets of 2^(16-6) = 1,024 ns.
    QTest::newRow("100 us") << qint64{100'000} << 128 + 9 * 64 + 33 << qint64{99'328} << qint64{1'024};
  }
  void bucketsOfKnownValues() {
    QFETCH(qint64, value);
    QFETCH(int, bucket);
    QCOMPARE(LatencyHistogram::BucketOf(value), bucket);
    QTEST(qint64{LatencyHistogram::LowestIn(bucket)}, "lowest");
    QTEST(qint64{LatencyHistogram::WidthOf(bucket)}, "width");
  }

  void percentilesOfFixedSamples_data() {
    QTest::addColumn<QList<qint64>>("samples");
    QTest::addColumn<double>("percent");
    QTest::addColumn<double>("expected");
    const QList<qint64> small = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100};  // exact buckets
    QTest::newRow("p50 of ten") << small << 50.0 << 50.0;
    QTest::newRow("p99 of ten") << small << 99.0 << 100.0;
    QTest::newRow("p10 of ten") << small << 10.0 << 10.0;
    QTest::newRow("p10.1 of ten") << small << 10.1 << 20.0;
    QTest::newRow("p100 is the highest") << small << 100.0 << 100.0;
    QTest::newRow("tiny percent is the lowest") << small << 0.001 << 10.0;
    QTest::newRow("one sample") << QList<qint64>{77} << 99.9 << 77.0;
    // 1,000 samples: 1 .. 1,000 ns; p99.9 is the 999th.
    QList<qint64> thousand;
    for (qint64 v = 1; v <= 1'000; ++v) thousand << v;
    // 999 lies in [992, 999], 2^9 split in 64: its middle is 995.5.
    QTest::newRow("p99.9 of a thousand") << thousand << 99.9 << 995.5;
    // 500: [500, 503], middle 501.5.
    QTest::newRow("p50 of a thousand") << thousand << 50.0 << 501.5;
    // One slow request among 999 fast ones: p99.9 is still fast, p100 is the slow one.
    QList<qint64> outlier(999, 100'000);
    outlier << 20'000'000;
    // (its bucket's middle, 99,839.5, lies below every latency seen: the lowest is given)
    QTest::newRow("p99.9 beside one outlier") << outlier << 99.9 << 100'000.0;
    QTest::newRow("p100 is the outlier") << outlier << 100.0 << 20'000'000.0;
    // The middle of a bucket is never above the highest latency seen, nor below the lowest.
    QTest::newRow("clamped to the highest") << QList<qint64>{99'328, 99'400} << 100.0 << 99'400.0;
    QTest::newRow("clamped to the lowest") << QList<qint64>{100'900, 100'901} << 50.0 << 100'900.0;
  }
  void percentilesOfFixedSamples() {
    QFETCH(QList<qint64>, samples);
    QFETCH(double, percent);
    LatencyHistogram histogram;
    for (qint64 sample : samples) histogram.Record(sample);
    QCOMPARE(histogram.Count(), int64_t(samples.size()));
    QTEST(histogram.ValueAt(percent), "expected");
  }

  void everyPercentileWithinTheStatedError() {
    // Latencies spread over five orders of magnitude, as a drive's are.
    std::mt19937_64 random(20260101);
    std::lognormal_distribution<double> spread(std::log(200'000.0), 1.5);
    std::vector<int64_t> values;
    LatencyHistogram histogram;
    for (int i = 0; i < 100'000; ++i) {
      const auto value = static_cast<int64_t>(spread(random));
      values.push_back(value);
      histogram.Record(value);
    }
    for (double percent : {1.0, 25.0, 50.0, 90.0, 99.0, 99.9, 99.99, 100.0}) {
      const double exact = static_cast<double>(NearestRank(values, percent));
      const double reported = histogram.ValueAt(percent);
      QVERIFY2(std::abs(reported - exact) <= exact / 128 + 0.5,
               qPrintable(QStringLiteral("p%1: %2 for %3").arg(percent).arg(reported).arg(exact)));
    }
  }

  void mergedIsTheSameAsOne() {
    LatencyHistogram whole, first, second;
    for (int64_t v = 0; v < 5'000; ++v) {
      const int64_t latency = v * v * 37 % 3'000'000;
      whole.Record(latency);
      (v % 3 == 0 ? first : second).Record(latency);
    }
    first.Merge(second);
    QCOMPARE(first.Count(), whole.Count());
    QCOMPARE(first.Lowest(), whole.Lowest());
    QCOMPARE(first.Highest(), whole.Highest());
    for (double percent : {50.0, 99.0, 99.9}) QCOMPARE(first.ValueAt(percent), whole.ValueAt(percent));
  }

  void endsOfTheRange() {
    LatencyHistogram empty;
    QCOMPARE(empty.Count(), int64_t{0});
    QCOMPARE(empty.ValueAt(50), 0.0);
    QCOMPARE(empty.Lowest(), int64_t{0});

    LatencyHistogram odd;
    odd.Record(-5);  // a clock that went back counts as no time at all
    QCOMPARE(odd.ValueAt(50), 0.0);
    odd.Record(int64_t{1} << 50);  // beyond 36 minutes: the last bucket
    QCOMPARE(odd.Count(), int64_t{2});
    QCOMPARE(odd.Highest(), LatencyHistogram::kHighestValue);
    const double highest = static_cast<double>(LatencyHistogram::kHighestValue);
    QVERIFY(odd.ValueAt(100) <= highest && odd.ValueAt(100) >= highest * (1 - 1.0 / 128));
  }
};

QTEST_GUILESS_MAIN(LatencyHistogramTest)
#include "test_latency_histogram.moc"
