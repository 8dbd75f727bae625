// BenchSession: the one engine behind the window and the command line. It
// runs a group by its catalogue id through the group sequencer and hands
// back one run record (the front end gives it to the results archive);
// says why a group cannot run with the test directory as set; makes the
// Report button's record of the run on screen; and gives the machine's
// facts. It works on parts made by the program's composition (BenchParts:
// the real workloads) or by a test (a recorder of the steps), all of which
// outlive it. GUI thread only.
#pragma once

#include <optional>

#include "core/machine/MachineComponents.h"
#include "core/results/RunRecord.h"
#include "core/run/BenchSteps.h"
#include "core/run/GroupSequencer.h"
#include "core/run/RunState.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/TestPathRules.h"
#include "core/workloads/TestDirectory.h"

namespace torvik {

class BenchSession {
 public:
  // What a session works on; every part outlives it.
  struct Parts {
    RunState& state;
    BenchSteps& steps;  // the measured work, or a recorder
    TestDirectory& directory;
    SettingsStore& settings;
    TestPathRules& rules;
    MachineComponents& machine;
    platform::FileSystem& fileSystem;
  };

  explicit BenchSession(const Parts& parts);
  BenchSession(const BenchSession&) = delete;
  BenchSession& operator=(const BenchSession&) = delete;

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
  // The Stop button: the running group skips its remaining tests.
  void Stop() { parts_.state.BStopClick(); }
  // Clears the results, the gauge and the labels (the window's start).
  void ResetResults() { parts_.state.ResetResults(); }

  // Why `group` cannot run with the test directory as set, in the words
  // its own run would show ("HDD情報が取得できません。..."); empty when it
  // can. Nothing is made on disk.
  QString Refusal(Group group);

  // Runs `group` as its button does (a group of points, cores, ram or
  // drive, through PointGroups: each point shown as it comes, Stop looked at
  // between them, no message box). A failure outside the group's steps is
  // shown through the view. The record of a group that completed or was
  // stopped, with the machine's facts at its end (the clock measured last);
  // none for a group that failed, was refused or was unwound by a close.
  std::optional<RunRecord> Run(Group group);

  // Measures the clock anew (about a second, busy), for the facts after it.
  void MeasureClock() { parts_.machine.MeasureClock(); }
  // The machine's facts now, with the clock measured last and the space of
  // the test directory the settings name queried now.
  MachineFacts MachineFactsNow();
  // The run on screen as the Report button reports it: the settings
  // re-read, the clock measured afresh (about a second). TorvikError for a
  // settings value of the wrong type.
  RunRecord ReportRecord();

 private:
  // Who ran a run where: the settings as they are now.
  struct Identity {
    QString testPath, userName, pcName;
  };
  Identity IdentityNow();
  // Runs a group of points into `record`; false when it failed (shown).
  bool RunPoints(Group group, RunRecord& record);

  Parts parts_;
  GroupSequencer sequencer_;
  QString userName_, pcName_;
  int runDepth_ = 0;
};

}  // namespace torvik
