#include "core/session/BenchSession.h"

#include "core/base/Errors.h"
#include "core/base/RandomGenerator.h"
#include "core/history/StoredRun.h"

namespace torvik {

BenchSession::BenchSession(RunView& view, std::unique_ptr<SettingsStore> settings, std::unique_ptr<TestPathRules> rules,
                           MachineComponents& machine, ResultStore* store, platform::FileSystem& fileSystem)
    : view_(view),
      settings_(std::move(settings)),
      rules_(std::move(rules)),
      machine_(machine),
      store_(store),
      fileSystem_(fileSystem),
      state_(view),
      workloads_(state_, *settings_, fileSystem, *rules_),
      watchedSteps_(workloads_, state_, machine.Noise()),
      sequencer_(state_, watchedSteps_) {}

void BenchSession::ReadSettings() {
  Directory().ReadTestPath();
  userName_ = settings_->Read(settings::kUserName, QString());
  pcName_ = settings_->Read(settings::kPcName, QString());
}

void BenchSession::SeedFileNumbers() { Directory().SetFileNumberCounter(ProgramRandom().Next(1000)); }

QString BenchSession::Refusal(Group group) {
  const GroupEntry& entry = EntryOf(group);
  if (!entry.usesTestDirectory) return {};
  TestDirectory& directory = Directory();
  directory.ReadTestPath();
  const TestPathProblem problem = rules_->Check(directory.TestPath(), entry.needsFixedDisk);
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
    sequencer_.Run(group);
    finished = sequencer_.LastEnd() == GroupEnd::Completed || sequencer_.LastEnd() == GroupEnd::Stopped;
  } catch (const ExitRequested&) {
    // The group has released its test data; whoever asked to end goes on.
  } catch (const TorvikError& error) {
    view_.ShowMessage(error.BoxText(), MessageIcon::Error);
  }
  --runDepth_;
  if (!finished) return std::nullopt;
  record.results = state_.Results();
  record.stopped = state_.StopFlag() != 0;
  const Identity identity = IdentityNow();
  record.userName = identity.userName;
  record.pcName = identity.pcName;
  record.machine = machine_.Facts(identity.testPath, fileSystem_);
  return record;
}

void BenchSession::Record(const RunRecord& run) {
  if (store_ == nullptr) return;
  bool any = false;
  for (const TestEntry& entry : kTests) any = any || run.results[entry.test].elapsedNs > 0;
  if (!any) return;  // refused before any test: nothing to keep
  if (!store_->Record(RunFromRecord(run))) {
    if (!storeFailureShown_) view_.ShowNotice(texts::CannotRecord() + store_->Error());
    storeFailureShown_ = true;
    return;
  }
  // Kept here first; then everything waiting goes to the shared store. A
  // server away or refusing is told once; the runs wait for the next run
  // or torvik --sync.
  SendWaitingRuns();
}

void BenchSession::UseSharedStore(const QString& url, Sending sending) {
  sender_.reset();
  shared_.reset();
  sendFailureShown_ = false;  // another server: its failure is news
  if (url.isEmpty() || store_ == nullptr) return;
  shared_ = std::make_unique<ResultStore>(url);
  if (sending == Sending::FromThreadOfItsOwn) {
    sender_ = std::make_unique<BackgroundSender>(store_->Path(), url);
    QObject::connect(sender_.get(), &BackgroundSender::failed, sender_.get(),
                     [this](int waiting, const QString& error) { TellSendFailure(waiting, error); });
  }
}

void BenchSession::SendWaitingRuns() {
  if (sender_) return sender_->Send();
  if (!shared_) return;
  const SyncResult sync = torvik::SendWaitingRuns(*store_, *shared_);
  if (!sync.error.isEmpty()) TellSendFailure(sync.waiting, sync.error);
}

void BenchSession::TellSendFailure(int waiting, const QString& error) {
  if (sendFailureShown_) return;
  sendFailureShown_ = true;
  view_.ShowNotice(texts::CannotSend().arg(waiting) + error);
}

BenchSession::Identity BenchSession::IdentityNow() {
  // Read for the record alone: the copies change only as the user's
  // commands change them.
  Identity identity{Directory().TestPath(), userName_, pcName_};
  try {
    identity.testPath = NormalisedTestPath(settings_->Read(settings::kDrive, DefaultTestPath()));
    identity.userName = settings_->Read(settings::kUserName, QString());
    identity.pcName = settings_->Read(settings::kPcName, QString());
  } catch (const TorvikError&) {
    // A value of the wrong type: the copies stand in for what is unread.
  }
  return identity;
}

MachineFacts BenchSession::MachineFactsNow() { return machine_.Facts(IdentityNow().testPath, fileSystem_); }

RunRecord BenchSession::ReportRecord() {
  ReadSettings();
  RunRecord record;
  record.results = state_.Results();
  record.stopped = state_.StopFlag() != 0;
  record.userName = userName_;
  record.pcName = pcName_;
  machine_.MeasureClock();
  record.machine = machine_.Facts(Directory().TestPath(), fileSystem_);
  return record;
}

}  // namespace torvik
