#include "cli/StoreCommands.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cstdio>

#include "core/base/TimeValue.h"
#include "core/history/SheetParser.h"
#include "core/results/Timing.h"

namespace torvik {
namespace {

constexpr int kFailed = 1;
constexpr int kPage = 1'000;

int StoreFailed(const ResultStore& store) {
  std::fprintf(stderr, "torvik: 計測結果を開けません: %s\n", store.Error().toLocal8Bit().constData());
  return kFailed;
}

void Print(const QByteArray& bytes) {
  std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int PrintHistory(ResultStore& store, OutputFormat format) {
  if (!store.Open()) return StoreFailed(store);
  QJsonArray json;
  QByteArray text = QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                        .arg(QStringLiteral("id"), 6)
                        .arg(QStringLiteral("date"), -25)
                        .arg(QStringLiteral("group"), -7)
                        .arg(QStringLiteral("pc"), -12)
                        .arg(QStringLiteral("bench no"), 10)
                        .arg(QStringLiteral("total"), 9)
                        .arg(QStringLiteral("origin"), -7)
                        .arg(QStringLiteral("processor"))
                        .toUtf8();
  for (int offset = 0;; offset += kPage) {
    const std::vector<StoredRun> runs = store.Runs(offset, kPage);
    for (const StoredRun& run : runs) {
      const QString total = FormatSeconds(TimeValue::FromTenths(run.totalTenths), u'.').trimmed();
      const QString bench = run.benchNo ? QString::number(*run.benchNo) : QStringLiteral("Bench Stop");
      if (format == OutputFormat::Json) {
        json.append(QJsonObject{{"id", double(run.id)},
                                {"started", run.started},
                                {"group", run.group},
                                {"pc_name", run.pcName},
                                {"user_name", run.userName},
                                {"processor", run.processor},
                                {"bench_no", run.benchNo ? QJsonValue(*run.benchNo) : QJsonValue()},
                                {"total_tenths", double(run.totalTenths)},
                                {"total_seconds", run.totalSeconds ? QJsonValue(*run.totalSeconds) : QJsonValue()},
                                {"stopped", run.stopped},
                                {"origin", run.origin}});
      } else {
        text += QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                    .arg(run.id, 6)
                    .arg(run.started, -25)
                    .arg(run.group, -7)
                    .arg(run.pcName, -12)
                    .arg(bench, 10)
                    .arg(total, 9)
                    .arg(run.origin, -7)
                    .arg(run.processor)
                    .toUtf8();
      }
    }
    if (static_cast<int>(runs.size()) < kPage) break;
  }
  Print(format == OutputFormat::Json ? QJsonDocument(json).toJson(QJsonDocument::Indented) : text);
  return 0;
}

int ImportSheets(ResultStore& store, const QStringList& files) {
  if (!store.Open()) return StoreFailed(store);
  int imported = 0, skipped = 0, status = 0;
  for (const QString& path : files) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "torvik: %s: %s\n", path.toLocal8Bit().constData(),
                   file.errorString().toLocal8Bit().constData());
      status = kFailed;
      continue;
    }
    const ParsedSheet sheet = ParseSheet(file.readAll(), QDateTime::currentDateTime());
    ImportCounts counts;
    if (!store.Import(sheet.runs, counts)) return StoreFailed(store);
    imported += counts.imported;
    skipped += counts.duplicates + sheet.unreadable;
  }
  Print(QStringLiteral("%1 件を読み込みました。%2 件は読み込めませんでした。\n").arg(imported).arg(skipped).toUtf8());
  return status;
}

int ExportCsv(ResultStore& store, const QString& path) {
  if (!store.Open()) return StoreFailed(store);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !store.ExportCsv({}, file) || !file.commit()) {
    std::fprintf(stderr, "torvik: %s: %s\n", path.toLocal8Bit().constData(),
                 (store.Error().isEmpty() ? file.errorString() : store.Error()).toLocal8Bit().constData());
    return kFailed;
  }
  return 0;
}

}  // namespace torvik
