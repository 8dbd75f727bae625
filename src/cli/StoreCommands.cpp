#include "cli/StoreCommands.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "core/base/TimeValue.h"
#include "core/history/SheetImport.h"
#include "core/report/OutputFile.h"
#include "core/report/ReportBuilder.h"
#include "core/results/Timing.h"

namespace torvik {
namespace {

constexpr int kFailed = 1;
constexpr int kPage = 1'000;

// `what` failed: "計測結果を開けません" (open), "計測結果を保存できません" (write),
// "計測結果を読めません" (read).
int StoreFailed(const ResultStore& store,
                const char* what = QT_TRANSLATE_NOOP("StoreCommands", "計測結果を開けません")) {
  const QString text = QCoreApplication::translate("StoreCommands", what);
  std::fprintf(stderr, "torvik: %s: %s\n", text.toLocal8Bit().constData(), store.Error().toLocal8Bit().constData());
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
        // Put together, not through arg(): a "%2" in a name stays text. Every
        // name on one line: a line break in a name cannot forge a row.
        const QStringList cells = {QString::number(run.id).rightJustified(6),
                                   OneLine(run.started).leftJustified(25),
                                   OneLine(run.group).leftJustified(7),
                                   OneLine(run.pcName).leftJustified(12),
                                   bench.rightJustified(10),
                                   total.rightJustified(9),
                                   OneLine(run.origin).leftJustified(7),
                                   OneLine(run.processor)};
        text += (cells.join(QStringLiteral("  ")) + u'\n').toUtf8();
      }
    }
    if (static_cast<int>(runs.size()) < kPage) break;
  }
  Print(format == OutputFormat::Json ? QJsonDocument(json).toJson(QJsonDocument::Indented) : text);
  return 0;
}

int ImportSheets(ResultStore& store, const QStringList& files) {
  if (!store.Open()) return StoreFailed(store);
  const ImportSummary summary = ImportSheetFiles(store, files, QDateTime::currentDateTime());
  for (const QString& problem : summary.problems) {
    std::fprintf(stderr, "torvik: %s\n", problem.toLocal8Bit().constData());
  }
  Print(ImportMessage(ImportSummary{summary.imported, summary.present, summary.unreadable, {}}).toUtf8() + '\n');
  return summary.problems.isEmpty() ? 0 : kFailed;
}

int ExportCsv(ResultStore& store, const QString& path) {
  if (!store.Open()) return StoreFailed(store);
  QBuffer csv;
  csv.open(QIODevice::WriteOnly);
  if (!store.ExportCsv({}, csv)) return StoreFailed(store, QT_TRANSLATE_NOOP("StoreCommands", "計測結果を読めません"));
  if (const QString error = WriteOutput(path, csv.data()); !error.isEmpty()) {
    std::fprintf(stderr, "torvik: cannot write %s\n", error.toLocal8Bit().constData());
    return kFailed;
  }
  return 0;
}

}  // namespace torvik
