#include "ui/HelpWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
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

QString HelpInLanguage(const QString& text, const QString& language) {
  static const QRegularExpression marker(QStringLiteral("^\\s*<!--\\s*(ja|en|both)\\s*-->\\s*$"));
  QStringList kept;
  QString part = QStringLiteral("both");
  for (const QString& line : text.split(u'\n')) {
    const QRegularExpressionMatch match = marker.match(line);
    if (match.hasMatch()) {
      part = match.captured(1);
    } else if (part == u"both" || part == language) {
      kept << line;
    }
  }
  return kept.join(u'\n');
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
  // The window's language, as its translation says it.
  const QString language = QCoreApplication::translate("HelpWindow", "ja", "the help text's language: ja or en");
  browser->setHtml(HelpInLanguage(QString::fromUtf8(file.readAll()), language));
  browser->moveCursor(QTextCursor::Start);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace torvik
