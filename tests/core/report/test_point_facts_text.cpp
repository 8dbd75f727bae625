// A group's facts in words, as the window of today's machine shows them:
// the processors it could use and why fewer, the levels of the latency
// curve beside the reported caches, the drive and its engine; a fact that
// is missing says so, a group without facts says nothing.
#include <QJsonDocument>
#include <QtTest>

#include "core/report/PointFactsText.h"

using namespace torvik;

class PointFactsTextTest : public QObject {
  Q_OBJECT

 private slots:
  void factsReadAsLines_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("cores, limited") << "cores"
                                    << QByteArray(R"({"machine_processors": 8, "usable_processors": 2, "limited": true,
        "why_fewer": "CPU アフィニティで 2 個に制限", "physical_cores": 4, "smt": true, "hybrid": false,
        "thread_counts": [1, 2]})")
                                    << QStringList{"使えるプロセッサ: 2 / 8",
                                                   "少ない理由: CPU アフィニティで 2 個に制限",
                                                   "物理コア: 4、SMT: あり", "スレッド数: 1, 2"};
    QTest::newRow("cores, hybrid") << "cores"
                                   << QByteArray(R"({"machine_processors": 4, "usable_processors": 4, "limited": false,
        "physical_cores": 3, "smt": false, "hybrid": true, "performance_processors": 2, "efficiency_processors": 2})")
                                   << QStringList{"使えるプロセッサ: 4 / 4", "物理コア: 3、SMT: なし",
                                                  "P コアのプロセッサ: 2、E コアのプロセッサ: 2"};
    QTest::newRow("ram") << "ram" << QByteArray(R"({"machine_processors": 2, "usable_processors": 2, "limited": false,
        "caches": [{"level": 1, "type": "Data", "bytes": 32768}, {"level": 2, "type": "Unified", "bytes": 524288}],
        "levels": [{"bytes": 32768, "nanoseconds": 1.24, "first_bytes": 4096, "memory": false,
                    "reported_cache": {"level": 1, "type": "Data", "bytes": 32768}},
                   {"bytes": null, "nanoseconds": 5.01, "first_bytes": 65536, "memory": false, "reported_cache": null},
                   {"bytes": null, "nanoseconds": 88.26, "first_bytes": 33554432, "memory": true}],
        "huge_pages": "madvise"})")
                         << QStringList{"使えるプロセッサ: 2 / 2",
                                        "報告されたキャッシュ: L1 Data 32 KiB, L2 Unified 512 KiB",
                                        "曲線の段: 32 KiB まで 1.2 ns (報告されたキャッシュ L1 Data 32 KiB)",
                                        "曲線の段: 不明 まで 5.0 ns",
                                        "曲線の段: メモリ 88.3 ns (32 MiB から)",
                                        "透過的ヒュージページ: madvise"};
    QTest::newRow("drive, io_uring refused")
        << "drive" << QByteArray(R"({"file_system": "ext4", "model": null, "transport": "virtio", "engine": "threads",
        "io_uring_refused": "Operation not permitted", "file_bytes": 268435456})")
        << QStringList{"モデル: 不明", "接続: virtio", "ファイルシステム: ext4",
                       "エンジン: threads (io_uring は使えません: Operation not permitted)", "テストファイル: 256 MiB"};
    QTest::newRow("a classic group") << "cpu" << QByteArray("{}") << QStringList{};
  }
  void factsReadAsLines() {
    QFETCH(QString, group);
    QFETCH(QByteArray, json);
    QFETCH(QStringList, lines);
    QJsonParseError error;
    const QJsonObject facts = QJsonDocument::fromJson(json, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QString text = PointFactsText(group, facts);
    QCOMPARE(text.isEmpty() ? QStringList{} : text.split(u'\n'), lines);
  }
};

QTEST_GUILESS_MAIN(PointFactsTextTest)
#include "test_point_facts_text.moc"
