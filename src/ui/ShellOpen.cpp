#include "ui/ShellOpen.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cstdio>

#include "core/report/ReportBuilder.h"

namespace torvik {
namespace {

ShellOpener& Current() {
  static ShellOpener opener;
  return opener;
}

ShellFailureListener& Listener() {
  static ShellFailureListener listener;
  return listener;
}

void Tell(const QString& line) {
  if (Listener()) {
    Listener()(line);
  } else {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
  }
}

QString NotOpened(const QString& path, const QString& why) {
  return QStringLiteral("torvik: no program opened %1 (%2); the file is kept there").arg(OneLine(path), why);
}

// xdg-open runs on its own: it may wait for the viewer it starts, and the
// viewer outlives this program (the process is never killed, and deletes
// itself once xdg-open ends). Its input and output are /dev/null; its exit
// status is told.
void OpenWithXdgOpen(const QString& xdgOpen, const QString& path) {
  auto* process = new QProcess;
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(process, &QProcess::finished, process, [process, path](int code, QProcess::ExitStatus status) {
    // 3: no program for the file's type; 4: the program failed.
    if (status != QProcess::NormalExit || code != 0) {
      Tell(NotOpened(path, status == QProcess::NormalExit ? QStringLiteral("xdg-open exit status %1").arg(code)
                                                          : QStringLiteral("xdg-open crashed")));
    }
    process->deleteLater();
  });
  QObject::connect(process, &QProcess::errorOccurred, process, [process, path](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    Tell(NotOpened(path, QStringLiteral("xdg-open did not start: %1").arg(process->errorString())));
    process->deleteLater();
  });
  process->start(xdgOpen, {path});
}

}  // namespace

void ShellOpen(const QString& target) {
  if (Current()) {
    Current()(target);
    return;
  }
  if (target.startsWith(u'/')) {
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty()) return OpenWithXdgOpen(xdgOpen, target);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(target))) Tell(NotOpened(target, QStringLiteral("no xdg-open")));
    return;
  }
  QDesktopServices::openUrl(QUrl::fromUserInput(target));
}

void SetShellOpener(ShellOpener opener) { Current() = std::move(opener); }

void SetShellFailureListener(ShellFailureListener listener) { Listener() = std::move(listener); }

}  // namespace torvik
