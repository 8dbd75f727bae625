// HeadlessRun: the command line's --run. It runs the requested groups,
// repeated as asked, through the same sequencer, tests, workers, test files
// and clean-up as the window's buttons, with a HeadlessView instead of the
// window (the drawing tests still need the main window as their stage, so
// graphic and all show it while they draw). Then it measures the machine's
// facts as the Report button does and writes the result: the report block
// per repetition, or one JSON document; --report also appends the blocks to
// the sheet. Execute() returns the exit status: 0 done, 1 a test failed
// (nothing on stdout), 2 a refused test directory, 128 + n on signal n.
// GUI thread, inside a running QApplication.
#pragma once

#include "cli/CommandLine.h"

namespace torvik {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitRefused = 2;

class HeadlessRun {
 public:
  explicit HeadlessRun(const RunOptions& options) : options_(options) {}
  int Execute();

 private:
  RunOptions options_;
};

}  // namespace torvik
