#include "core/archive/SheetImport.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

#include "core/archive/SheetParser.h"
#include "core/base/TimeValue.h"
#include "core/results/Timing.h"
#include "core/store/ResultStore.h"
#include "platform/PlainFiles.h"

namespace torvik {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("SheetImport", text); }
QString ImportedText() {
  return Tr(
      QT_TRANSLATE_NOOP("SheetImport", "%1 件を読み込みました。%2 件は記録済みです。%3 件は読み込めませんでした。"));
}
QString NotAFileText() { return Tr(QT_TRANSLATE_NOOP("SheetImport", "%1: 通常のファイルではありません")); }
QString TooLargeText() {
  return Tr(QT_TRANSLATE_NOOP("SheetImport", "%1: %2 MB を超えるファイルは結果シートではありません"));
}
QString RefusedTotalText() {
  return Tr(QT_TRANSLATE_NOOP(
      "SheetImport",
      "%1: %2 行目のブロック (%3) は、合計 %4 が各テストの時間の和 %5 と合わないため読み込みませんでした"));
}
QString MoreRefusedText() {
  return Tr(QT_TRANSLATE_NOOP("SheetImport", "%1: ほかに %2 件のブロックも合計が合いません"));
}
QString TenthsText(int64_t tenths) { return FormatSeconds(TimeValue::FromTenths(tenths), u'.').trimmed(); }

QString LineTooLongText() {
  return Tr(QT_TRANSLATE_NOOP("SheetImport", "%1: %2 KB を超える行があり、結果シートではありません"));
}

// Blocks go to the store this many at a time, each part in a transaction
// of its own: a long sheet never holds the store's write lock for longer
// than a part takes (a run finishing meanwhile is kept between two parts),
// and never lies in memory whole.
constexpr size_t kImportPart = 250;

// Reads `path` block by block, handing the runs to `keep` a part at a time
// (false: the store failed, reading stops); the unreadable blocks, or
// nothing and `problem` when the file is refused or the store failed.
std::optional<int> ImportSheetFile(const QString& path, const QDateTime& importedAt,
                                   const std::function<bool(std::vector<StoredRun>)>& keep, QString& problem,
                                   QStringList& refusals) {
  const int fd = platform::OpenRegularFileForReading(QFile::encodeName(path).toStdString());
  if (fd < 0) {
    problem = -fd == EINVAL ? NotAFileText().arg(path)
                            : QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(-fd)));
    return std::nullopt;
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    problem = QStringLiteral("%1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  if (file.size() > kMaxSheetBytes) {
    problem = TooLargeText().arg(path).arg(kMaxSheetBytes / (1024 * 1024));
    return std::nullopt;
  }
  SheetReader reader(importedAt);
  qint64 read = 0;
  while (!file.atEnd()) {
    // The longest line allowed, its carriage return and its line feed.
    QByteArray line = file.readLine(kMaxSheetLineBytes + 2);
    read += line.size();
    const bool whole = line.endsWith('\n') || file.atEnd();
    if (line.endsWith('\n')) line.chop(1);
    if (line.endsWith('\r')) line.chop(1);
    if (!whole || line.size() > kMaxSheetLineBytes) {
      problem = LineTooLongText().arg(path).arg(kMaxSheetLineBytes / 1024);
      return std::nullopt;
    }
    if (read > kMaxSheetBytes) {  // grown while read
      problem = TooLargeText().arg(path).arg(kMaxSheetBytes / (1024 * 1024));
      return std::nullopt;
    }
    reader.AddLine(std::move(line));
    if (reader.RunsReady() >= kImportPart && !keep(reader.TakeRuns())) return std::nullopt;
  }
  ParsedSheet rest = reader.Finish();
  for (const RefusedTotal& refused : rest.refused) {
    refusals << RefusedTotalText().arg(path, QString::number(refused.line), refused.date,
                                       TenthsText(refused.totalTenths), TenthsText(refused.sumTenths));
  }
  if (rest.refusedBeyond > 0) refusals << MoreRefusedText().arg(path).arg(rest.refusedBeyond);
  if (!rest.runs.empty() && !keep(std::move(rest.runs))) return std::nullopt;
  return rest.unreadable;
}

}  // namespace

ImportSummary ImportSheetFiles(ResultStore& store, const QStringList& files, const QDateTime& importedAt) {
  ImportSummary summary;
  for (const QString& path : files) {
    QString problem;
    const auto keep = [&](std::vector<StoredRun> runs) {
      const ArchiveResult<ImportCounts> counts = store.Import(runs);
      if (!counts.Ok()) {
        // The blocks were read; the store did not keep them: its failure
        // says so (the parts before were kept, and are found there when
        // the sheet is imported again).
        problem = counts.Text();
        return false;
      }
      summary.imported += counts.Value().imported;
      summary.present += counts.Value().duplicates;
      return true;
    };
    QStringList refusals;
    if (const std::optional<int> unreadable = ImportSheetFile(path, importedAt, keep, problem, refusals)) {
      summary.unreadable += *unreadable;
    } else {
      summary.problems << problem;
    }
    summary.refused << refusals;
  }
  return summary;
}

QString ImportMessage(const ImportSummary& summary) {
  QString message = ImportedText().arg(summary.imported).arg(summary.present).arg(summary.unreadable);
  for (const QStringList* lines : {&summary.refused, &summary.problems}) {
    if (!lines->isEmpty()) message += u'\n' + lines->join(u'\n');
  }
  return message;
}

}  // namespace torvik
