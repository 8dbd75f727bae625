// StageWindow: a window that can become the full-screen drawing stage: the
// program's caption ("TORVIK Ver" and the version), a fixed client area of
// the design size (649 x 414 at 120 dpi, scaled for the screen) and over it
// the hidden paint box `Paint` and text box `Memo` the drawing and scroll
// tests use. The main window is one, with its controls under the stage; the
// command line shows a bare one while it draws. GUI thread only.
#pragma once

#include <QMainWindow>
#include <QPlainTextEdit>
#include <QWindow>

#include "ui/DesignScale.h"
#include "ui/Stage.h"
#include "ui/StageSurface.h"

namespace torvik {

class StageWindow : public QMainWindow, public Stage {
 public:
  explicit StageWindow(QWidget* parent = nullptr);

  // Sizes the window to its contents, fixes that size (a single fixed
  // border) and centres it; once everything is in the window.
  void FixSizeAndCentre();
  bool StaysOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

  // Stage
  QSize Size() const override { return size(); }
  void CoverScreen() override;
  void RestoreSize(QSize saved) override;
  void Centre() override;
  // The window stays on top of all others while the stage is on.
  void StageOn() override { SetStaysOnTop(true); }
  void StageOff() override { SetStaysOnTop(false); }
  bool OnScreen() const override;
  void BringOnScreen() override;
  int TimesOffScreen() const override { return timesOffScreen_; }
  void RepaintWindow() override { repaint(); }
  StageSurface& PaintBox() override { return *Paint; }
  QPlainTextEdit& MemoBox() override { return *Memo; }
  QRect ClientRect() const override { return centralWidget()->rect(); }

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Puts the paint box and the text box back above every other control of
  // the client area (controls made after them would cover them).
  void RaiseStageSurfaces();
  void SetStaysOnTop(bool on);

  const DesignScale scale_;
  QWidget* client_ = nullptr;

 private:
  void WatchNativeWindow();

  QSize clientSize_;
  int timesOffScreen_ = 0;
  QWindow* watched_ = nullptr;
  StageSurface* Paint = nullptr;
  QPlainTextEdit* Memo = nullptr;
};

}  // namespace torvik
