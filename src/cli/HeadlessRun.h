// HeadlessRun: the command line's --run: options -> the run session ->
// output. Before anything runs it refuses a settings value of the wrong
// type and a test directory the groups would refuse. It runs the requested
// groups through the session (the same groups, workloads, test files and
// clean-up as the window's buttons), repeated as asked (a test that shared
// its processor or saw its clock move is told on stderr), measures the clock
// once after them, keeps every group in the results archive (and sends what
// waits there once, after all of them) and writes the result: the report
// block per repetition, or one JSON document; --report also appends the
// blocks to the sheet. A termination signal is honoured at
// every moment: exit 128 + n, nothing on stdout, nothing recorded.
// Execute() returns the exit status: 0 done, 1 a test failed (nothing on
// stdout), 2 refused settings or test directory, 3 with --require-sent a
// run kept but not sent, 128 + n on signal n. GUI thread, inside a running
// QApplication.
#pragma once

#include <QDateTime>
#include <functional>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/HeadlessView.h"
#include "core/archive/RunArchive.h"
#include "core/session/BenchSession.h"

namespace torvik {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitRefused = 2;
// --require-sent: everything ran and was kept, but not every run reached the
// shared store (they wait here for the next run or --sync).
inline constexpr int kExitNotSent = 3;

class HeadlessRun {
 public:
  // `session` shows its runs through `view`; `archive` keeps them (null:
  // they are not kept). All must outlive the run.
  HeadlessRun(const RunOptions& options, BenchSession& session, HeadlessView& view, RunArchive* archive)
      : options_(options), session_(session), view_(view), archive_(archive) {}

  // Called after every group that drew on the screen (to put the stage away).
  void SetAfterDrawing(std::function<void()> afterDrawing) { afterDrawing_ = std::move(afterDrawing); }

  int Execute();

 private:
  // Each returns an exit status, kExitDone (0) to go on.
  // Refuses settings of the wrong type and a test directory the groups refuse.
  int Refuse();
  // Runs the groups, repeated (--repeat auto: until every test settles);
  // each repetition merged, and each group alone.
  int RunGroups(std::vector<RunRecord>& repetitions, std::vector<RunRecord>& groupRuns);
  bool WantsRepetition(const std::vector<RunRecord>& repetitions, double elapsedSeconds) const;
  // Tells on stderr each test of `run` whose noise was flagged.
  void WarnOfNoise(int repetition, const RunRecord& run) const;
  // Writes the result, the sheet with --report, and keeps the groups.
  int Deliver(const std::vector<RunRecord>& repetitions, const std::vector<RunRecord>& groupRuns,
              const QDateTime& started);
  // 128 + the signal when one has arrived (messages are pumped to see it).
  int SignalStatus();

  RunOptions options_;
  BenchSession& session_;
  HeadlessView& view_;
  RunArchive* archive_;
  std::function<void()> afterDrawing_;
};

}  // namespace torvik
