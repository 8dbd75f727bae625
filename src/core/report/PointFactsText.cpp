#include "core/report/PointFactsText.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QStringList>

#include "core/results/TestInfo.h"

namespace torvik {
namespace {

QString Unknown() { return QCoreApplication::translate("PointFactsText", "不明"); }

QString TextOr(const QJsonValue& value) {
  return value.isString() && !value.toString().isEmpty() ? value.toString() : Unknown();
}

QString Bytes(const QJsonValue& value) { return WorkingSetName(static_cast<int64_t>(value.toDouble())); }

QString CacheName(const QJsonObject& cache) {
  return QStringLiteral("L%1 %2 %3")
      .arg(cache[u"level"].toInt())
      .arg(cache[u"type"].toString(), Bytes(cache[u"bytes"]));
}

void ProcessorLines(const QJsonObject& facts, QStringList& lines) {
  if (!facts.contains(u"usable_processors")) return;
  lines << QCoreApplication::translate("PointFactsText", "使えるプロセッサ: %1 / %2")
               .arg(facts[u"usable_processors"].toInt())
               .arg(facts[u"machine_processors"].toInt());
  if (facts[u"limited"].toBool())
    lines << QCoreApplication::translate("PointFactsText", "少ない理由: %1").arg(TextOr(facts[u"why_fewer"]));
}

void CoresLines(const QJsonObject& facts, QStringList& lines) {
  if (facts.contains(u"physical_cores")) {
    lines << QCoreApplication::translate("PointFactsText", "物理コア: %1、SMT: %2")
                 .arg(facts[u"physical_cores"].toInt())
                 .arg(facts[u"smt"].toBool() ? QCoreApplication::translate("PointFactsText", "あり")
                                             : QCoreApplication::translate("PointFactsText", "なし"));
  }
  if (facts[u"hybrid"].toBool()) {
    lines << QCoreApplication::translate("PointFactsText", "P コアのプロセッサ: %1、E コアのプロセッサ: %2")
                 .arg(facts[u"performance_processors"].toInt())
                 .arg(facts[u"efficiency_processors"].toInt());
  }
  QStringList counts;
  for (const QJsonValue& count : facts[u"thread_counts"].toArray()) counts << QString::number(count.toInt());
  if (!counts.isEmpty())
    lines << QCoreApplication::translate("PointFactsText", "スレッド数: %1").arg(counts.join(QStringLiteral(", ")));
}

void RamLines(const QJsonObject& facts, QStringList& lines) {
  QStringList caches;
  for (const QJsonValue& cache : facts[u"caches"].toArray()) caches << CacheName(cache.toObject());
  lines << QCoreApplication::translate("PointFactsText", "報告されたキャッシュ: %1")
               .arg(caches.isEmpty() ? Unknown() : caches.join(QStringLiteral(", ")));
  for (const QJsonValue& value : facts[u"levels"].toArray()) {
    const QJsonObject level = value.toObject();
    const QString ns = QString::number(level[u"nanoseconds"].toDouble(), 'f', 1);
    if (level[u"memory"].toBool()) {
      lines << QCoreApplication::translate("PointFactsText", "曲線の段: メモリ %1 ns (%2 から)")
                   .arg(ns, Bytes(level[u"first_bytes"]));
      continue;
    }
    const QString size = level[u"bytes"].isDouble() ? Bytes(level[u"bytes"]) : Unknown();
    const QJsonValue cache = level[u"reported_cache"];
    lines << (cache.isObject()
                  ? QCoreApplication::translate("PointFactsText", "曲線の段: %1 まで %2 ns (報告されたキャッシュ %3)")
                        .arg(size, ns, CacheName(cache.toObject()))
                  : QCoreApplication::translate("PointFactsText", "曲線の段: %1 まで %2 ns").arg(size, ns));
  }
  if (facts.contains(u"huge_pages"))
    lines
        << QCoreApplication::translate("PointFactsText", "透過的ヒュージページ: %1").arg(TextOr(facts[u"huge_pages"]));
}

void DriveLines(const QJsonObject& facts, QStringList& lines) {
  lines << QCoreApplication::translate("PointFactsText", "モデル: %1").arg(TextOr(facts[u"model"]));
  lines << QCoreApplication::translate("PointFactsText", "接続: %1").arg(TextOr(facts[u"transport"]));
  lines << QCoreApplication::translate("PointFactsText", "ファイルシステム: %1").arg(TextOr(facts[u"file_system"]));
  QString engine = QCoreApplication::translate("PointFactsText", "エンジン: %1").arg(TextOr(facts[u"engine"]));
  if (facts[u"io_uring_refused"].isString()) {
    engine += QCoreApplication::translate("PointFactsText", " (io_uring は使えません: %1)")
                  .arg(facts[u"io_uring_refused"].toString());
  }
  lines << engine;
  if (facts.contains(u"file_bytes"))
    lines << QCoreApplication::translate("PointFactsText", "テストファイル: %1").arg(Bytes(facts[u"file_bytes"]));
}

}  // namespace

QString PointFactsText(const QString& groupId, const QJsonObject& facts) {
  QStringList lines;
  if (groupId == u"cores") {
    ProcessorLines(facts, lines);
    CoresLines(facts, lines);
  } else if (groupId == u"ram") {
    ProcessorLines(facts, lines);
    RamLines(facts, lines);
  } else if (groupId == u"drive") {
    DriveLines(facts, lines);
  }
  return lines.join(u'\n');
}

}  // namespace torvik
