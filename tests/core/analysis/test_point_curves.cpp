// What the charts of today's machine draw: the speed-up over the workload's
// own one-thread point (none before it came), the ideal line at every
// thread count, STREAM's kernels, the latency curve in working-set order,
// the drive's rows paired as read and write in the group's order whatever
// order they came in.
#include <QtTest>

#include "core/analysis/PointCurves.h"

using namespace torvik;

namespace {

MeasuredPoint Point(const char* group, const char* test, int threads, double rate) {
  MeasuredPoint point;
  point.group = QLatin1String(group);
  point.test = QLatin1String(test);
  point.threads = threads;
  point.rate = rate;
  return point;
}

MeasuredPoint Latency(int64_t bytes, std::optional<double> ns) {
  MeasuredPoint point = Point("ram", "latency", 1, 0);
  point.bytes = bytes;
  point.nanoseconds = ns;
  return point;
}

// "name: x=y x=y | name: ..."
QString Said(const std::vector<PointCurve>& curves) {
  QStringList said;
  for (const PointCurve& curve : curves) {
    QStringList points;
    for (const CurvePoint& point : curve.points) points << QStringLiteral("%1=%2").arg(point.x).arg(point.y);
    said << curve.name + QStringLiteral(": ") + points.join(u' ');
  }
  return said.join(QStringLiteral(" | "));
}

}  // namespace

Q_DECLARE_METATYPE(std::vector<MeasuredPoint>)

class PointCurvesTest : public QObject {
  Q_OBJECT

 private slots:
  void theSpeedUpIsOverTheOneThreadPoint_data() {
    QTest::addColumn<std::vector<MeasuredPoint>>("points");
    QTest::addColumn<QString>("curves");
    QTest::newRow("a workload") << std::vector{Point("cores", "zstd-compress", 1, 100),
                                               Point("cores", "zstd-compress", 2, 190)}
                                << "zstd compress: 1=1 2=1.9";
    QTest::newRow("before its one-thread point") << std::vector{Point("cores", "sha256", 2, 100)} << "";
    QTest::newRow("a one-thread point that measured nothing")
        << std::vector{Point("cores", "sha256", 1, 0), Point("cores", "sha256", 2, 100)} << "";
    QTest::newRow("in the order they first came, threads in order")
        << std::vector{Point("cores", "sha256", 4, 180), Point("cores", "division", 1, 10),
                       Point("cores", "sha256", 1, 50), Point("cores", "sha256", 2, 100)}
        << "SHA-256: 1=1 2=2 4=3.6 | Division: 1=1";
    QTest::newRow("a point measured again replaces the earlier")
        << std::vector{Point("cores", "division", 1, 10), Point("cores", "division", 2, 15),
                       Point("cores", "division", 2, 20)}
        << "Division: 1=1 2=2";
    QTest::newRow("the other groups' points")
        << std::vector{Point("ram", "stream-copy", 1, 10), Point("drive", "seq1m-q8t1-read", 1, 10)} << "";
  }
  void theSpeedUpIsOverTheOneThreadPoint() {
    QFETCH(std::vector<MeasuredPoint>, points);
    QFETCH(QString, curves);
    QCOMPARE(Said(ScalingCurves(points)), curves);
  }

  void theIdealDoublesWithTheThreads() {
    const std::vector<MeasuredPoint> points{Point("cores", "division", 1, 10), Point("cores", "division", 2, 19),
                                            Point("cores", "sha256", 1, 5), Point("cores", "sha256", 4, 18)};
    const PointCurve ideal = IdealScaling(ScalingCurves(points));
    QCOMPARE(ideal.points, (std::vector<CurvePoint>{{1, 1}, {2, 2}, {4, 4}}));
    QVERIFY(IdealScaling({}).points.empty());
  }

  void streamHasACurvePerKernel() {
    const std::vector<MeasuredPoint> points{Point("ram", "stream-copy", 1, 12.5), Point("cores", "division", 1, 9),
                                            Point("ram", "stream-triad", 1, 13), Point("ram", "stream-copy", 2, 20),
                                            Latency(4096, 1.2)};
    QCOMPARE(Said(BandwidthCurves(points)), QStringLiteral("STREAM Copy: 1=12.5 2=20 | STREAM Triad: 1=13"));
  }

  void theLatencyCurveIsInWorkingSetOrder() {
    const PointCurve curve = LatencyCurve({Latency(1 << 20, 4.5), Latency(4096, 1.25), Latency(8192, std::nullopt),
                                           Latency(4096, 1.5), Point("ram", "stream-copy", 1, 3)});
    QCOMPARE(curve.name, QStringLiteral("Latency"));
    QCOMPARE(curve.points, (std::vector<CurvePoint>{{4096, 1.5}, {1 << 20, 4.5}}));
  }

  void driveRowsPairAsReadAndWrite() {
    const std::vector<DriveBar> bars =
        DriveBars({Point("drive", "rnd4k-q1t1-read", 1, 50), Point("drive", "seq1m-q8t1-write", 1, 1500),
                   Point("drive", "seq1m-q8t1-read", 1, 2100), Point("cores", "division", 1, 7)});
    QCOMPARE(bars, (std::vector<DriveBar>{{QStringLiteral("SEQ1M Q8T1"), 2100.0, 1500.0},
                                          {QStringLiteral("RND4K Q1T1"), 50.0, std::nullopt}}));
    QVERIFY(DriveBars({}).empty());
  }

  void workloadNamesLoseTheirThreads_data() {
    QTest::addColumn<QString>("test");
    QTest::addColumn<QString>("name");
    QTest::newRow("cores") << "zstd-decompress"
                           << "zstd decompress";
    QTest::newRow("stream") << "stream-scale"
                            << "STREAM Scale";
    QTest::newRow("unknown") << "frobnicate"
                             << "frobnicate";
  }
  void workloadNamesLoseTheirThreads() {
    QFETCH(QString, test);
    QFETCH(QString, name);
    QCOMPARE(WorkloadName(test), name);
  }
};

QTEST_GUILESS_MAIN(PointCurvesTest)
#include "test_point_curves.moc"
