#include "core/run/RunState.h"

#include "core/base/Errors.h"
#include "core/base/RandomGenerator.h"
#include "core/results/PreciseFigures.h"
#include "core/results/Timing.h"

namespace torvik {

ResultLabel LabelOf(Test test) {
  switch (test) {
    case Test::Calc: return ResultLabel::KCalc;
    case Test::Trig: return ResultLabel::KTrig;
    case Test::Square: return ResultLabel::KSquare;
    case Test::Circle: return ResultLabel::KCircle;
    case Test::Triangle: return ResultLabel::KTriangle;
    case Test::Text: return ResultLabel::KText;
    case Test::Scroll: return ResultLabel::KScroll;
    case Test::Memory: return ResultLabel::KMemory;
    case Test::Write1: return ResultLabel::KWrite1;
    case Test::Write2: return ResultLabel::KWrite2;
    case Test::Write3: return ResultLabel::KWrite3;
    case Test::Read1: return ResultLabel::KRead1;
    case Test::Read2: return ResultLabel::KRead2;
    case Test::Read3: return ResultLabel::KRead3;
    case Test::Mix: return ResultLabel::KMix;
  }
  return ResultLabel::KAll;
}

void RunState::ResetResults() {
  results_.Clear();
  view_.SetGauge(0);
  for (ResultLabel label : {ResultLabel::KCalc, ResultLabel::KTrig, ResultLabel::KWrite1, ResultLabel::KWrite2,
                            ResultLabel::KWrite3, ResultLabel::KRead1, ResultLabel::KRead2, ResultLabel::KRead3,
                            ResultLabel::KSquare, ResultLabel::KCircle, ResultLabel::KTriangle, ResultLabel::KText,
                            ResultLabel::KScroll, ResultLabel::KAll, ResultLabel::KMemory, ResultLabel::KMix}) {
    view_.SetResultText(label, QString());
    view_.SetResultDetail(label, QString());
  }
  stopFlag_ = 0;
  ProgramRandom().SeedFromClock();
  view_.RepaintNow();
  PumpMessages();
}

void RunState::ShowTotal() {
  view_.SetResultText(ResultLabel::KAll, FormatSeconds(results_.Total()));
  view_.SetResultDetail(ResultLabel::KAll, PreciseSeconds(results_.TotalNs(), DecimalPoint()));
  view_.RepaintNow();
  PumpMessages();
}

void RunState::PumpMessages() {
  view_.PumpMessages();
  if (view_.CloseRequested()) throw ExitRequested{};
}

void RunState::ShowResult(Test test) {
  ShowElapsed(test);
  view_.RepaintNow();
  PumpMessages();
}

void RunState::DiscardResult(Test test) {
  results_[test] = TimingSlot{};
  view_.SetResultText(LabelOf(test), QString());
  view_.SetResultDetail(LabelOf(test), QString());
}

void RunState::ShowElapsed(Test test) {
  view_.SetResultText(LabelOf(test), FormatSeconds(results_[test].elapsed));
  view_.SetResultDetail(LabelOf(test), PreciseText(test, results_[test], DecimalPoint()));
}

}  // namespace torvik
