// TORVIK's program entry: parses the command line, chooses Qt's platform,
// starts the application and hands over, once, to what the command asks
// for: the window (WindowProgram), a run on the command line or a store
// verb (Composition). SIGTERM, SIGHUP and SIGINT end any of them as closing
// the window does, with 128 + the signal as the exit status; any end
// leaves no test file.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/Composition.h"
#include "app/PlatformChoice.h"
#include "app/WindowProgram.h"
#include "cli/CommandLine.h"
#include "cli/CommandParser.h"
#include "cli/HeadlessRun.h"
#include "cli/VerbTable.h"
#include "core/base/InterfaceLanguage.h"
#include "core/base/Version.h"
#include "core/report/ResultSheet.h"
#include "core/run/TerminationWatcher.h"
#include "core/settings/UserHome.h"
#include "core/workloads/WorkerThread.h"
#include "platform/ExitCleanup.h"
#include "platform/ProcessorProbe.h"
#include "ui/DesignScale.h"
#include "ui/DrawingPlatform.h"

namespace {

using namespace torvik;

void SetApplicationNames() {
  QApplication::setApplicationName(QStringLiteral("TORVIK"));
  QApplication::setOrganizationName(QStringLiteral("Varn"));
  QApplication::setApplicationVersion(QLatin1String(kVersion));
}

int RunWindow() {
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/torvik.png")));
  // The window keeps settings and results: never under a home that is not there.
  if (const QString refused = KeepingRefusal(HomeEnvironment::Current(), {.settings = true, .data = true});
      !refused.isEmpty()) {
    std::fprintf(stderr, "torvik: %s\n", refused.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QStringLiteral("TORVIK"), refused);
    return kExitRefused;
  }
  RegisterFontSubstitutes();
  // Installed before the two seconds of start-up. A signal before the window
  // shows (while a start-up box is open, too) ends the program there: the
  // box gives way and the window never opens.
  TerminationWatcher termination;
  int startUpSignal = 0;
  MainWindow* shown = nullptr;
  QObject::connect(&termination, &TerminationWatcher::terminationRequested, [&](int signal) {
    if (shown != nullptr) return shown->RequestTermination(signal);
    if (startUpSignal == 0) startUpSignal = signal;
    MainWindow::CloseModalWindows();
  });
  WindowProgram program(platform::HardwareProcessor(), MachineWindowInputs());
  QCoreApplication::processEvents();  // a signal during the clock measurements is seen now
  if (startUpSignal != 0) return 128 + startUpSignal;

  shown = &program.window;
  program.window.show();
  const int exitCode = QApplication::exec();
  return program.window.ExitStatus() != 0 ? program.window.ExitStatus() : exitCode;
}

// What the command keeps under the user's folders: its runs in this PC's
// store, the sheet where it goes to the data folder.
KeptFiles KeptBy(const CommandLine& command) {
  if (command.action == CommandLine::Action::Import) return {.data = true};
  if (command.action != CommandLine::Action::Run) return {};
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  return {.data = command.run.record || (command.run.report && DefaultSheetPath().startsWith(data + u'/'))};
}

int RunCommandLine(const CommandLine& command) {
  if (const QString refused = KeepingRefusal(HomeEnvironment::Current(), KeptBy(command)); !refused.isEmpty()) {
    std::fprintf(stderr, "torvik: %s\n", refused.toLocal8Bit().constData());
    return kExitRefused;
  }
  // The settings' shared store, when it cannot be used: a run goes on and
  // keeps its runs here, waiting; a verb of the store stops.
  QString refusal;
  const QString sharedUrl = SharedUrlOf(command, refusal);
  // A verb of the archive has its body; --run runs groups.
  const bool runsGroups = VerbOf(command.action).body == nullptr;
  if (!refusal.isEmpty()) {
    std::fprintf(stderr, "torvik: %s\n", refusal.toLocal8Bit().constData());
    if (!runsGroups) return kExitRefused;
  }
  if (runsGroups) {
    if (command.run.requireSent && sharedUrl.isEmpty()) {
      std::fputs(
          "torvik: --require-sent needs a shared store: --store URL, or Url in the [Store] group of the settings\n",
          stderr);
      return kExitRefused;
    }
    // A platform without a screen was asked for (QT_QPA_PLATFORM).
    if (NeedsScreen(command.run.groups) && !HasScreen(QGuiApplication::platformName())) {
      std::fprintf(stderr, "torvik: %s\n", NoScreenForDrawing().toLocal8Bit().constData());
      return kExitRefused;
    }
    if (const QString note = DrawingFiguresNote(); NeedsScreen(command.run.groups) && !note.isEmpty()) {
      std::fprintf(stderr, "torvik: %s\n", note.toLocal8Bit().constData());
    }
    RegisterFontSubstitutes();
    return RunHeadless(command.run, sharedUrl);
  }
  return RunStoreVerb(command, sharedUrl);
}

// --quiet: Qt's own notes (a missing XDG_RUNTIME_DIR, font warnings) are
// left out too; its critical messages are not.
QtMessageHandler defaultHandler = nullptr;
void OnlyCriticalMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) defaultHandler(type, context, message);
}

// While the platform starts: Qt's own notes on a display it cannot reach
// are left out, the others held until it has started (PassHeldNotes); a
// platform that did not start is said in one line of the program's own,
// without them. One that gives up in Qt's abort (eglfs without a DRM
// device) is said in that line as well, and the program ends as for any
// display it cannot use.
struct HeldNote {
  QtMsgType type;
  QString message;
};
std::vector<HeldNote> heldNotes;
QtMessageHandler previousHandler = nullptr;
QString startingPlatform;
void WithoutPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "torvik: %s: %s\n",
                 QStringLiteral("cannot start Qt's platform \"%1\" (QT_QPA_PLATFORM)")
                     .arg(startingPlatform)
                     .toLocal8Bit()
                     .constData(),
                 message.simplified().toLocal8Bit().constData());
    std::_Exit(kExitRefused);
  }
  const bool platformNote =
      QLatin1String(context.category ? context.category : "").startsWith(QLatin1String("qt.qpa")) ||
      message.startsWith(u"Failed to create wl_display");
  if (!platformNote) heldNotes.push_back({type, message});
}

// Qt SQL's own notes on a statement or connection that failed ("Unable to
// free statement", "QSqlQuery::exec: database not open"): the store tells
// every failure in the user's words itself, once.
QtMessageHandler beforeDriverNotes = nullptr;
void WithoutDriverNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  static const char* const kDriverNotes[] = {"QSqlQuery::",  "QSqlDatabasePrivate::", "QSqlDatabase:",
                                             "QPSQLDriver",  "QSQLiteDriver",         "Unable to free statement"};
  if (type != QtFatalMsg) {
    for (const char* note : kDriverNotes) {
      if (message.startsWith(QLatin1String(note))) return;
    }
  }
  beforeDriverNotes(type, context, message);
}

void PassHeldNotes() {
  for (const HeldNote& note : heldNotes) previousHandler(note.type, QMessageLogContext(), note.message);
  heldNotes.clear();
}

}  // namespace

int main(int argc, char* argv[]) {
  // Test files still registered when something ends the process through
  // exit() (Qt does so when the display connection is lost) are deleted.
  platform::InstallExitHook();
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const CommandLine command = ParseCommandLine(arguments);
  using Action = CommandLine::Action;
  if (command.action == Action::Help || command.action == Action::Version) {
    std::printf("%s\n", command.text.toLocal8Bit().constData());
    return 0;
  }
  if (command.action == Action::UsageError) {
    std::fprintf(stderr, "torvik: %s\nTry 'torvik --help'.\n", command.text.toLocal8Bit().constData());
    return kExitRefused;
  }

  if (command.action == Action::Run && command.run.quiet) defaultHandler = qInstallMessageHandler(OnlyCriticalMessages);
  const DisplayEnvironment environment = CurrentDisplayEnvironment();
  const PlatformChoice platform = ChoosePlatform(command, environment);
  if (!platform.refusal.isEmpty()) {
    std::fprintf(stderr, "torvik: %s\n", platform.refusal.toLocal8Bit().constData());
    return kExitRefused;
  }
  qputenv("QT_QPA_PLATFORM", PlatformWithFallback(platform.platform).toLocal8Bit());
  startingPlatform = platform.platform;
  previousHandler = qInstallMessageHandler(WithoutPlatformNotes);
  QApplication application(argc, argv);
  qInstallMessageHandler(previousHandler);
  // Started without a screen to show anything on (linuxfb without a
  // framebuffer): as a display that cannot be reached.
  if (FellBack(platform.platform, QGuiApplication::platformName()) || QGuiApplication::primaryScreen() == nullptr) {
    heldNotes.clear();
    std::fprintf(stderr, "torvik: %s\n", UnreachableDisplay(platform.platform, environment).toLocal8Bit().constData());
    return kExitRefused;
  }
  PassHeldNotes();
  beforeDriverNotes = qInstallMessageHandler(WithoutDriverNotes);
  SetApplicationNames();
  InstallInterfaceLanguage(LanguageEnvironment::Current());
  const int exitCode = VerbOf(command.action).display == DisplayNeed::Always ? RunWindow() : RunCommandLine(command);
  // Workers still loading the processor are asked to end and waited for, so
  // no thread is torn down under a running body.
  WorkerThread::StopAllWorkers();
  return exitCode;
}
