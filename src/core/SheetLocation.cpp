#include "core/SheetLocation.h"

#include <QFileInfo>

namespace torvik {

QString SheetBesideExecutable(const QString& executable) {
  const qsizetype slash = executable.lastIndexOf(u'/');
  const qsizetype dot = executable.lastIndexOf(u'.');
  return (dot > slash + 1 ? executable.left(dot) : executable) + QStringLiteral(".txt");
}

QString ChooseSheetPath(const QString& executable, const QString& dataFolder, const WritableTest& writable) {
  const QString beside = SheetBesideExecutable(executable);
  const QFileInfo sheet(beside);
  if (sheet.exists() ? writable(beside) : writable(sheet.absolutePath())) return beside;
  QString folder = dataFolder;
  if (!folder.endsWith(u'/')) folder += u'/';
  return folder + sheet.fileName();
}

}  // namespace torvik
