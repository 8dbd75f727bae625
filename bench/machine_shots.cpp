// Screenshots of the window of today's machine for the README: the
// program composed as it starts (WindowProgram on this machine, with the
// user's settings), the window opened by its menu entry, each group named
// on the command line run by its button, and the whole screen taken with
// `xwd -root | convert xwd:- png:FILE` once it has ended. Run on an X
// server (bench/machine_screenshots.sh starts one):
//   torvik_machine_shots OUT_FOLDER cores|ram|drive|both ...
// writes OUT_FOLDER/machine-<group>.png for each.
#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "app/WindowProgram.h"
#include "core/base/InterfaceLanguage.h"
#include "platform/ProcessorProbe.h"
#include "ui/DesignScale.h"

using namespace torvik;

namespace {

void Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

const char* ButtonOf(const QString& group) {
  if (group == u"cores") return "BCores";
  if (group == u"ram") return "BRam";
  if (group == u"both") return "BCoresRam";
  if (group == u"drive") return "BDrive";
  return nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TORVIK"));
  QApplication::setOrganizationName(QStringLiteral("Varn"));
  InstallInterfaceLanguage(LanguageEnvironment::Current());
  RegisterFontSubstitutes();
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() < 3) {
    std::fprintf(stderr, "usage: torvik_machine_shots OUT_FOLDER cores|ram|drive|both ...\n");
    return 2;
  }
  for (const QString& group : arguments.mid(2)) {
    if (ButtonOf(group) == nullptr) {
      std::fprintf(stderr, "torvik_machine_shots: no group %s\n", qPrintable(group));
      return 2;
    }
  }
  WindowProgram program(platform::HardwareProcessor(), MachineWindowInputs());
  program.window.show();
  int status = 0;
  QTimer::singleShot(500, [&] {
    program.window.findChild<QAction*>(QStringLiteral("MMachine"))->trigger();
    program.machineWindow.move(30, 30);
    for (const QString& group : arguments.mid(2)) {
      Settle(500);
      std::fprintf(stderr, "running %s\n", qPrintable(group));
      program.machineWindow.findChild<QPushButton*>(QLatin1String(ButtonOf(group)))->click();
      Settle(1000);
      const QString file = arguments[1] + QStringLiteral("/machine-") + group + QStringLiteral(".png");
      if (QProcess::execute(QStringLiteral("sh"),
                            {QStringLiteral("-c"), QStringLiteral("xwd -root | convert xwd:- png:") + file}) != 0) {
        std::fprintf(stderr, "torvik_machine_shots: no screenshot %s\n", qPrintable(file));
        status = 1;
      }
    }
    program.machineWindow.close();
    program.window.close();
  });
  const int code = QApplication::exec();
  return status != 0 ? status : code;
}
