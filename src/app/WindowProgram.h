// WindowProgram: the program with its window, composed in one place for the
// program and for the window tests alike: the machine's components, the
// main window with its run session on the real workloads, the drawing
// stage, the results archive on a thread of its own, the settings dialog
// and the window of today's machine, which shows the session's runs while
// it runs a group (the router) and waits for the main window's, as the
// main window waits for its. What differs between them (the processor, the settings and the
// test-path rules, where the store lives) comes in as WindowInputs. GUI
// thread, inside a running QApplication.
#pragma once

#include <QString>
#include <memory>

#include "core/archive/BackgroundArchive.h"
#include "core/machine/MachineComponents.h"
#include "core/run/ViewRouter.h"
#include "core/session/BenchParts.h"
#include "core/session/BenchSession.h"
#include "ui/MachineWindow.h"
#include "ui/MainWindow.h"
#include "ui/SettingsDialog.h"
#include "ui/StageDrawing.h"

namespace torvik {

struct WindowInputs {
  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<TestPathRules> rules;
  QString storePath;  // this PC's results store
  QString sharedUrl;  // the shared store; empty: none
  QString refusal{};  // why the settings' shared store is not used; told once the window shows
};

class WindowProgram {
 public:
  // `processor` must outlive the program. The machine's components are made
  // first (the clock's measurement included: about two seconds).
  WindowProgram(const platform::ProcessorProbe& processor, WindowInputs inputs);
  WindowProgram(const WindowProgram&) = delete;
  WindowProgram& operator=(const WindowProgram&) = delete;

  MachineComponents machine;
  MainWindow window;
  ViewRouter router;  // the run state's view: the main window, or the machine window while it runs
  BenchParts bench;
  BenchSession session;
  StageDrawing drawing;
  BackgroundArchive archive;
  SettingsDialog settingsDialog;
  MachineWindow machineWindow;
};

// The machine's own inputs: the user's settings and the machine's rules for
// a test path, the default store and the settings' shared store.
WindowInputs MachineWindowInputs();

}  // namespace torvik
