// RunState: the state every test shares while the program runs (the result
// table, the running total, the Stop flag) and the conventions that keep the
// window alive around long work (showing the total, pumping messages).
// Owned by the run session for the whole program run. GUI thread only.
#pragma once

#include <cstdint>

#include "core/results/ResultTable.h"
#include "core/run/RunView.h"

namespace torvik {

inline constexpr int32_t kStopRequested = 9;

class RunState {
 public:
  explicit RunState(RunView& view) : view_(view) {}
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  ResultTable& Results() { return results_; }
  const ResultTable& Results() const { return results_; }

  // 0 while the current group may go on; kStopRequested once Stop or the drive
  // check fired.
  int32_t StopFlag() const { return stopFlag_; }
  bool MayGoOn() const { return stopFlag_ == 0; }
  void BStopClick() { RequestStop(); }
  // What Stop and a failed drive check do: the group skips its remaining tests.
  void RequestStop() { stopFlag_ = kStopRequested; }
  // A group of points begins: an earlier Stop is no longer asked for (it
  // leaves the results of the other groups as they are).
  void ClearStop() { stopFlag_ = 0; }

  // Clears the table, the gauge, every result label and the Stop flag,
  // re-seeds the random generator, repaints and pumps messages.
  void ResetResults();
  // Writes the running total into KAll, repaints now and pumps messages.
  void ShowTotal();
  // Dispatches waiting messages. Throws ExitRequested when the user closed
  // the window meanwhile, which unwinds the running group.
  void PumpMessages();
  // Writes a slot's elapsed time into its result label.
  void ShowElapsed(Test test);
  // ShowElapsed, then the whole window repainted now and messages pumped:
  // how a test shows its result when it ends.
  void ShowResult(Test test);
  // A test that failed has no result: its slot is cleared and its label
  // emptied, so neither the window nor the sheet shows a time for it.
  void DiscardResult(Test test);

  RunView& View() { return view_; }

 private:
  RunView& view_;
  ResultTable results_;
  int32_t stopFlag_ = 0;
};

}  // namespace torvik
