// TORVIK's program entry: the application titled "TORVIK", the main window,
// and the message loop until the main window closes.
#include <QApplication>
#include <QIcon>

#include "core/WorkerThread.h"
#include "ui/DesignScale.h"
#include "ui/MainWindow.h"
#include "ui/SettingsDialog.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TORVIK"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/torvik.png")));
  torvik::RegisterFontSubstitutes();

  int exitCode = 0;
  {
    torvik::MainWindow FMain;
    torvik::UserSettingsStore settings;
    torvik::SettingsDialog Form2(settings, torvik::platform::SystemSources::Default(), &FMain);
    FMain.SetSettingsDialog(&Form2);
    FMain.show();
    exitCode = QApplication::exec();
  }
  // Workers still loading the processor are asked to end and waited for, so
  // no thread is torn down under a running body.
  torvik::WorkerThread::StopAllWorkers();
  return exitCode;
}
