// TORVIK's program entry and its one composition root: the only place that
// decides which components the program is made of. Without arguments: the
// application titled "TORVIK", the machine's components, the main window
// with its run session and drawing stage, the settings dialog, and the
// message loop until the main window closes. With --run: the same session
// behind the command line's progress view, with a stage window of its own
// for the drawing groups. The store's verbs work on the results store.
// SIGTERM, SIGHUP and SIGINT end any of them as closing the window does,
// with 128 + the signal as the exit status; any end leaves no test file.
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <cstdio>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/HeadlessRun.h"
#include "cli/HeadlessView.h"
#include "cli/PlatformChoice.h"
#include "cli/StoreCommands.h"
#include "core/base/InterfaceLanguage.h"
#include "core/base/Version.h"
#include "core/run/TerminationWatcher.h"
#include "core/session/BenchSession.h"
#include "core/settings/TestDirectoryOverride.h"
#include "core/workloads/WorkerThread.h"
#include "platform/ExitCleanup.h"
#include "ui/DesignScale.h"
#include "ui/MainWindow.h"
#include "ui/ScreenSize.h"
#include "ui/SettingsDialog.h"
#include "ui/StageDrawing.h"
#include "ui/StageWindow.h"

namespace {

using namespace torvik;

void SetApplicationNames() {
  QApplication::setApplicationName(QStringLiteral("TORVIK"));
  QApplication::setOrganizationName(QStringLiteral("Varn"));
  QApplication::setApplicationVersion(QLatin1String(kVersion));
}

// Qt's offscreen platform (chosen without a display) invents a screen:
// there is none to draw on or to describe.
bool HasScreen() {
  const QString platform = QGuiApplication::platformName();
  return platform != u"offscreen" && platform != u"minimal";
}

ScreenFacts PrimaryScreenFacts() { return ScreenFactsOf(HasScreen() ? QGuiApplication::primaryScreen() : nullptr); }

std::unique_ptr<TestPathRules> MachineRules() {
  return std::make_unique<TestPathRules>(platform::FileSystem::Default(), platform::SystemSources::Default());
}

int RunWindow() {
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/torvik.png")));
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

  MachineComponents machine(platform::HardwareProcessor(), platform::SystemSources::Default(), PrimaryScreenFacts(),
                            QGuiApplication::platformName());
  ResultStore store(ResultStore::DefaultPath());
  MainWindow FMain(machine);
  BenchSession session(FMain, std::make_unique<UserSettingsStore>(), MachineRules(), machine, &store);
  // The settings' shared store: the comparison window reads it, and each run
  // kept here is sent there from a thread of its own.
  session.UseSharedStore(SharedStoreUrl(), BenchSession::Sending::FromThreadOfItsOwn);
  StageDrawing drawing(FMain, session.State());
  session.SetDrawingWorkloads(&drawing);
  FMain.SetSession(session);
  SettingsDialog Form2(session.Settings(), platform::SystemSources::Default(), &session.Rules(), &FMain);
  FMain.SetSettingsDialog(&Form2);
  QCoreApplication::processEvents();  // a signal during the clock measurements is seen now
  if (startUpSignal != 0) return 128 + startUpSignal;

  shown = &FMain;
  FMain.show();
  const int exitCode = QApplication::exec();
  return FMain.ExitStatus() != 0 ? FMain.ExitStatus() : exitCode;
}

int RunCommandLine(const RunOptions& options, const QString& sharedUrl) {
  RegisterFontSubstitutes();
  TerminationWatcher termination;
  HeadlessView view(options.quiet ? nullptr : stderr);
  QObject::connect(&termination, &TerminationWatcher::terminationRequested,
                   [&view](int signal) { view.RequestTermination(signal); });
  // Nothing is measured before a run is refused or begins.
  MachineComponents machine(platform::HardwareProcessor(), platform::SystemSources::Default(), PrimaryScreenFacts(),
                            QGuiApplication::platformName(), ClockComponent::WhenFirstNeeded);
  ResultStore store(ResultStore::DefaultPath());
  BenchSession session(
      view, std::make_unique<TestDirectoryOverride>(std::make_unique<UserSettingsStore>(), options.directory),
      MachineRules(), machine, options.record ? &store : nullptr);
  session.UseSharedStore(sharedUrl, BenchSession::Sending::WithinRecord);  // each group kept here is sent there
  HeadlessRun run(options, session, view);
  // The drawing groups draw on a stage window of their own, shown while they draw.
  std::unique_ptr<StageWindow> stage;
  std::unique_ptr<StageDrawing> drawing;
  if (NeedsScreen(options.groups)) {
    stage = std::make_unique<StageWindow>();
    stage->FixSizeAndCentre();
    drawing = std::make_unique<StageDrawing>(*stage, session.State());
    session.SetDrawingWorkloads(drawing.get());
    run.SetAfterDrawing([&stage] { stage->hide(); });
  }
  return run.Execute();
}

// The shared store: --store's, else the settings'; empty for none.
QString SharedUrl(const CommandLine& command) {
  return command.storeUrl.isEmpty() ? SharedStoreUrl() : command.storeUrl;
}

// --quiet: Qt's own notes (a missing XDG_RUNTIME_DIR, font warnings) are
// left out too; its critical messages are not.
QtMessageHandler defaultHandler = nullptr;
void OnlyCriticalMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) defaultHandler(type, context, message);
}

// While the platform starts: Qt's own notes on a display it cannot reach
// are left out; the program says it in one line of its own.
QtMessageHandler previousHandler = nullptr;
void WithoutPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const bool platformNote =
      QLatin1String(context.category ? context.category : "").startsWith(QLatin1String("qt.qpa")) ||
      message.startsWith(u"Failed to create wl_display");
  if (!platformNote || type == QtFatalMsg) previousHandler(type, context, message);
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
  switch (command.action) {
    case Action::Help:
    case Action::Version: std::printf("%s\n", command.text.toLocal8Bit().constData()); return 0;
    case Action::UsageError:
      std::fprintf(stderr, "torvik: %s\nTry 'torvik --help'.\n", command.text.toLocal8Bit().constData());
      return kExitRefused;
    case Action::Window:
    case Action::Run:
    case Action::History:
    case Action::Import:
    case Action::ExportCsv:
    case Action::Compare:
    case Action::Sync: break;
  }

  if (command.action == Action::Run && command.run.quiet) defaultHandler = qInstallMessageHandler(OnlyCriticalMessages);
  const DisplayEnvironment environment = CurrentDisplayEnvironment();
  const PlatformChoice platform = ChoosePlatform(command, environment);
  if (!platform.refusal.isEmpty()) {
    std::fprintf(stderr, "torvik: %s\n", platform.refusal.toLocal8Bit().constData());
    return kExitRefused;
  }
  qputenv("QT_QPA_PLATFORM", PlatformWithFallback(platform.platform).toLocal8Bit());
  previousHandler = qInstallMessageHandler(WithoutPlatformNotes);
  QApplication application(argc, argv);
  qInstallMessageHandler(previousHandler);
  if (FellBack(platform.platform, QGuiApplication::platformName())) {
    std::fprintf(stderr, "torvik: %s\n", UnreachableDisplay(platform.platform, environment).toLocal8Bit().constData());
    return kExitRefused;
  }
  SetApplicationNames();
  InstallInterfaceLanguage(LanguageEnvironment::Current());
  int exitCode = 0;
  if (command.action == Action::Window) {
    exitCode = RunWindow();
  } else if (command.action == Action::Run) {
    if (NeedsScreen(command.run.groups) && !HasScreen()) {  // a platform without a screen was asked for
      std::fputs("torvik: the graphic and all groups draw on the screen; no display is available\n", stderr);
      exitCode = kExitRefused;
    } else {
      exitCode = RunCommandLine(command.run, SharedUrl(command));
    }
  } else {
    // The store's verbs work on the shared store when one is set.
    const QString sharedUrl = SharedUrl(command);
    ResultStore store(sharedUrl.isEmpty() || command.action == Action::Sync ? ResultStore::DefaultPath() : sharedUrl);
    if (command.action == Action::Sync) {
      if (sharedUrl.isEmpty()) {
        std::fputs(
            "torvik: no shared store to send to: --store URL, or Url in the [Store] group of "
            "~/.config/Varn/TORVIK.conf\n",
            stderr);
        exitCode = kExitRefused;
      } else {
        ResultStore shared(sharedUrl);
        exitCode = SyncStores(store, shared);
      }
    }
    if (command.action == Action::History) exitCode = PrintHistory(store, command.run.format, command.filter);
    if (command.action == Action::Import) exitCode = ImportSheets(store, command.files);
    if (command.action == Action::ExportCsv) exitCode = ExportCsv(store, command.files.first());
    if (command.action == Action::Compare) {
      exitCode = PrintComparison(store, command.runs[0], command.runs[1], command.run.format);
    }
  }
  // Workers still loading the processor are asked to end and waited for, so
  // no thread is torn down under a running body.
  WorkerThread::StopAllWorkers();
  return exitCode;
}
