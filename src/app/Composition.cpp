#include "app/Composition.h"

#include <QGuiApplication>
#include <QSysInfo>

#include "app/PlatformChoice.h"
#include "cli/HeadlessRun.h"
#include "cli/HeadlessView.h"
#include "cli/StoreCommands.h"
#include "core/base/Errors.h"
#include "core/history/RunArchive.h"
#include "core/history/StoreLocation.h"
#include "core/run/TerminationWatcher.h"
#include "core/session/BenchParts.h"
#include "core/settings/TestDirectoryOverride.h"
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
  const QString url = SharedStoreUrl();
  if (const QString why = PasswordRefusal(url); !why.isEmpty()) {
    refusal = QStringLiteral("%1 [Store] Url: %2").arg(UserSettingsFile(), why);
    return {};
  }
  return url;
}

QString SharedUrlOf(const CommandLine& command, QString& refusal) {
  return command.storeUrl.isEmpty() ? SharedUrlInSettings(refusal) : command.storeUrl;
}

int RunHeadless(const RunOptions& options, const QString& sharedUrl) {
  TerminationWatcher termination;
  HeadlessView view(options.quiet ? nullptr : stderr);
  QObject::connect(&termination, &TerminationWatcher::terminationRequested,
                   [&view](int signal) { view.RequestTermination(signal); });
  // Nothing is measured before a run is refused or begins.
  MachineComponents machine(platform::HardwareProcessor(), platform::SystemSources::Default(), CurrentDisplay(),
                            ClockComponent::WhenFirstNeeded);
  BenchParts bench(view, std::make_unique<TestDirectoryOverride>(std::make_unique<UserSettingsStore>(), options.directory),
                   MachineRules(), machine);
  BenchSession session(bench.ForSession());
  std::unique_ptr<RunArchive> archive;
  if (options.record) {
    archive = std::make_unique<RunArchive>(ResultStore::DefaultPath(), ClientNameOf(bench.Settings()));
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
  RunArchive archive(ResultStore::DefaultPath(), ClientNameOf(settings));
  archive.UseSharedStore(sharedUrl);
  return RunStoreCommand(command, archive);
}

}  // namespace torvik
