// TORVIK's program entry: the application titled "TORVIK", the main window,
// and the message loop until the main window closes. SIGTERM, SIGHUP and
// SIGINT end the program as closing the window does, with 128 + the signal
// as its exit status; any end leaves no test file behind.
#include <QApplication>
#include <QIcon>

#include "core/TerminationWatcher.h"
#include "core/WorkerThread.h"
#include "platform/ExitCleanup.h"
#include "ui/DesignScale.h"
#include "ui/MainWindow.h"
#include "ui/SettingsDialog.h"

int main(int argc, char* argv[]) {
  // Test files still registered when something ends the process through
  // exit() (Qt does so when the display connection is lost) are deleted.
  torvik::platform::InstallExitHook();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TORVIK"));
  QApplication::setOrganizationName(QStringLiteral("Varn"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/torvik.png")));
  torvik::RegisterFontSubstitutes();
  // Installed before the two seconds of start-up: a signal then is seen as
  // soon as the message loop runs.
  torvik::TerminationWatcher termination;

  int exitCode = 0;
  {
    torvik::MainWindow FMain;
    torvik::UserSettingsStore settings;
    torvik::SettingsDialog Form2(settings, torvik::platform::SystemSources::Default(), nullptr, &FMain);
    FMain.SetSettingsDialog(&Form2);
    QObject::connect(&termination, &torvik::TerminationWatcher::terminationRequested, &FMain,
                     &torvik::MainWindow::RequestTermination);
    FMain.show();
    exitCode = QApplication::exec();
    if (FMain.ExitStatus() != 0) exitCode = FMain.ExitStatus();
  }
  // Workers still loading the processor are asked to end and waited for, so
  // no thread is torn down under a running body.
  torvik::WorkerThread::StopAllWorkers();
  return exitCode;
}
