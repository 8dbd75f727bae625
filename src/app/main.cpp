// TORVIK's program entry. Without arguments: the application titled
// "TORVIK", the main window, and the message loop until the main window
// closes. With --run: the groups run without the window (cli/HeadlessRun).
// SIGTERM, SIGHUP and SIGINT end either as closing the window does, with
// 128 + the signal as the exit status; any end leaves no test file behind.
#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "cli/CommandLine.h"
#include "cli/HeadlessRun.h"
#include "cli/StoreCommands.h"
#include "core/run/TerminationWatcher.h"
#include "core/workloads/WorkerThread.h"
#include "platform/ExitCleanup.h"
#include "ui/DesignScale.h"
#include "ui/MainWindow.h"
#include "ui/SettingsDialog.h"

namespace {

void SetApplicationNames() {
  QApplication::setApplicationName(QStringLiteral("TORVIK"));
  QApplication::setOrganizationName(QStringLiteral("Varn"));
  QApplication::setApplicationVersion(QStringLiteral("3.03"));
}

int RunWindow() {
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/torvik.png")));
  torvik::RegisterFontSubstitutes();
  // Installed before the two seconds of start-up: a signal then is seen as
  // soon as the message loop runs.
  torvik::TerminationWatcher termination;
  torvik::MainWindow FMain;
  torvik::UserSettingsStore settings;
  torvik::SettingsDialog Form2(settings, torvik::platform::SystemSources::Default(), nullptr, &FMain);
  FMain.SetSettingsDialog(&Form2);
  QObject::connect(&termination, &torvik::TerminationWatcher::terminationRequested, &FMain,
                   &torvik::MainWindow::RequestTermination);
  FMain.show();
  const int exitCode = QApplication::exec();
  return FMain.ExitStatus() != 0 ? FMain.ExitStatus() : exitCode;
}

// A headless run picks Qt's offscreen platform itself when there is no
// display; the drawing groups need a real one and are refused without it.
bool ChoosePlatform(const torvik::RunOptions& options) {
  const bool display = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
  if (!display && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return !torvik::NeedsScreen(options.groups) || display;
}

// --quiet: Qt's own notes (a missing XDG_RUNTIME_DIR, font warnings) are
// left out too; its critical messages are not.
QtMessageHandler defaultHandler = nullptr;
void OnlyCriticalMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) defaultHandler(type, context, message);
}

bool HasScreen() {
  const QString platform = QGuiApplication::platformName();
  return platform != u"offscreen" && platform != u"minimal";
}

}  // namespace

int main(int argc, char* argv[]) {
  // Test files still registered when something ends the process through
  // exit() (Qt does so when the display connection is lost) are deleted.
  torvik::platform::InstallExitHook();
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const torvik::CommandLine command = torvik::ParseCommandLine(arguments);
  using Action = torvik::CommandLine::Action;
  switch (command.action) {
    case Action::Help:
    case Action::Version: std::printf("%s\n", command.text.toLocal8Bit().constData()); return 0;
    case Action::UsageError:
      std::fprintf(stderr, "torvik: %s\nTry 'torvik --help'.\n", command.text.toLocal8Bit().constData());
      return torvik::kExitRefused;
    case Action::Window:
    case Action::Run:
    case Action::History:
    case Action::Import:
    case Action::ExportCsv: break;
  }

  if (command.action == Action::Run && command.run.quiet) defaultHandler = qInstallMessageHandler(OnlyCriticalMessages);
  const char* noScreen = "torvik: the graphic and all groups draw on the screen; no display is available\n";
  // The store's verbs need no display either.
  if (command.action != Action::Window && command.action != Action::Run) ChoosePlatform({});
  if (command.action == Action::Run && !ChoosePlatform(command.run)) {
    std::fputs(noScreen, stderr);
    return torvik::kExitRefused;
  }
  QApplication application(argc, argv);
  SetApplicationNames();
  int exitCode = 0;
  if (command.action == Action::Window) {
    exitCode = RunWindow();
  } else if (command.action == Action::History) {
    exitCode = torvik::PrintHistory(command.run.format);
  } else if (command.action == Action::Import) {
    exitCode = torvik::ImportSheets(command.files);
  } else if (command.action == Action::ExportCsv) {
    exitCode = torvik::ExportCsv(command.files.first());
  } else if (torvik::NeedsScreen(command.run.groups) && !HasScreen()) {
    std::fputs(noScreen, stderr);
    exitCode = torvik::kExitRefused;
  } else {
    torvik::RegisterFontSubstitutes();
    exitCode = torvik::HeadlessRun(command.run).Execute();
  }
  // Workers still loading the processor are asked to end and waited for, so
  // no thread is torn down under a running body.
  torvik::WorkerThread::StopAllWorkers();
  return exitCode;
}
