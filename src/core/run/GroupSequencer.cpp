#include "core/run/GroupSequencer.h"

#include <iterator>

#include "core/base/Errors.h"

namespace torvik {

namespace {

// One pass of the disk tests, in this order.
constexpr Test kDiskSteps[] = {Test::Write1, Test::Write2, Test::Write3, Test::Read1, Test::Read2, Test::Read3};
bool IsWrite(Test test) { return test == Test::Write1 || test == Test::Write2 || test == Test::Write3; }

}  // namespace

void GroupSequencer::Run(Group group) {
  switch (group) {
    case Group::Cpu: return BCPUClick();
    case Group::Graphic: return B2DClick();
    case Group::Memory: return BMixClick();
    case Group::Hdd: return BHDDClick();
    case Group::All: return BAllClick();
    // Measured by their own engines (the session runs them), never by the
    // classic tests' steps.
    case Group::Cores:
    case Group::Ram:
    case Group::Drive: return;
  }
}

namespace {

// The box's text, and a line naming any test file that could not be deleted.
QString WithUndeleted(const QString& text, const QStringList& undeleted) {
  return undeleted.isEmpty() ? text : text + u'\n' + texts::Undeleted().arg(undeleted.join(QStringLiteral(", ")));
}

}  // namespace

// A failure inside a group (an I/O error) deletes the test data first (a
// full disk is not kept full while the box waits), is shown, and then the
// window is put back in its idle state: the buttons must never stay locked.
// The run counts as stopped ("Bench Stop" on the sheet): it did not do all
// its work. Closing the window mid-run releases the test data too.
template <typename Body>
void GroupSequencer::Guarded(Body body) {
  lastEnd_ = GroupEnd::None;
  try {
    body();
  } catch (const TorvikError& error) {
    lastEnd_ = GroupEnd::Failed;
    state_.RequestStop();
    const QStringList undeleted = steps_.CleanupTestData();
    view_.ShowMessage(WithUndeleted(error.BoxText(), undeleted), MessageIcon::Error);
    Unlock();
    view_.ShowProcessorLine();
  } catch (const ExitRequested&) {
    steps_.CleanupTestData();
    throw;
  }
}

void GroupSequencer::Lock(bool stopEnabled) {
  for (Button button : {Button::BAll, Button::BCPU, Button::B2D, Button::BHDD, Button::BMix, Button::BRep}) {
    view_.SetButtonEnabled(button, false);
  }
  view_.SetButtonEnabled(Button::BStop, stopEnabled);
}

void GroupSequencer::Unlock() {
  for (Button button : {Button::BAll, Button::BRep, Button::BCPU, Button::B2D, Button::BHDD, Button::BMix}) {
    view_.SetButtonEnabled(button, true);
  }
  view_.SetButtonEnabled(Button::BStop, false);
}

void GroupSequencer::Announce(const QString& text) {
  view_.SetStatusText(text);
  view_.RepaintNow();
}

void GroupSequencer::RunTest(Test test) {
  try {
    steps_.RunTest(test);
  } catch (const TorvikError&) {
    state_.DiscardResult(test);
    throw;
  }
}

void GroupSequencer::Count(Test test) {
  state_.Results().AddToTotal(test);
  state_.ShowTotal();
}

void GroupSequencer::Finish(const QString& message) {
  lastEnd_ = state_.MayGoOn() ? GroupEnd::Completed : GroupEnd::Stopped;
  view_.ShowMessage(message, MessageIcon::Information);
  Unlock();
  if (const QStringList undeleted = steps_.CleanupTestData(); !undeleted.isEmpty()) {
    view_.ShowNotice(texts::Undeleted().arg(undeleted.join(QStringLiteral(", "))));
  }
  view_.FocusButton(Button::BRep);
  view_.ShowProcessorLine();
}

// One pass of the disk tests: fresh files, then write 40, 50, 60 and read 40,
// 50, 60. Each pass adds to the disk slots, but only pass 3 (whose slots then
// hold the sums of all passes) adds them to the total.
void GroupSequencer::DiskPass(int pass, int& progress, DiskPassRules rules) {
  auto mayGoOn = [&] { return !rules.stoppable || state_.MayGoOn(); };
  size_t done = 0;  // steps of this pass that have run
  try {
    if (mayGoOn()) {
      Announce(texts::Preparing());
      state_.PumpMessages();
      steps_.PrepareDiskFiles();
      steps_.ScratchWrite();
    }
    for (Test test : kDiskSteps) {
      if (!mayGoOn()) continue;
      Announce(StatusText(test));
      steps_.RunTest(test);
      ++done;
      if (pass == 3) state_.Results().AddToTotal(test);
      state_.ShowTotal();
      progress += IsWrite(test) ? rules.write : rules.read;
      view_.SetGauge(progress);
    }
  } catch (const TorvikError&) {
    // A disk result is the sum of three passes: one that misses a pass is
    // no result, and neither is the test that failed.
    for (size_t k = 0; k < std::size(kDiskSteps); ++k) {
      if (pass < 3 || k >= done) state_.DiscardResult(kDiskSteps[k]);
    }
    throw;
  }
}

void GroupSequencer::BAllClick() {
  Guarded([this] {
    state_.ResetResults();
    steps_.CheckTestDrive();
    Lock(true);
    view_.FocusButton(Button::BStop);
    Announce(texts::Preparing());
    state_.PumpMessages();

    if (state_.MayGoOn()) {
      steps_.PrepareMemoryBuffers();
      Announce(StatusText(Test::Calc));
      steps_.StartCalcWorker();
      steps_.RunTest(Test::Calc);
      state_.Results().SetTotalTo(Test::Calc);
      state_.ShowTotal();
      view_.SetGauge(10);
    }
    if (state_.MayGoOn()) {
      Announce(StatusText(Test::Trig));
      steps_.StartRootWorker();
      steps_.RunTest(Test::Trig);
      Count(Test::Trig);
      view_.SetGauge(20);
    }

    struct Step {
      Test test;
      int gauge;
    };
    const Step steps[] = {
        {Test::Square, 25}, {Test::Circle, 30}, {Test::Triangle, 35},
        {Test::Text, 40},   {Test::Scroll, 50}, {Test::Memory, 60},
    };
    for (const Step& step : steps) {
      if (!state_.MayGoOn()) continue;
      Announce(StatusText(step.test));
      RunTest(step.test);
      Count(step.test);
      view_.SetGauge(step.gauge);
    }

    // A stopped run still counts its passes, doing nothing.
    int progress = 60;
    for (int pass = 1; pass <= 3; ++pass) DiskPass(pass, progress, {.stoppable = true, .write = 1, .read = 2});

    if (state_.MayGoOn()) {
      Announce(StatusText(Test::Mix));
      RunTest(Test::Mix);
      Count(Test::Mix);
      view_.SetGauge(100);
      view_.SetStatusText(texts::Finished());
    }
    Finish(state_.MayGoOn() ? texts::CompletedBox() : texts::StoppedBox());
  });
}

void GroupSequencer::BCPUClick() {
  Guarded([this] {
    state_.ResetResults();
    Lock(false);
    Announce(texts::Measuring());
    steps_.StartCalcWorker();
    steps_.RunTest(Test::Calc);
    state_.Results().SetTotalTo(Test::Calc);
    state_.ShowTotal();
    view_.SetGauge(50);
    steps_.StartRootWorker();
    steps_.RunTest(Test::Trig);
    Count(Test::Trig);
    view_.SetGauge(100);
    Finish(texts::CompletedBox());
  });
}

void GroupSequencer::B2DClick() {
  Guarded([this] {
    state_.ResetResults();
    Lock(false);
    Announce(texts::Measuring());
    struct Step {
      Test test;
      int gauge;
    };
    const Step steps[] = {
        {Test::Square, 20}, {Test::Circle, 40}, {Test::Triangle, 60}, {Test::Text, 80}, {Test::Scroll, 100},
    };
    for (const Step& step : steps) {
      RunTest(step.test);
      Count(step.test);
      view_.SetGauge(step.gauge);
    }
    Finish(texts::CompletedBox());
  });
}

void GroupSequencer::BMixClick() {
  Guarded([this] {
    state_.ResetResults();
    Lock(false);
    steps_.PrepareMemoryBuffers();
    Announce(texts::Measuring());
    RunTest(Test::Memory);
    Count(Test::Memory);
    view_.SetGauge(100);
    Finish(texts::CompletedBox());
  });
}

void GroupSequencer::BHDDClick() {
  Guarded([this] {
    state_.ResetResults();
    steps_.CheckTestDrive();
    if (!state_.MayGoOn()) {
      // The drive check has told the user; the window stays as it was.
      lastEnd_ = GroupEnd::Refused;
      view_.ShowProcessorLine();
      return;
    }
    Lock(false);
    Announce(texts::Preparing());
    steps_.PrepareMemoryBuffers();
    Announce(texts::Measuring());

    // The Stop flag is not looked at in these passes.
    int progress = 0;
    for (int pass = 1; pass <= 3; ++pass) DiskPass(pass, progress, {.stoppable = false, .write = 5, .read = 5});
    view_.SetGauge(100);
    Finish(texts::CompletedBox());
  });
}

}  // namespace torvik
