#include "core/session/BenchSession.h"

#include "core/base/Errors.h"
#include "core/base/RandomGenerator.h"
#include "core/session/PointGroups.h"

namespace torvik {

BenchSession::BenchSession(const Parts& parts) : parts_(parts), sequencer_(parts.state, parts.steps) {}

void BenchSession::ReadSettings() {
  parts_.directory.ReadTestPath();
  userName_ = parts_.settings.Read(settings::kUserName, QString());
  pcName_ = parts_.settings.Read(settings::kPcName, QString());
}

void BenchSession::SeedFileNumbers() { parts_.directory.SetFileNumberCounter(ProgramRandom().Next(1000)); }

namespace {

// Stop and the view's messages, between a group's points.
class ViewPoints : public PointSink {
 public:
  ViewPoints(RunState& state, std::vector<MeasuredPoint>& points) : state_(state), points_(points) {}

  bool StopRequested() override {
    state_.PumpMessages();  // ExitRequested when the window closed meanwhile
    return !state_.MayGoOn();
  }
  void Progress(int percent, const QString& status) override {
    RunView& view = state_.View();
    view.SetStatusText(status);
    view.SetGauge(percent);
    view.RepaintNow();
  }
  void PointDone(const MeasuredPoint& point) override {
    points_.push_back(point);
    state_.View().ShowPoint(point);
  }

 private:
  RunState& state_;
  std::vector<MeasuredPoint>& points_;
};

}  // namespace

QString BenchSession::Refusal(Group group) {
  const GroupEntry& entry = EntryOf(group);
  if (entry.points) {
    parts_.directory.ReadTestPath();
    return PointGroupRefusal(
        group, {parts_.settings, parts_.rules, parts_.fileSystem, parts_.machine.Noise(), parts_.directory.TestPath()});
  }
  if (!entry.usesTestDirectory) return {};
  TestDirectory& directory = parts_.directory;
  directory.ReadTestPath();
  const TestPathProblem problem = parts_.rules.Check(directory.TestPath(), entry.needsFixedDisk);
  if (problem != TestPathProblem::None) {
    return QStringLiteral("%1 (%2: %3)")
        .arg(texts::NoDiskInformation(), directory.TestPath(), TestPathProblemText(problem));
  }
  // The disk groups also need the space for their files.
  return entry.needsFixedDisk ? directory.DriveProblem() : QString();
}

std::optional<RunRecord> BenchSession::Run(Group group) {
  RunRecord record;
  record.groups = {group};
  record.started = QDateTime::currentDateTime();
  bool finished = false;
  ++runDepth_;
  try {
    if (EntryOf(group).points) {
      finished = RunPoints(group, record);
    } else {
      sequencer_.Run(group);
      finished = sequencer_.LastEnd() == GroupEnd::Completed || sequencer_.LastEnd() == GroupEnd::Stopped;
    }
  } catch (const ExitRequested&) {
    // The group has released its test data; whoever asked to end goes on.
  } catch (const TorvikError& error) {
    parts_.state.View().ShowMessage(error.BoxText(), MessageIcon::Error);
  }
  --runDepth_;
  if (!finished) return std::nullopt;
  if (!EntryOf(group).points) {
    record.results = parts_.state.Results();
    record.stopped = parts_.state.StopFlag() != 0;
  }
  const Identity identity = IdentityNow();
  record.userName = identity.userName;
  record.pcName = identity.pcName;
  record.machine = parts_.machine.Facts(identity.testPath, parts_.fileSystem);
  return record;
}

bool BenchSession::RunPoints(Group group, RunRecord& record) {
  RunState& state = parts_.state;
  RunView& view = state.View();
  state.ClearStop();
  parts_.directory.ReadTestPath();
  // One group at a time: the window's buttons wait, Stop aside.
  for (Button button : {Button::BCPU, Button::B2D, Button::BMix, Button::BHDD, Button::BAll, Button::BRep}) {
    view.SetButtonEnabled(button, false);
  }
  view.SetButtonEnabled(Button::BStop, true);
  const auto unlock = [&view] {
    for (Button button : {Button::BCPU, Button::B2D, Button::BMix, Button::BHDD, Button::BAll, Button::BRep}) {
      view.SetButtonEnabled(button, true);
    }
    view.SetButtonEnabled(Button::BStop, false);
  };
  ViewPoints sink(state, record.points);
  QString fewerProcessors;
  try {
    const PointGroupEnd end = RunPointGroup(
        group, sink, {parts_.settings, parts_.rules, parts_.fileSystem, parts_.machine.Noise(), parts_.directory.TestPath()});
    record.pointFacts.insert(QLatin1String(EntryOf(group).id), end.facts);
    record.stopped = end.stopped;
    fewerProcessors = end.fewerProcessors;
  } catch (...) {
    unlock();
    throw;
  }
  unlock();
  view.SetStatusText(record.stopped ? texts::StoppedBox() : texts::Finished());
  view.RepaintNow();
  // The figures stand for what this program may use, not for the machine.
  if (!fewerProcessors.isEmpty()) view.ShowNotice(fewerProcessors);
  return true;
}

BenchSession::Identity BenchSession::IdentityNow() {
  // Read for the record alone: the copies change only as the user's
  // commands change them.
  Identity identity{parts_.directory.TestPath(), userName_, pcName_};
  try {
    identity.testPath = TestPathIn(parts_.settings);
    identity.userName = parts_.settings.Read(settings::kUserName, QString());
    identity.pcName = parts_.settings.Read(settings::kPcName, QString());
  } catch (const TorvikError&) {
    // A value of the wrong type: the copies stand in for what is unread.
  }
  return identity;
}

MachineFacts BenchSession::MachineFactsNow() { return parts_.machine.Facts(IdentityNow().testPath, parts_.fileSystem); }

RunRecord BenchSession::ReportRecord() {
  ReadSettings();
  RunRecord record;
  record.results = parts_.state.Results();
  record.stopped = parts_.state.StopFlag() != 0;
  record.userName = userName_;
  record.pcName = pcName_;
  parts_.machine.MeasureClock();
  record.machine = parts_.machine.Facts(parts_.directory.TestPath(), parts_.fileSystem);
  return record;
}

}  // namespace torvik
