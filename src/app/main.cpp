// TORVIK's program entry: the application titled "TORVIK", the main window,
// and the message loop until the main window closes.
#include <QApplication>

#include "core/WorkerThread.h"
#include "ui/DesignScale.h"
#include "ui/TFMain.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TORVIK"));
  torvik::RegisterFontSubstitutes();

  int exitCode = 0;
  {
    torvik::TFMain FMain;
    FMain.show();
    exitCode = QApplication::exec();
  }
  // Workers still loading the processor are asked to end and waited for, so
  // no thread is torn down under a running body.
  torvik::WorkerThread::StopAllWorkers();
  return exitCode;
}
