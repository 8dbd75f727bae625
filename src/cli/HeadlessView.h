// HeadlessView: the RunView of a command-line run. What a group would show
// in the window goes to stderr as progress (the status text and the gauge's
// percentage: one line redrawn in place on a terminal, a plain line per
// change otherwise, nothing with --quiet); error boxes become the run's
// failure, notices a line on stderr; a termination signal makes the next
// pumping point unwind the group. GUI thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

#include "core/run/RunView.h"

namespace torvik {

class HeadlessView : public RunView {
 public:
  // `progress`: where progress goes, or null for none.
  explicit HeadlessView(std::FILE* progress);

  // What the progress line starts with ("hdd 2/3").
  void SetStage(const QString& stage);
  // Ends the progress line (on a terminal, the line redrawn in place).
  void EndProgress();
  // A termination signal arrived: the run must end at the next pump.
  void RequestTermination(int signal) { signal_ = signal; }
  int TerminationSignal() const { return signal_; }
  // The texts of the error boxes shown since the last call.
  QStringList TakeErrors();

  // RunView
  void SetResultText(ResultLabel, const QString&) override {}
  void SetResultDetail(ResultLabel, const QString&) override {}
  void SetStatusText(const QString& text) override;
  QString ShownStatusText() const override { return status_; }
  void ShowProcessorLine() override {}
  void SetGauge(int progress) override;
  void SetButtonEnabled(Button, bool) override {}
  void FocusButton(Button) override {}
  void RepaintNow() override {}
  void RepaintLabel(ResultLabel) override {}
  void PumpMessages() override;
  bool CloseRequested() const override { return signal_ != 0; }
  void ShowMessage(const QString& text, MessageIcon icon) override;
  // On stderr, whatever --quiet says: the user must know the run was not kept.
  void ShowNotice(const QString& text) override;

 private:
  void Draw();

  std::FILE* progress_;
  bool terminal_;
  QString stage_, status_;
  int gauge_ = 0;
  QString lastLine_;
  bool lineOpen_ = false;
  QStringList errors_;
  int signal_ = 0;
};

}  // namespace torvik
