#include "cli/HeadlessRun.h"

#include <QGuiApplication>
#include <QSaveFile>
#include <QScreen>
#include <cstdio>
#include <memory>

#include "cli/HeadlessView.h"
#include "core/workloads/BenchWorkloads.h"
#include "core/base/Errors.h"
#include "core/run/GroupSequencer.h"
#include "core/report/JsonReport.h"
#include "core/base/RandomGenerator.h"
#include "core/machine/MachineFacts.h"
#include "core/report/ResultSheet.h"
#include "core/history/ResultStore.h"
#include "core/history/StoredRun.h"
#include "core/run/TerminationWatcher.h"
#include "core/results/Timing.h"
#include "ui/GraphicsTests.h"
#include "ui/MainWindow.h"

namespace torvik {
namespace {

void Complain(const QString& text) { std::fprintf(stderr, "torvik: %s\n", text.toLocal8Bit().constData()); }

// The stored settings, but for the test directory given on the command line.
class DirectoryOverride : public SettingsStore {
 public:
  DirectoryOverride(SettingsStore& stored, std::optional<QString> directory)
      : stored_(stored), directory_(std::move(directory)) {}
  QString Read(const QString& name, const QString& fallback) override {
    if (name == settings::kDrive && directory_) return *directory_;
    return stored_.Read(name, fallback);
  }
  void Write(const QString& name, const QString& value) override { stored_.Write(name, value); }

 private:
  SettingsStore& stored_;
  std::optional<QString> directory_;
};

using GroupHandler = void (GroupSequencer::*)();

GroupHandler HandlerOf(const QString& group) {
  if (group == u"cpu") return &GroupSequencer::BCPUClick;
  if (group == u"graphic") return &GroupSequencer::B2DClick;
  if (group == u"memory") return &GroupSequencer::BMixClick;
  if (group == u"hdd") return &GroupSequencer::BHDDClick;
  return &GroupSequencer::BAllClick;
}

// The labels a window would show for `results`: the report prints them.
std::map<ResultLabel, QString> Captions(const ResultTable& results) {
  std::map<ResultLabel, QString> captions;
  for (size_t i = 0; i < kTestCount; ++i) {
    const Test test = static_cast<Test>(i);
    if (results[test].elapsedNs > 0) captions[LabelOf(test)] = FormatSeconds(results[test].elapsed);
  }
  captions[ResultLabel::KAll] = FormatSeconds(results.Total());
  return captions;
}

// Writes `bytes` to stdout or, whole or not at all, to `path`.
bool WriteResult(const std::optional<QString>& path, const QByteArray& bytes) {
  if (!path) {
    const bool ok = std::fwrite(bytes.constData(), 1, bytes.size(), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && ok;
  }
  QSaveFile file(*path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    Complain(QStringLiteral("cannot write %1: %2").arg(*path, file.errorString()));
    return false;
  }
  return true;
}

}  // namespace

int HeadlessRun::Execute() {
  UserSettingsStore stored;
  DirectoryOverride settings(stored, options_.directory);
  TestPathRules rules(platform::FileSystem::Default(), platform::SystemSources::Default());
  HeadlessView view(options_.quiet ? nullptr : stderr);
  RunState state(view);
  Benchmark bench(state, settings, platform::FileSystem::Default(), rules);
  GroupSequencer sequencer(state, bench);
  TerminationWatcher termination;
  QObject::connect(&termination, &TerminationWatcher::terminationRequested,
                   [&view](int signal) { view.RequestTermination(signal); });

  // The test directory is checked before anything runs, by the groups' own
  // rules, and refused with the groups' own message.
  if (UsesTestDirectory(options_.groups)) {
    bench.Files().ReadTestPath();
    const TestPathProblem problem = rules.Check(bench.Files().TestPath());
    if (problem != TestPathProblem::None) {
      Complain(QStringLiteral("%1 (%2: %3)")
                   .arg(texts::kNoDiskInformation, bench.Files().TestPath(), TestPathProblemText(problem)));
      return kExitRefused;
    }
    if (options_.groups.contains(QStringLiteral("hdd")) || options_.groups.contains(QStringLiteral("all"))) {
      bench.Files().CheckTestDrive();
      if (const QStringList errors = view.TakeErrors(); !errors.isEmpty()) {
        Complain(errors.join(u' '));
        return kExitRefused;
      }
    }
  }

  // The drawing tests' stage is the main window; it exists only when needed.
  std::unique_ptr<MainWindow> stage;
  std::unique_ptr<GraphicsTests> drawing;
  if (NeedsScreen(options_.groups)) {
    stage = std::make_unique<MainWindow>(platform::HardwareProcessor(), &settings, &rules);
    drawing = std::make_unique<GraphicsTests>(*stage, state);
    bench.SetDrawingTests(drawing.get());
  }

  bench.Files().SetFileNumberCounter(ProgramRandom().Next(1000));
  const QDateTime started = QDateTime::currentDateTime();
  std::vector<RunOutcome> runs;
  struct FinishedGroup {
    QString group;
    ResultTable results;
    bool stopped;
    QDateTime started;
  };
  std::vector<FinishedGroup> finished;  // what the results store keeps
  for (int repetition = 1; repetition <= options_.repeat; ++repetition) {
    RunOutcome outcome;
    outcome.repetition = repetition;
    outcome.groups = options_.groups;
    for (const QString& group : options_.groups) {
      view.SetStage(QStringLiteral("%1 %2/%3").arg(group).arg(repetition).arg(options_.repeat));
      const bool draws = NeedsScreen({group});
      const QDateTime groupStarted = QDateTime::currentDateTime();
      if (draws) stage->show();
      try {
        (sequencer.*HandlerOf(group))();
      } catch (const ExitRequested&) {
        // The group has deleted its test data.
      }
      if (draws) stage->hide();
      view.EndProgress();
      if (view.TerminationSignal() != 0) return 128 + view.TerminationSignal();
      if (const QStringList errors = view.TakeErrors(); !errors.isEmpty()) {
        Complain(errors.join(u' '));
        return kExitFailed;
      }
      const ResultTable& results = state.Results();
      for (size_t i = 0; i < kTestCount; ++i) {
        const Test test = static_cast<Test>(i);
        if (results[test].elapsedNs > 0) outcome.results[test] = results[test];
      }
      outcome.results.AddTotal(results.Total(), results.TotalNs());
      outcome.stopped = outcome.stopped || state.StopFlag() != 0;
      finished.push_back(FinishedGroup{group, results, state.StopFlag() != 0, groupStarted});
    }
    runs.push_back(outcome);
  }

  // The machine's facts, as the Report button gathers them (its clock
  // measurement takes about two seconds).
  ReportInputs in;
  bench.Files().ReadTestPath();
  in.drive = bench.Files().TestPath();
  in.userName = settings.Read(settings::kUserName, QString());
  in.pcName = settings.Read(settings::kPcName, QString());
  in.diskQueryOk = bench.Files().QueryDiskSpace(in.drive, in.diskTotal, in.diskFree);
  // Without a display there is no screen to describe (Qt's offscreen
  // platform invents one).
  const QString platformName = QGuiApplication::platformName();
  const bool hasDisplay = platformName != u"offscreen" && platformName != u"minimal";
  const QScreen* screen = hasDisplay ? QGuiApplication::primaryScreen() : nullptr;
  const ScreenFacts screenFacts =
      screen ? ScreenFacts{screen->geometry().width(), screen->geometry().height(), screen->depth()} : ScreenFacts{};
  ProcessorInfo processor(platform::HardwareProcessor());
  const ProcessorTypeAndClock processorType(platform::HardwareProcessor());
  const SystemInfo system(platform::SystemSources::Default(), screenFacts);
  GatherMachineFacts(in, processor, processorType, system);
  in.version = QStringLiteral("Version 3.03");
  in.now = QDateTime::currentDateTime();
  if (view.TerminationSignal() != 0) return 128 + view.TerminationSignal();

  QByteArray result;
  QByteArray sheet;
  for (const RunOutcome& run : runs) {
    in.results = run.results;
    in.captions = Captions(run.results);
    in.stopFlag = run.stopped ? kStopRequested : 0;
    const QStringList lines = BuildReport(in);
    if (options_.format == OutputFormat::Text) result += (lines.join(u'\n') + u'\n').toUtf8();
    sheet += SheetBytes(lines);
  }
  if (options_.format == OutputFormat::Json) {
    const JsonMachine machine{hasDisplay, system.DisplayAdapter()};
    result = BuildJsonReport(in, machine, started, runs).toJson(QJsonDocument::Indented);
  }
  if (options_.record) {
    ResultStore store(ResultStore::DefaultPath());
    for (const FinishedGroup& group : finished) {
      if (!store.Record(RunFromResults(group.group, group.results, group.stopped, in, group.started))) {
        // Never in the way: said once, and the run's result still comes.
        Complain(QStringLiteral("計測結果を保存できません: ") + store.Error());
        break;
      }
    }
  }
  if (options_.report) {
    const QString path = DefaultSheetPath();
    if (const int error = AppendToSheet(path, sheet)) {
      Complain(QStringLiteral("%1: %2").arg(path, IoError(IoCodeOfErrno(error)).BoxText()));
      return kExitFailed;
    }
  }
  return WriteResult(options_.output, result) ? kExitDone : kExitFailed;
}

}  // namespace torvik
