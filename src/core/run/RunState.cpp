#include "core/run/RunState.h"

#include "core/base/Errors.h"
#include "core/base/RandomGenerator.h"
#include "core/results/PreciseFigures.h"
#include "core/results/Timing.h"

namespace torvik {

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
