#include "ui/HelpWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace torvik {

QString LocateHelpFile(const QString& helpFile) {
  // Beside the executable (the build tree), in the installed data folder
  // (<prefix>/share/torvik beside <prefix>/bin), then the current folder.
  const QString executable = QCoreApplication::applicationDirPath();
  for (const QString& folder :
       {executable, QDir(executable).filePath(QStringLiteral("../share/torvik")), QDir::currentPath()}) {
    const QString path = QDir(folder).filePath(helpFile);
    if (QFile::exists(path)) return path;
  }
  return {};
}

void ShowHelpContents(QWidget* parent, const QString& helpFile) {
  const QString path = LocateHelpFile(helpFile);
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    QMessageBox::warning(
        parent, QCoreApplication::translate("HelpWindow", "ヘルプ"),
        QCoreApplication::translate("HelpWindow", "ヘルプ ファイル \"%1\" が見つかりません。").arg(helpFile));
    return;
  }
  // One help window, reused: a second request brings it back at the start.
  static QDialog* window = nullptr;
  static QTextBrowser* browser = nullptr;
  if (window == nullptr) {
    window = new QDialog(parent, Qt::Window);
    window->setObjectName(QStringLiteral("HelpWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    browser = new QTextBrowser(window);
    browser->setObjectName(QStringLiteral("HelpText"));
    browser->setAccessibleName(QCoreApplication::translate("HelpWindow", "ヘルプの本文"));
    browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    window->resize(640, 520);
    QObject::connect(window, &QObject::destroyed, [] {
      window = nullptr;
      browser = nullptr;
    });
  }
  window->setWindowTitle(QCoreApplication::translate("HelpWindow", "TORVIK ヘルプ"));
  browser->setHtml(QString::fromUtf8(file.readAll()));
  browser->moveCursor(QTextCursor::Start);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace torvik
