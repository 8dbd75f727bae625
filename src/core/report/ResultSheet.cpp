#include "core/report/ResultSheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/FileSystem.h"

namespace torvik {

QString SheetBesideExecutable(const QString& executable) {
  const qsizetype slash = executable.lastIndexOf(u'/');
  const qsizetype dot = executable.lastIndexOf(u'.');
  return (dot > slash + 1 ? executable.left(dot) : executable) + QStringLiteral(".txt");
}

QString ChooseSheetPath(const QString& executable, const QString& dataFolder, const WritableTest& writable) {
  const QString beside = SheetBesideExecutable(executable);
  const QFileInfo sheet(beside);
  // The system's program folders hold no user data, even for root, who may
  // write there: a package's removal would leave the sheet behind.
  static const QStringList kSystemFolders = {"/bin",           "/sbin",           "/usr/bin",  "/usr/sbin",
                                             "/usr/local/bin", "/usr/local/sbin", "/usr/games"};
  const bool systemFolder = kSystemFolders.contains(sheet.absolutePath());
  if (!systemFolder && (sheet.exists() ? writable(beside) : writable(sheet.absolutePath()))) return beside;
  QString folder = dataFolder;
  if (!folder.endsWith(u'/')) folder += u'/';
  return folder + sheet.fileName();
}

QString DefaultSheetPath() {
  return ChooseSheetPath(
      QCoreApplication::applicationFilePath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
      [](const QString& path) { return platform::IsWritable(QFile::encodeName(path).toStdString()); });
}

QByteArray SheetBytes(const QStringList& lines) {
  return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

int AppendToSheet(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  platform::AppendFile sheet;
  if (const int error = sheet.Open(QFile::encodeName(path).toStdString())) return error;
  if (const int error = sheet.Write(bytes.toStdString())) return error;
  return sheet.Close();
}

}  // namespace torvik
