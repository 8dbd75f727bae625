// Stage: the full-screen drawing stage the drawing and scroll tests draw on.
// The main window is one (its controls hidden while a test draws); the
// command line shows a stage window of its own. The tests save the window's
// size, cover the screen, turn the stage on, make sure it is on screen, draw
// on the paint box or fill the text box, and give the window back. GUI
// thread only.
#pragma once

#include <QPlainTextEdit>
#include <QRect>
#include <QSize>

#include "ui/StageSurface.h"

namespace torvik {

// The text box's capacity in characters.
inline constexpr int kMemoMaxLength = 64'512;

class Stage {
 public:
  virtual ~Stage() = default;

  // The window's size, frame excluded: saved before a test, restored after.
  virtual QSize Size() const = 0;
  // Moves the window to 0,0 and makes it (frame included) cover the screen.
  virtual void CoverScreen() = 0;
  // Gives the window back its saved height, then its width.
  virtual void RestoreSize(QSize saved) = 0;
  // Centres the window, frame included, on its screen (never above or left of it).
  virtual void Centre() = 0;
  // Turns the stage on (nothing but the drawing surfaces shown, the window
  // kept on top of all others) and off again.
  virtual void StageOn() = 0;
  virtual void StageOff() = 0;

  // Whether what is drawn now reaches the screen: the window is shown, not
  // minimised, and the window system has exposed it.
  virtual bool OnScreen() const = 0;
  // Asks the window system to show the window, unminimised and raised; the
  // exposure follows when the window system has done so.
  virtual void BringOnScreen() = 0;
  // How many times the window has left the screen (hidden, minimised, moved
  // to another workspace, unmapped) so far, as far as the window system has
  // told the program: its news arrive when messages are dispatched.
  virtual int TimesOffScreen() const = 0;
  // Repaints the whole window; finished before it returns.
  virtual void RepaintWindow() = 0;

  // The paint box and the text box, both over the whole client area.
  virtual StageSurface& PaintBox() = 0;
  virtual QPlainTextEdit& MemoBox() = 0;
  // The client area in its own coordinates.
  virtual QRect ClientRect() const = 0;
};

}  // namespace torvik
