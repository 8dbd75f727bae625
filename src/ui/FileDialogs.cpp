#include "ui/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <functional>
#include <memory>

namespace torvik {
namespace {

const auto kFolderKey = QStringLiteral("FileDialog/Folder");

QString DataFolder() { return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation); }

QSettings Remembered() { return QSettings(DataFolder() + QStringLiteral("/windows.conf"), QSettings::IniFormat); }

// Qt's file dialog reads its state when made and writes it when destroyed,
// through the user's settings folder, the same as this program's settings
// file: for those two moments alone (no event is handled meanwhile) the
// folder is the data folder.
void WithQtStateInDataFolder(const std::function<void()>& step) {
  const QString settingsFolder =
      QFileInfo(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("QtProject")).fileName())
          .absolutePath();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, DataFolder());
  step();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder);
}

// The folder the last dialog was left in while it still exists, else home.
QString FileDialogStart() {
  const QString folder = Remembered().value(kFolderKey).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

}  // namespace

QStringList AskForFiles(QWidget* parent, FileDialogKind kind, const QString& caption, const QString& fileName,
                        const QString& filter) {
  std::unique_ptr<QFileDialog> dialog;
  WithQtStateInDataFolder([&] { dialog = std::make_unique<QFileDialog>(parent, caption, FileDialogStart(), filter); });
  if (kind == FileDialogKind::kSaveFile) {
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
  } else {
    dialog->setFileMode(QFileDialog::ExistingFiles);
  }
  if (!fileName.isEmpty()) dialog->selectFile(fileName);
  const QStringList chosen = dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
  WithQtStateInDataFolder([&] { dialog.reset(); });
  if (!chosen.isEmpty()) Remembered().setValue(kFolderKey, QFileInfo(chosen.first()).absolutePath());
  return chosen;
}

}  // namespace torvik
