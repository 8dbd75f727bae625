#include "core/run/GroupSequencer.h"

#include <iterator>

#include "core/base/Errors.h"

namespace torvik {

const GroupSequencer::DiskStep GroupSequencer::kDiskSteps[6] = {
    {&BenchTests::DiskWrite40, Test::Write1, &texts::kWrite40},
    {&BenchTests::DiskWrite50, Test::Write2, &texts::kWrite50},
    {&BenchTests::DiskWrite60, Test::Write3, &texts::kWrite60},
    {&BenchTests::DiskRead40, Test::Read1, &texts::kRead40},
    {&BenchTests::DiskRead50, Test::Read2, &texts::kRead50},
    {&BenchTests::DiskRead60, Test::Read3, &texts::kRead60},
};

namespace {
bool IsWrite(Test slot) { return slot == Test::Write1 || slot == Test::Write2 || slot == Test::Write3; }
}  // namespace

// A failure inside a group (an I/O error) is shown, and then the window is put
// back in its idle state: the buttons must never stay locked and no test data
// may stay on disk. The run counts as stopped ("Bench Stop" on the sheet):
// it did not do all its work. Closing the window mid-run releases the test
// data too.
template <typename Body>
void GroupSequencer::Guarded(Body body) {
  lastEnd_ = GroupEnd::None;
  try {
    body();
  } catch (const TorvikError& error) {
    lastEnd_ = GroupEnd::Failed;
    state_.RequestStop();
    view_.ShowMessage(error.BoxText(), MessageIcon::Error);
    Unlock();
    tests_.CleanupTestData();
    view_.ShowProcessorLine();
  } catch (const ExitRequested&) {
    tests_.CleanupTestData();
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

void GroupSequencer::RunTest(void (BenchTests::*run)(), Test slot) {
  try {
    (tests_.*run)();
  } catch (const TorvikError&) {
    state_.DiscardResult(slot);
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
  tests_.CleanupTestData();
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
      Announce(texts::kPreparing);
      state_.PumpMessages();
      tests_.PrepareDiskFiles();
      tests_.ScratchWrite();
    }
    for (const DiskStep& step : kDiskSteps) {
      if (!mayGoOn()) continue;
      Announce(*step.status);
      (tests_.*step.run)();
      ++done;
      if (pass == 3) state_.Results().AddToTotal(step.slot);
      state_.ShowTotal();
      progress += IsWrite(step.slot) ? rules.write : rules.read;
      view_.SetGauge(progress);
    }
  } catch (const TorvikError&) {
    // A disk result is the sum of three passes: one that misses a pass is
    // no result, and neither is the test that failed.
    for (size_t k = 0; k < std::size(kDiskSteps); ++k) {
      if (pass < 3 || k >= done) state_.DiscardResult(kDiskSteps[k].slot);
    }
    throw;
  }
}

void GroupSequencer::BAllClick() {
  Guarded([this] {
    state_.ResetResults();
    tests_.CheckTestDrive();
    Lock(true);
    view_.FocusButton(Button::BStop);
    Announce(texts::kPreparing);
    state_.PumpMessages();

    if (state_.MayGoOn()) {
      tests_.PrepareMemoryBuffers();
      Announce(texts::kPrime);
      tests_.StartCalcWorker();
      tests_.PrimeTest();
      state_.Results().SetTotalTo(Test::Calc);
      state_.ShowTotal();
      view_.SetGauge(10);
    }
    if (state_.MayGoOn()) {
      Announce(texts::kTrig);
      tests_.StartRootWorker();
      tests_.TrigTest();
      Count(Test::Trig);
      view_.SetGauge(20);
    }

    struct Step {
      void (BenchTests::*run)();
      Test slot;
      const QString* status;
      int gauge;
    };
    const Step steps[] = {
        {&BenchTests::SquareTest, Test::Square, &texts::kSquare, 25},
        {&BenchTests::CircleTest, Test::Circle, &texts::kCircle, 30},
        {&BenchTests::TriangleTest, Test::Triangle, &texts::kTriangle, 35},
        {&BenchTests::TextTest, Test::Text, &texts::kText, 40},
        {&BenchTests::ScrollTest, Test::Scroll, &texts::kScroll, 50},
        {&BenchTests::MemoryCopyTest, Test::Memory, &texts::kMemory, 60},
    };
    for (const Step& step : steps) {
      if (!state_.MayGoOn()) continue;
      Announce(*step.status);
      RunTest(step.run, step.slot);
      Count(step.slot);
      view_.SetGauge(step.gauge);
    }

    // A stopped run still counts its passes, doing nothing.
    int progress = 60;
    for (int pass = 1; pass <= 3; ++pass) DiskPass(pass, progress, {.stoppable = true, .write = 1, .read = 2});

    if (state_.MayGoOn()) {
      Announce(texts::kMix);
      RunTest(&BenchTests::MixModeTest, Test::Mix);
      Count(Test::Mix);
      view_.SetGauge(100);
      view_.SetStatusText(texts::kFinished);
    }
    Finish(state_.MayGoOn() ? texts::kCompletedBox : texts::kStoppedBox);
  });
}

void GroupSequencer::BCPUClick() {
  Guarded([this] {
    state_.ResetResults();
    Lock(false);
    Announce(texts::kMeasuring);
    tests_.StartCalcWorker();
    tests_.PrimeTest();
    state_.Results().SetTotalTo(Test::Calc);
    state_.ShowTotal();
    view_.SetGauge(50);
    tests_.StartRootWorker();
    tests_.TrigTest();
    Count(Test::Trig);
    view_.SetGauge(100);
    Finish(texts::kCompletedBox);
  });
}

void GroupSequencer::B2DClick() {
  Guarded([this] {
    state_.ResetResults();
    Lock(false);
    Announce(texts::kMeasuring);
    struct Step {
      void (BenchTests::*run)();
      Test slot;
      int gauge;
    };
    const Step steps[] = {
        {&BenchTests::SquareTest, Test::Square, 20},     {&BenchTests::CircleTest, Test::Circle, 40},
        {&BenchTests::TriangleTest, Test::Triangle, 60}, {&BenchTests::TextTest, Test::Text, 80},
        {&BenchTests::ScrollTest, Test::Scroll, 100},
    };
    for (const Step& step : steps) {
      RunTest(step.run, step.slot);
      Count(step.slot);
      view_.SetGauge(step.gauge);
    }
    Finish(texts::kCompletedBox);
  });
}

void GroupSequencer::BMixClick() {
  Guarded([this] {
    state_.ResetResults();
    Lock(false);
    tests_.PrepareMemoryBuffers();
    Announce(texts::kMeasuring);
    RunTest(&BenchTests::MemoryCopyTest, Test::Memory);
    Count(Test::Memory);
    view_.SetGauge(100);
    Finish(texts::kCompletedBox);
  });
}

void GroupSequencer::BHDDClick() {
  Guarded([this] {
    state_.ResetResults();
    tests_.CheckTestDrive();
    if (!state_.MayGoOn()) {
      // The drive check has told the user; the window stays as it was.
      lastEnd_ = GroupEnd::Refused;
      view_.ShowProcessorLine();
      return;
    }
    Lock(false);
    Announce(texts::kPreparing);
    tests_.PrepareMemoryBuffers();
    Announce(texts::kMeasuring);

    // The Stop flag is not looked at in these passes.
    int progress = 0;
    for (int pass = 1; pass <= 3; ++pass) DiskPass(pass, progress, {.stoppable = false, .write = 5, .read = 5});
    view_.SetGauge(100);
    Finish(texts::kCompletedBox);
  });
}

}  // namespace torvik
