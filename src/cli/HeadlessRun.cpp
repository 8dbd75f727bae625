#include "cli/HeadlessRun.h"

#include <QElapsedTimer>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/CommandOutput.h"
#include "core/base/Errors.h"
#include "core/report/JsonReport.h"
#include "core/report/OutputFile.h"
#include "core/report/ReportBuilder.h"
#include "core/report/PointTable.h"
#include "core/report/ResultSheet.h"
#include "core/results/Statistics.h"
#include "core/results/Timing.h"

namespace torvik {
namespace {

// Writes `bytes` to stdout: empty, or why it failed.
QString WriteStdout(const QByteArray& bytes) {
  const bool ok = std::fwrite(bytes.constData(), 1, bytes.size(), stdout) == size_t(bytes.size());
  if (std::fflush(stdout) == 0 && ok) return {};
  return QStringLiteral("cannot write the result to stdout: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

int HeadlessRun::SignalStatus() {
  view_.PumpMessages();
  return view_.TerminationSignal() != 0 ? 128 + view_.TerminationSignal() : 0;
}

int HeadlessRun::Refuse() {
  // The settings the result reports are read before anything runs: a value
  // of the wrong type is refused with the Report button's own message,
  // rather than found after the whole run.
  try {
    session_.ReadSettings();
  } catch (const TorvikError& error) {
    Complain(error.BoxText());
    return kExitRefused;
  }
  // The test directory is checked by the groups' own rules, and refused
  // with the groups' own message.
  for (Group group : options_.groups) {
    if (const QString refusal = session_.Refusal(group); !refusal.isEmpty()) {
      Complain(refusal);
      return kExitRefused;
    }
  }
  return kExitDone;
}

bool HeadlessRun::WantsRepetition(const std::vector<RunRecord>& repetitions, double elapsedSeconds) const {
  const int done = static_cast<int>(repetitions.size());
  if (!options_.repeatAuto) return done < options_.repeat;
  std::vector<Statistics> figures;
  for (const auto& test : SecondsStatistics(repetitions)) figures.push_back(test.second);
  for (const auto& point : PointRateStatistics(repetitions)) figures.push_back(point.second);
  return AutoRepeat::WantsMore(done, elapsedSeconds, figures);
}

int HeadlessRun::RunGroups(std::vector<RunRecord>& repetitions, std::vector<RunRecord>& groupRuns) {
  QElapsedTimer clock;
  clock.start();
  const QString count = options_.repeatAuto ? QStringLiteral("auto") : QString::number(options_.repeat);
  for (int repetition = 1; WantsRepetition(repetitions, clock.elapsed() / 1e3); ++repetition) {
    std::optional<RunRecord> merged;
    for (Group group : options_.groups) {
      view_.SetStage(QStringLiteral("%1 %2/%3").arg(QLatin1String(EntryOf(group).id)).arg(repetition).arg(count));
      const std::optional<RunRecord> run = session_.Run(group);
      if (EntryOf(group).needsScreen && afterDrawing_) afterDrawing_();
      view_.EndProgress();
      if (view_.TerminationSignal() != 0) return 128 + view_.TerminationSignal();
      if (const QStringList errors = view_.TakeErrors(); !errors.isEmpty() || !run) {
        Complain(errors.isEmpty() ? QStringLiteral("the %1 group did not finish").arg(EntryOf(group).id)
                                  : errors.join(u' '));
        return kExitFailed;
      }
      if (merged) {
        merged->Add(*run);
      } else {
        merged = run;
      }
      groupRuns.push_back(*run);
    }
    WarnOfNoise(repetition, *merged);
    repetitions.push_back(*merged);
  }
  if (options_.repeatAuto) {
    QStringList unsettled;
    for (const auto& [test, figures] : SecondsStatistics(repetitions)) {
      if (!AutoRepeat::Settled(figures)) unsettled << QLatin1String(EntryOf(test).id);
    }
    for (const auto& [point, figures] : PointRateStatistics(repetitions)) {
      if (!AutoRepeat::Settled(figures)) unsettled << point;
    }
    if (!unsettled.isEmpty()) {
      Complain(QStringLiteral("not settled after %1 repetitions (spread above %2 %): %3")
                   .arg(repetitions.size())
                   .arg(AutoRepeat::kSettledCv * 100)
                   .arg(unsettled.join(QStringLiteral(", "))));
    }
  }
  return kExitDone;
}

// A plain line per test that shared its processor or saw its clock move:
// its figure is measured, but not on a quiet machine.
void HeadlessRun::WarnOfNoise(int repetition, const RunRecord& run) const {
  for (const TestEntry& entry : kTests) {
    const std::optional<TestNoise>& noise = run.results[entry.test].noise;
    if (!run.results[entry.test].HasResult() || !noise) continue;
    if (const QString warning = noise->Warning(); !warning.isEmpty()) {
      Complain(QStringLiteral("%1, repetition %2: %3").arg(QLatin1String(entry.id)).arg(repetition).arg(warning));
    }
  }
  for (const MeasuredPoint& point : run.points) {
    if (!point.noise) continue;
    if (const QString warning = point.noise->Warning(); !warning.isEmpty()) {
      Complain(QStringLiteral("%1, repetition %2: %3").arg(point.StoreId()).arg(repetition).arg(warning));
    }
  }
}

int HeadlessRun::Deliver(const std::vector<RunRecord>& repetitions, const std::vector<RunRecord>& groupRuns,
                         const QDateTime& started) {
  QByteArray result;
  QByteArray sheet;
  SheetInputs in;
  in.now = QDateTime::currentDateTime();
  // The classic groups' report block; the points of the groups that
  // measure today's machine, which have no block on the sheet, in a table.
  const bool classic = AnyClassicGroup(options_.groups);
  for (const RunRecord& run : repetitions) {
    in.captions = CaptionsOf(run.results, DecimalPoint());
    in.stopFlag = run.stopped ? kStopRequested : 0;
    const QStringList lines = classic ? BuildReport(run, in) : QStringList();
    if (options_.format == OutputFormat::Text) {
      if (classic) result += (lines.join(u'\n') + u'\n').toUtf8();
      if (!run.points.empty()) result += PointTable(run.points).toUtf8();
    }
    if (classic) sheet += SheetBytes(lines);
  }
  if (options_.format == OutputFormat::Json) {
    result = BuildJsonReport(repetitions, started).toJson(QJsonDocument::Indented);
  }
  // Never in the way: a store that fails is said once, and the result
  // still comes. What waits goes to the shared store once per command.
  bool sent = false;
  bool tooOld = false;  // the shared store takes no runs from this TORVIK: it must be updated
  if (archive_ != nullptr) {
    bool kept = true;
    for (const RunRecord& run : groupRuns) kept = archive_->Keep(run).Ok() && kept;
    // Asked to end while keeping: ended before any wait on a server.
    if (const int status = SignalStatus()) return status;
    if (kept) {
      const SyncResult sync = archive_->SendWaiting();
      sent = archive_->HasSharedStore() && sync.failure.Ok() && sync.waiting == 0 && sync.setAside.isEmpty();
      tooOld = sync.failure.Kind() == FailureKind::TooOld;
    }
    // Asked to end while keeping or sending: ended there, nothing printed.
    if (const int status = SignalStatus()) return status;
  }
  // The measured result is never lost: a file that cannot take it gives it
  // to stdout instead, and the exit status says something failed.
  int status = kExitDone;
  if (options_.output) {
    if (const QString error = WriteOutput(*options_.output, result); !error.isEmpty()) {
      Complain(QStringLiteral("cannot write %1; the result follows on stdout").arg(error));
      status = kExitFailed;
      if (const QString lost = WriteStdout(result); !lost.isEmpty()) Complain(lost);
    }
  } else if (const QString error = WriteStdout(result); !error.isEmpty()) {
    Complain(error);
    status = kExitFailed;
  }
  if (options_.report && sheet.isEmpty()) {
    Complain(QStringLiteral("the cores, ram and drive groups have no block on the result sheet: nothing appended"));
  } else if (options_.report) {
    const QString path = DefaultSheetPath();
    if (const int error = AppendToSheet(path, sheet)) {
      Complain(QStringLiteral("%1: %2").arg(path, IoError(IoCodeOfErrno(error)).BoxText()));
      status = kExitFailed;
    }
  }
  // Kept here, but never to be sent from this TORVIK: said (with what
  // fixes it) and not taken for done, --require-sent or not.
  if (status == kExitDone && ((options_.requireSent && !sent) || tooOld)) status = kExitNotSent;
  return status;
}

int HeadlessRun::Execute() {
  if (const int status = Refuse()) return status;
  session_.SeedFileNumbers();
  const QDateTime started = QDateTime::currentDateTime();
  std::vector<RunRecord> repetitions;  // each repetition's groups merged: the output
  std::vector<RunRecord> groupRuns;    // each group on its own: what the results store keeps
  if (const int status = RunGroups(repetitions, groupRuns)) return status;

  // The machine's facts, the clock measured once after the groups (about a
  // second, busy); a signal meanwhile is seen right after it, before
  // anything is printed or kept.
  session_.MeasureClock();
  if (const int status = SignalStatus()) return status;
  const MachineFacts machine = session_.MachineFactsNow();
  for (RunRecord& run : repetitions) run.machine = machine;
  // The runs of one command are one series: --compare takes the
  // repetitions of a run's series as the spread of its figures.
  const QString series = QUuid::createUuid().toString(QUuid::WithoutBraces);
  for (RunRecord& run : groupRuns) {
    run.machine = machine;
    run.series = series;
  }
  return Deliver(repetitions, groupRuns, started);
}

}  // namespace torvik
