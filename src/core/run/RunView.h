// RunView: everything a run asks of whoever shows it: the main window, the
// command line's progress on stderr, or a recorder in tests. Every call
// comes from the GUI thread.
#pragma once

#include <QString>

#include "core/results/MeasuredPoint.h"
#include "core/results/TestCatalogue.h"

namespace torvik {

// The buttons that a run locks and unlocks.
enum class Button { BCPU, B2D, BMix, BHDD, BAll, BRep, BStop };

enum class MessageIcon { Information, Error };

class RunView {
 public:
  virtual ~RunView() = default;

  virtual void SetResultText(ResultLabel label, const QString& text) = 0;
  // The precise figures behind a result label, shown on demand (its tooltip).
  virtual void SetResultDetail(ResultLabel label, const QString& text) = 0;
  // The status line; it is repainted only by RepaintNow.
  virtual void SetStatusText(const QString& text) = 0;
  // What the status line says now (to be put back after a passing text).
  virtual QString ShownStatusText() const = 0;
  // Puts the processor line on the status line.
  virtual void ShowProcessorLine() = 0;
  // The gauge's progress, 0..100; the gauge repaints itself at once.
  virtual void SetGauge(int progress) = 0;
  virtual void SetButtonEnabled(Button button, bool enabled) = 0;
  virtual void FocusButton(Button button) = 0;
  // Repaints the whole window; finished before it returns.
  virtual void RepaintNow() = 0;
  // Repaints one result label alone, at once.
  virtual void RepaintLabel(ResultLabel label) = 0;
  // Dispatches every waiting message and returns once the queue is empty.
  virtual void PumpMessages() = 0;
  // True once the user asked to close the window while a run was going on.
  virtual bool CloseRequested() const = 0;
  // A modal box with the application title as caption and an OK button.
  virtual void ShowMessage(const QString& text, MessageIcon icon) = 0;
  // A problem beside the run that does not end it (the results store
  // cannot keep it): told to the user, never taken for the run's failure.
  virtual void ShowNotice(const QString& text) = 0;
  // A point of a group that measures today's machine has been measured
  // (drawn as it comes by a view that shows them; the others let it pass).
  virtual void ShowPoint(const MeasuredPoint&) {}
};

}  // namespace torvik
