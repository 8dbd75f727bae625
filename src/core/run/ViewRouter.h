// ViewRouter: the one RunView of the program's run state, passing every call
// to the window that shows the run under way: the main window by default,
// another window (today's machine) for as long as it runs a group there
// (a Route held on its stack). A close asked of the main window is seen
// whichever window runs, so the program's end unwinds any run. GUI thread
// only.
#pragma once

#include "core/run/RunView.h"

namespace torvik {

class ViewRouter : public RunView {
 public:
  // `primary` must outlive the router.
  explicit ViewRouter(RunView& primary) : primary_(primary), current_(&primary) {}
  ViewRouter(const ViewRouter&) = delete;
  ViewRouter& operator=(const ViewRouter&) = delete;

  // While it lives, `guest` shows the runs; the view before it is put back
  // when it ends. Routes nest.
  class Route {
   public:
    Route(ViewRouter& router, RunView& guest) : router_(router), before_(router.current_) { router.current_ = &guest; }
    ~Route() { router_.current_ = before_; }
    Route(const Route&) = delete;
    Route& operator=(const Route&) = delete;

   private:
    ViewRouter& router_;
    RunView* before_;
  };

  // Who shows the runs now.
  RunView& Current() const { return *current_; }

  void SetResultText(ResultLabel label, const QString& text) override { current_->SetResultText(label, text); }
  void SetResultDetail(ResultLabel label, const QString& text) override { current_->SetResultDetail(label, text); }
  void SetStatusText(const QString& text) override { current_->SetStatusText(text); }
  QString ShownStatusText() const override { return current_->ShownStatusText(); }
  void ShowProcessorLine() override { current_->ShowProcessorLine(); }
  void SetGauge(int progress) override { current_->SetGauge(progress); }
  void SetButtonEnabled(Button button, bool enabled) override { current_->SetButtonEnabled(button, enabled); }
  void FocusButton(Button button) override { current_->FocusButton(button); }
  void RepaintNow() override { current_->RepaintNow(); }
  void RepaintLabel(ResultLabel label) override { current_->RepaintLabel(label); }
  void PumpMessages() override { current_->PumpMessages(); }
  // The program ends with its main window, whoever runs.
  bool CloseRequested() const override { return primary_.CloseRequested() || current_->CloseRequested(); }
  void ShowMessage(const QString& text, MessageIcon icon) override { current_->ShowMessage(text, icon); }
  void ShowNotice(const QString& text) override { current_->ShowNotice(text); }
  void ShowPoint(const MeasuredPoint& point) override { current_->ShowPoint(point); }

 private:
  RunView& primary_;
  RunView* current_;  // never null: the primary or a route's guest
};

}  // namespace torvik
