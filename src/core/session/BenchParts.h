// BenchParts: the real parts a run session works on, made once by the
// program's composition: the run state (shown through the window or the
// command line's view), the settings and the test-path rules, the measured
// workloads (the drawing tests handed in by the stage) and those workloads
// with the machine's noise watched around each test. The composition keeps
// them for the program's life and hands the settings, rules and state to
// the parts of the user interface that need them. GUI thread only.
#pragma once

#include <memory>

#include "core/run/NoiseWatchedSteps.h"
#include "core/session/BenchSession.h"
#include "core/workloads/BenchWorkloads.h"

namespace torvik {

class BenchParts {
 public:
  // `view` shows every run; `machine` and `fileSystem` must outlive the parts.
  BenchParts(RunView& view, std::unique_ptr<SettingsStore> settings, std::unique_ptr<TestPathRules> rules,
             MachineComponents& machine, platform::FileSystem& fileSystem = platform::FileSystem::Default())
      : settings_(std::move(settings)),
        rules_(std::move(rules)),
        machine_(machine),
        fileSystem_(fileSystem),
        state_(view),
        workloads_(state_, *settings_, fileSystem, *rules_),
        steps_(workloads_, state_, machine.Noise()) {}
  BenchParts(const BenchParts&) = delete;
  BenchParts& operator=(const BenchParts&) = delete;

  RunState& State() { return state_; }
  SettingsStore& Settings() { return *settings_; }
  TestPathRules& Rules() { return *rules_; }
  BenchWorkloads& Workloads() { return workloads_; }
  // What the session works on: the workloads watched for noise.
  BenchSession::Parts ForSession() {
    return {state_, steps_, workloads_.Directory(), *settings_, *rules_, machine_, fileSystem_};
  }

 private:
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<TestPathRules> rules_;
  MachineComponents& machine_;
  platform::FileSystem& fileSystem_;
  RunState state_;
  BenchWorkloads workloads_;
  NoiseWatchedSteps steps_;
};

}  // namespace torvik
