// BenchSession: the one engine behind the window and the command line. It
// owns the run state, the benchmark's steps with their real workloads, the
// group sequencer, the settings and the test-path rules; it runs a group by
// its catalogue id, hands back one run record, and keeps runs in the
// results store (one place, one notice when the store fails). The machine's
// components and the store are created once by the program's composition
// and handed in; the drawing tests come from the user interface's stage.
// GUI thread only.
#pragma once

#include <QCoreApplication>
#include <memory>
#include <optional>

#include "core/history/BackgroundSender.h"
#include "core/history/ResultStore.h"
#include "core/history/StoreSync.h"
#include "core/machine/MachineComponents.h"
#include "core/results/RunRecord.h"
#include "core/run/GroupSequencer.h"
#include "core/run/NoiseWatchedSteps.h"
#include "core/run/RunState.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/TestPathRules.h"
#include "core/workloads/BenchWorkloads.h"

namespace torvik {

// The text of the notice when the store cannot keep a run.
namespace texts {
inline QString CannotRecord() { return QCoreApplication::translate("BenchSession", "計測結果を保存できません: "); }
inline QString CannotSend() {
  return QCoreApplication::translate(
      "BenchSession", "共有の計測結果に送れません。%1 件はこの PC に残り、次の計測か torvik --sync で送られます: ");
}
}  // namespace texts

class BenchSession {
 public:
  // `view` shows every run; `machine` and `store` (null: runs are not kept)
  // must outlive the session.
  BenchSession(RunView& view, std::unique_ptr<SettingsStore> settings, std::unique_ptr<TestPathRules> rules,
               MachineComponents& machine, ResultStore* store,
               platform::FileSystem& fileSystem = platform::FileSystem::Default());
  BenchSession(const BenchSession&) = delete;
  BenchSession& operator=(const BenchSession&) = delete;

  RunState& State() { return state_; }
  SettingsStore& Settings() { return *settings_; }
  TestPathRules& Rules() { return *rules_; }
  MachineComponents& Machine() { return machine_; }
  TestDirectory& Directory() { return workloads_.Directory(); }
  const MemoryBuffers& Buffers() const { return workloads_.Buffers(); }
  ResultStore* Store() { return store_; }
  // What the comparison window shows: the shared store when there is one
  // (every machine's runs; a run deleted there is gone for all), else this
  // PC's.
  ResultStore* ComparedStore() { return shared_ ? shared_.get() : store_; }
  // How kept runs travel to the shared store: within Record (the command
  // line), or from a thread of their own (the window, which must not stand
  // still while a server that is away is waited for).
  enum class Sending { WithinRecord, FromThreadOfItsOwn };
  // The shared store at `url` that every run kept here is sent to after it
  // is kept, and that the comparison window reads; an empty URL (the
  // default) keeps runs here only. Replaces the one before (a send under
  // way ends first); what waits goes with the next run kept. Needs a store
  // here.
  void UseSharedStore(const QString& url, Sending sending);
  // The stage's drawing tests (null: the drawing groups fail, naming why).
  void SetDrawingWorkloads(DrawingWorkloads* drawing) { workloads_.SetDrawingWorkloads(drawing); }

  // The copies of the names the settings hold, refreshed by ReadSettings.
  const QString& UserName() const { return userName_; }
  const QString& PcName() const { return pcName_; }
  // Re-reads the test path and the names from the settings; TorvikError
  // for a value of the wrong type (the values read before it are kept).
  void ReadSettings();
  // Seeds the test-file counter: a random number from 0 to 999.
  void SeedFileNumbers();

  // True from a group's start to its end, a run re-entered from a pump
  // counted too.
  bool Running() const { return runDepth_ > 0; }

  // Why `group` cannot run with the test directory as set, in the words
  // its own run would show ("HDD情報が取得できません。..."); empty when it
  // can. Nothing is made on disk.
  QString Refusal(Group group);

  // Runs `group` as its button does. A failure outside the group's steps is
  // shown through the view. The record of a group that completed or was
  // stopped, with the machine's facts at its end (the clock measured last);
  // none for a group that failed, was refused or was unwound by a close.
  std::optional<RunRecord> Run(Group group);
  // Keeps `run` in the store. A run without any result (refused before its
  // first test) is not kept. A store that fails is told once per session
  // (ShowNotice) and never stops anything.
  void Record(const RunRecord& run);

  // The machine's facts now, with the clock measured last and the space of
  // the test directory the settings name queried now.
  MachineFacts MachineFactsNow();
  // The run on screen as the Report button reports it: the settings
  // re-read, the clock measured afresh (about a second). TorvikError for a
  // settings value of the wrong type.
  RunRecord ReportRecord();

 private:
  // Everything kept here and not yet sent, to the shared store if any.
  void SendWaitingRuns();
  // Told once per session: a shared store away is not news at every run.
  void TellSendFailure(int waiting, const QString& error);
  // Who ran a run where: the settings as they are now.
  struct Identity {
    QString testPath, userName, pcName;
  };
  Identity IdentityNow();

  RunView& view_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<TestPathRules> rules_;
  MachineComponents& machine_;
  ResultStore* store_;
  platform::FileSystem& fileSystem_;
  RunState state_;
  BenchWorkloads workloads_;
  NoiseWatchedSteps watchedSteps_;
  GroupSequencer sequencer_;
  QString userName_, pcName_;
  int runDepth_ = 0;
  bool storeFailureShown_ = false;
  std::unique_ptr<ResultStore> shared_;
  std::unique_ptr<BackgroundSender> sender_;  // none: sent within Record
  bool sendFailureShown_ = false;
};

}  // namespace torvik
