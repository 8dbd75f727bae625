// GroupSequencer: the five test groups behind the CPU, Graphic, Memory, HDD
// and ALL buttons. Each clears the run state, locks the buttons, announces
// every step on the status line, calls the tests in a fixed order, keeps the
// running total and the gauge up to date and ends with a message box.
// GUI thread only; a group runs to its end without returning to the message
// loop, user input being seen only where messages are pumped.
#pragma once

#include <QCoreApplication>
#include <QString>

#include "core/run/BenchSteps.h"
#include "core/run/RunState.h"

namespace torvik {

// Status and message texts of the groups; each test's own status text is
// its catalogue entry's.
namespace texts {
inline QString Measuring() { return QCoreApplication::translate("GroupSequencer", "計測中！"); }
inline QString Preparing() { return QCoreApplication::translate("GroupSequencer", "計測データ準備中！"); }
inline QString Finished() { return QCoreApplication::translate("GroupSequencer", "計測が終了しました"); }
inline QString CompletedBox() {
  return QCoreApplication::translate("GroupSequencer", "計測が終了しました。Reportボタンで結果が保存されます。");
}
inline QString StoppedBox() { return QCoreApplication::translate("GroupSequencer", "計測を中止しました。"); }
inline QString Undeleted() {
  return QCoreApplication::translate("GroupSequencer", "削除できなかったテストファイル: %1");
}
}  // namespace texts

// How the last group ended.
enum class GroupEnd {
  None,       // no group has ended yet, or the last one was unwound by a close
  Completed,  // the completion box
  Stopped,    // the stop box (Stop, or the ALL group's refused drive)
  Failed,     // an error box: nothing of it counts
  Refused,    // the HDD group's drive check: nothing ran
};

class GroupSequencer {
 public:
  GroupSequencer(RunState& state, BenchSteps& steps) : state_(state), view_(state.View()), steps_(steps) {}

  GroupEnd LastEnd() const { return lastEnd_; }

  // Runs `group` through its button's handler below. Each may throw
  // ExitRequested (the window is closing; the test data is already
  // released) and, for errors outside a group's steps, TorvikError.
  void Run(Group group);
  void BAllClick();
  void BCPUClick();
  void B2DClick();
  void BMixClick();
  void BHDDClick();

 private:
  // How a group runs its disk passes: whether the Stop flag is looked at, and
  // how far the gauge advances after a write and after a read test.
  struct DiskPassRules {
    bool stoppable;
    int write;
    int read;
  };

  template <typename Body>
  void Guarded(Body body);
  void DiskPass(int pass, int& progress, DiskPassRules rules);
  // Runs one test; when it raises TorvikError its result is discarded first.
  void RunTest(Test test);
  void Lock(bool stopEnabled);
  void Unlock();
  void Announce(const QString& text);
  void Count(Test test);
  void Finish(const QString& message);

  RunState& state_;
  RunView& view_;
  BenchSteps& steps_;
  GroupEnd lastEnd_ = GroupEnd::None;
};

}  // namespace torvik
