#include "app/Composition.h"

#include <QGuiApplication>
#include <QSysInfo>

#include "app/PlatformChoice.h"
#include "cli/CommandParser.h"
#include "cli/HeadlessRun.h"
#include "cli/HeadlessView.h"
#include "cli/VerbTable.h"
#include "core/archive/RunArchive.h"
#include "core/base/Errors.h"
#include "core/records/StoreLocation.h"
#include "core/run/TerminationWatcher.h"
#include "core/session/BenchParts.h"
#include "core/session/PointGroups.h"
#include "core/settings/CommandLineSettings.h"
#include "platform/ServerWaits.h"
#include "ui/ScreenSize.h"
#include "ui/StageDrawing.h"
#include "ui/StageWindow.h"

namespace torvik {

DisplayFacts CurrentDisplay() {
  const QString platform = QGuiApplication::platformName();
  const bool hasScreen = HasScreen(platform);
  return {platform, hasScreen, ScreenFactsOf(hasScreen ? QGuiApplication::primaryScreen() : nullptr)};
}

std::unique_ptr<TestPathRules> MachineRules() {
  return std::make_unique<TestPathRules>(platform::FileSystem::Default(), platform::SystemSources::Default());
}

QString ClientNameOf(SettingsStore& settings) {
  QString pcName;
  try {
    pcName = settings.Read(settings::kPcName, QString()).simplified();
  } catch (const TorvikError&) {
    // A name of the wrong type: the program's name alone.
  }
  if (pcName.isEmpty()) pcName = QSysInfo::machineHostName();
  return pcName.isEmpty() ? QStringLiteral("torvik") : QStringLiteral("torvik ") + pcName;
}

QString SharedUrlInSettings(QString& refusal) {
  bool wrongType = false;
  const QString url = SharedStoreUrl(&wrongType);
  // Checked as --store is: a value that is no PostgreSQL URL is never taken
  // for a file's path, nor one with a password passed on.
  QString why;
  if (wrongType) {
    why = QStringLiteral("not one URL (a list? a comma must be quoted)");
  } else if (!url.isEmpty() && !IsServerUrl(url)) {
    why = QStringLiteral("not a PostgreSQL URL (postgresql://user@host:port/database)");
  } else if (!url.isEmpty()) {
    why = PasswordRefusal(url);
    if (why.isEmpty()) why = ParseServerUrl(url).error;
  }
  if (why.isEmpty()) return url;
  refusal = QStringLiteral("%1 [Store] Url: %2").arg(UserSettingsFile(), why);
  return {};
}

QString SharedUrlOf(const CommandLine& command, QString& refusal) {
  return command.storeUrl.isEmpty() ? SharedUrlInSettings(refusal) : command.storeUrl;
}

namespace {

// What the command line names for this run alone.
std::map<QString, QString> GivenSettings(const RunOptions& options) {
  std::map<QString, QString> given;
  if (options.directory) given[settings::kDrive] = *options.directory;
  if (options.fileSize) given[settings::kDriveFileSize] = *options.fileSize;
  return given;
}

}  // namespace

int RunHeadless(const RunOptions& options, const QString& sharedUrl) {
  TerminationWatcher termination;
  // A signal while a server keeps the command waiting ends it there: the
  // runs are kept here first, and nothing has been printed.
  platform::EndProcessOnSignalDuringServerWaits();
  HeadlessView view(options.quiet ? nullptr : stderr);
  QObject::connect(&termination, &TerminationWatcher::terminationRequested,
                   [&view](int signal) { view.RequestTermination(signal); });
  // Nothing is measured before a run is refused or begins.
  MachineComponents machine(platform::HardwareProcessor(), platform::SystemSources::Default(), CurrentDisplay(),
                            ClockComponent::WhenFirstNeeded);
  BenchParts bench(view,
                   std::make_unique<CommandLineSettings>(std::make_unique<UserSettingsStore>(), GivenSettings(options)),
                   MachineRules(), machine);
  BenchSession session(bench.ForSession());
  std::unique_ptr<RunArchive> archive;
  if (options.record) {
    archive = std::make_unique<RunArchive>(RunArchive::DefaultLocalPath(), ClientNameOf(bench.Settings()));
    archive->UseSharedStore(sharedUrl);
    archive->SetNoticeHandler([&view](const QString& text) { view.ShowNotice(text); });
  }
  HeadlessRun run(options, session, view, archive.get());
  // The drawing groups draw on a stage window of their own, shown while they draw.
  std::unique_ptr<StageWindow> stage;
  std::unique_ptr<StageDrawing> drawing;
  if (NeedsScreen(options.groups)) {
    stage = std::make_unique<StageWindow>();
    stage->FixSizeAndCentre();
    drawing = std::make_unique<StageDrawing>(*stage, bench.State());
    bench.Workloads().SetDrawingWorkloads(drawing.get());
    run.SetAfterDrawing([&stage] { stage->hide(); });
  }
  return run.Execute();
}

int RunStoreVerb(const CommandLine& command, const QString& sharedUrl) {
  UserSettingsStore settings;
  RunArchive archive(RunArchive::DefaultLocalPath(), ClientNameOf(settings));
  archive.UseSharedStore(sharedUrl);
  return VerbOf(command.action).body(command, archive);
}

}  // namespace torvik
