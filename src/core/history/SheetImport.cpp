#include "core/history/SheetImport.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <optional>

#include "core/history/SheetParser.h"
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
QString LineTooLongText() {
  return Tr(QT_TRANSLATE_NOOP("SheetImport", "%1: %2 KB を超える行があり、結果シートではありません"));
}

// The sheet's blocks, or why the file is refused.
std::optional<ParsedSheet> ReadSheetFile(const QString& path, const QDateTime& importedAt, QString& problem) {
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
  }
  return reader.Finish();
}

}  // namespace

ImportSummary ImportSheetFiles(ResultStore& store, const QStringList& files, const QDateTime& importedAt) {
  ImportSummary summary;
  for (const QString& path : files) {
    QString problem;
    const std::optional<ParsedSheet> sheet = ReadSheetFile(path, importedAt, problem);
    if (!sheet) {
      summary.problems << problem;
      continue;
    }
    ImportCounts counts;
    if (!store.Import(sheet->runs, counts)) {
      // The blocks were read; the store did not keep them: its failure says so.
      summary.problems << store.Error();
      summary.unreadable += sheet->unreadable;
      continue;
    }
    summary.imported += counts.imported;
    summary.present += counts.duplicates;
    summary.unreadable += sheet->unreadable;
  }
  return summary;
}

QString ImportMessage(const ImportSummary& summary) {
  QString message = ImportedText().arg(summary.imported).arg(summary.present).arg(summary.unreadable);
  if (!summary.problems.isEmpty()) message += u'\n' + summary.problems.join(u'\n');
  return message;
}

}  // namespace torvik
