// The drive group's plan (its rows, their blocks, depths and order, the
// warm-up and row times, the space it needs) and the file-size rules a
// user's text goes through.
#include <QtTest>
#include <cmath>

#include "core/drive/DriveFileSize.h"
#include "core/drive/DrivePlan.h"

using namespace torvik;

namespace {
constexpr qint64 kMiB = qint64{1} << 20;
constexpr qint64 kGiB = qint64{1} << 30;
constexpr qint64 kTiB = qint64{1} << 40;
}  // namespace

class DrivePlanTest : public QObject {
  Q_OBJECT

 private slots:
  void rowsComeInTheirFixedOrder() {
    const DrivePlanResult result = MakeDrivePlan(DriveSettings{QStringLiteral("/srv/t"), kDefaultDriveFileBytes, 5});
    QVERIFY(result.plan);
    const DrivePlan& plan = *result.plan;
    QStringList ids;
    for (const DriveRow& row : plan.rows) ids << QLatin1String(row.id);
    QCOMPARE(ids, QStringList({"seq1m-q8t1-read", "seq1m-q8t1-write", "seq1m-q1t1-read", "seq1m-q1t1-write",
                               "rnd4k-q32t1-read", "rnd4k-q32t1-write", "rnd4k-q1t1-read", "rnd4k-q1t1-write"}));
    for (const DriveRow& row : plan.rows) {
      const QString id = QLatin1String(row.id);
      // The id says it all: the pattern, the block, the depth, the threads, the direction.
      QCOMPARE(row.random, id.startsWith(u"rnd4k"));
      QCOMPARE(row.blockBytes, row.random ? 4096 : 1 << 20);
      QCOMPARE(QStringLiteral("q%1t%2").arg(row.depth).arg(row.threads), id.section(u'-', 1, 1));
      QCOMPARE(row.write, id.endsWith(u"-write"));
      QCOMPARE(QString::fromLatin1(row.label).toLower().replace(u' ', u'-'), id.section(u'-', 0, 1));
      QVERIFY(row.depth <= kDriveMaximumDepth);
    }
  }

  void planTakesTheSettings_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("fileBytes");
    QTest::addColumn<double>("rowSeconds");
    QTest::addColumn<QString>("testPath");
    QTest::addColumn<qint64>("plannedBytes");
    QTest::addColumn<qint64>("warmUpNs");
    QTest::addColumn<qint64>("rowNs");
    QTest::newRow("defaults") << "/home/ann" << 1 * kGiB << 5.0 << "/home/ann/" << 1 * kGiB << qint64{1'000'000'000}
                              << qint64{5'000'000'000};
    // A row shorter than five seconds warms up for a fifth of it.
    QTest::newRow("short rows") << "/srv/t/" << 16 * kMiB << 0.5 << "/srv/t/" << 16 * kMiB << qint64{100'000'000}
                                << qint64{500'000'000};
    QTest::newRow("long rows") << "/srv/t" << 4 * kGiB << 30.0 << "/srv/t/" << 4 * kGiB << qint64{1'000'000'000}
                               << qint64{30'000'000'000};
    // Whole MiB only, rounded down: a decimal gigabyte.
    QTest::newRow("decimal size") << "/srv/t" << qint64{1'000'000'000} << 5.0 << "/srv/t/" << 953 * kMiB
                                  << qint64{1'000'000'000} << qint64{5'000'000'000};
  }
  void planTakesTheSettings() {
    QFETCH(QString, path);
    QFETCH(qint64, fileBytes);
    QFETCH(double, rowSeconds);
    const DrivePlanResult result = MakeDrivePlan(DriveSettings{path, fileBytes, rowSeconds});
    QVERIFY2(result.plan, qPrintable(result.problem));
    QVERIFY(result.problem.isEmpty());
    QTEST(result.plan->testPath, "testPath");
    QTEST(qint64{result.plan->fileBytes}, "plannedBytes");
    QTEST(qint64{result.plan->warmUpNs}, "warmUpNs");
    QTEST(qint64{result.plan->rowNs}, "rowNs");
    QCOMPARE(result.plan->rows.size(), size_t{8});
    // The file and the HDD group's 250 MB margin.
    QCOMPARE(result.plan->FreeBytesNeeded(), result.plan->fileBytes + (int64_t{250} << 20));
  }

  void planRefusesWhatCannotRun_data() {
    QTest::addColumn<qint64>("fileBytes");
    QTest::addColumn<double>("rowSeconds");
    QTest::addColumn<QString>("problem");
    QTest::newRow("no file") << qint64{0} << 5.0 << "ファイルサイズに 0 は指定できません";
    QTest::newRow("under eight MiB") << 8 * kMiB - 1 << 5.0
                                     << "ファイルサイズは 8 MiB 以上にしてください（指定: 8388607 バイト）";
    QTest::newRow("negative") << qint64{-1} << 5.0
                              << "ファイルサイズ「-1」を読み取れません（例: 512M、1G、4GiB、1073741824）";
    QTest::newRow("rows too short") << 1 * kGiB << 0.05 << "1項目の計測時間は 0.1 秒から 600 秒の間で指定してください";
    QTest::newRow("rows too long") << 1 * kGiB << 601.0 << "1項目の計測時間は 0.1 秒から 600 秒の間で指定してください";
    QTest::newRow("rows of no number") << 1 * kGiB << std::nan("")
                                       << "1項目の計測時間は 0.1 秒から 600 秒の間で指定してください";
  }
  void planRefusesWhatCannotRun() {
    QFETCH(qint64, fileBytes);
    QFETCH(double, rowSeconds);
    const DrivePlanResult result = MakeDrivePlan(DriveSettings{QStringLiteral("/srv/t"), fileBytes, rowSeconds});
    QVERIFY(!result.plan);
    QTEST(result.problem, "problem");
  }

  void statusNamesTheRow() {
    QCOMPARE(DriveRowStatus(kDriveRows[0]), QStringLiteral("ドライブ性能 計測中！（SEQ1M Q8T1 読み込み）"));
    QCOMPARE(DriveRowStatus(kDriveRows[5]), QStringLiteral("ドライブ性能 計測中！（RND4K Q32T1 書き込み）"));
    QCOMPARE(DriveFillStatus(), QStringLiteral("ドライブ性能 準備中！（テストファイル作成）"));
  }

  void sizesAsUsersWriteThem_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("bytes");
    QTest::newRow("bytes") << "1073741824" << 1 * kGiB;
    QTest::newRow("M") << "512M" << 512 * kMiB;
    QTest::newRow("G") << "1G" << 1 * kGiB;
    QTest::newRow("lower case") << "2g" << 2 * kGiB;
    QTest::newRow("GiB") << "4GiB" << 4 * kGiB;
    QTest::newRow("Gi") << "3Gi" << 3 * kGiB;
    QTest::newRow("T") << "1T" << 1 * kTiB;
    QTest::newRow("KiB") << "16384KiB" << 16 * kMiB;
    QTest::newRow("space before the unit") << " 64 MiB " << 64 * kMiB;
    QTest::newRow("fraction") << "1.5G" << 1536 * kMiB;
    // Decimal units, then whole MiB below.
    QTest::newRow("GB") << "1GB" << 953 * kMiB;
    QTest::newRow("MB") << "100MB" << 95 * kMiB;
    QTest::newRow("B") << "9437184B" << 9 * kMiB;
    QTest::newRow("bytes not whole MiB") << "10000000" << 9 * kMiB;
    QTest::newRow("smallest") << "8M" << 8 * kMiB;
    QTest::newRow("largest") << "1024T" << 1024 * kTiB;
  }
  void sizesAsUsersWriteThem() {
    QFETCH(QString, text);
    const DriveFileSize size = ParseDriveFileSize(text);
    QVERIFY2(size.ok(), qPrintable(size.message));
    QVERIFY(size.message.isEmpty());
    QTEST(qint64{size.bytes}, "bytes");
  }

  void nonsenseIsRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<DriveSizeProblem>("problem");
    QTest::addColumn<QString>("message");
    const QString unreadable = QStringLiteral("ファイルサイズ「%1」を読み取れません（例: 512M、1G、4GiB、1073741824）");
    QTest::newRow("empty") << "" << DriveSizeProblem::Empty << "ファイルサイズが指定されていません";
    QTest::newRow("blank") << "   " << DriveSizeProblem::Empty << "ファイルサイズが指定されていません";
    for (const char* text : {"G", "1X", "1 G B", "1GG", "-1G", "+1G", "1,5G", "1.G", ".5G", "1.5", "0x100000", "1e9",
                             "１G", "1G;rm", "1\tG"}) {
      QTest::newRow(text) << text << DriveSizeProblem::Unreadable << unreadable.arg(QString::fromUtf8(text).trimmed());
    }
    QTest::newRow("zero") << "0" << DriveSizeProblem::Zero << "ファイルサイズに 0 は指定できません";
    QTest::newRow("zero with a unit") << "0.0G" << DriveSizeProblem::Zero << "ファイルサイズに 0 は指定できません";
    QTest::newRow("a byte") << "1" << DriveSizeProblem::TooSmall
                            << "ファイルサイズは 8 MiB 以上にしてください（指定: 1 バイト）";
    QTest::newRow("under a row") << "7M" << DriveSizeProblem::TooSmall
                                 << "ファイルサイズは 8 MiB 以上にしてください（指定: 7 MiB）";
    QTest::newRow("rounds below a row") << "8MB" << DriveSizeProblem::TooSmall
                                        << "ファイルサイズは 8 MiB 以上にしてください（指定: 8000000 バイト）";
    QTest::newRow("beyond a PiB") << "1025T" << DriveSizeProblem::TooLarge
                                  << "ファイルサイズは 1 PiB 以下にしてください";
    QTest::newRow("beyond 64 bits") << "99999999999999999999999" << DriveSizeProblem::TooLarge
                                    << "ファイルサイズは 1 PiB 以下にしてください";
    QTest::newRow("huge times a unit") << "18446744073709551615T" << DriveSizeProblem::TooLarge
                                       << "ファイルサイズは 1 PiB 以下にしてください";
  }
  void nonsenseIsRefused() {
    QFETCH(QString, text);
    const DriveFileSize size = ParseDriveFileSize(text);
    QVERIFY(!size.ok());
    QCOMPARE(size.bytes, int64_t{0});
    QTEST(size.problem, "problem");
    QTEST(size.message, "message");
  }
};

QTEST_GUILESS_MAIN(DrivePlanTest)
#include "test_drive_plan.moc"
