// StageDrawing: the measured work of the four drawing tests (200,000
// rectangles, ellipses, triangles and "Graphic" strings with random corners
// and colours) and of the scroll test (10,000 lines appended to the text box
// at ten font sizes, each followed by a one-pixel scroll), all on a
// full-screen, topmost stage: the main window, or the command line's stage
// window. Before the first timed shape the stage is on screen: a window the
// window system has not shown (yet) would take every shape for nothing. A
// stage that is not on screen (minimised, on another workspace) is waited
// for, the window showing its usual face with the status line saying so (and
// Stop, where the group has it, ending the wait); a test during which the
// stage left the screen is measured again once it is back, so a figure is
// only ever taken on screen. GUI thread only.
#pragma once

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QStringList>
#include <optional>

#include "core/run/RunState.h"
#include "core/workloads/DrawingWorkloads.h"
#include "ui/Stage.h"

namespace torvik {

// What the status line says while a drawing test waits for its stage to be
// on screen again.
namespace texts {
inline QString StageWaiting() {
  return QCoreApplication::translate("StageDrawing", "描画画面が表示されるのを待っています");
}
}  // namespace texts
// How long a stage just shown may take to reach the screen before the status
// line says that it is waited for, and how long the window, back on screen,
// shows that (and its Stop button) before the stage covers it again.
inline constexpr int kStageShowGraceMs = 1'000;
inline constexpr int kStageBackNoticeMs = 1'000;

enum class DrawingKind { Rectangle, Ellipse, Triangle, Text };

inline constexpr int kScrollFontSizes[10] = {14, 16, 18, 20, 22, 24, 26, 36, 48, 72};
inline constexpr int kScrollRepeats = 200;
// The five lines of the scroll test, in their order.
const QStringList& ScrollLines();

// Appends `line` to the text box unless the box would then hold more than
// `capacity` characters, a line break counting two (CR LF), as the classic
// edit control refuses text beyond its limit. True when appended.
bool AppendWithinCapacity(QPlainTextEdit& box, const QString& line, int capacity);

class StageDrawing : public DrawingWorkloads {
 public:
  // Both must outlive the drawing.
  StageDrawing(Stage& stage, RunState& state) : stage_(stage), state_(state) {}

  void SquareTest() override { DrawingTest(Test::Square, DrawingKind::Rectangle); }
  void CircleTest() override { DrawingTest(Test::Circle, DrawingKind::Ellipse); }
  void TriangleTest() override { DrawingTest(Test::Triangle, DrawingKind::Triangle); }
  void TextTest() override { DrawingTest(Test::Text, DrawingKind::Text); }
  void ScrollTest() override;

  // Draws `count` shapes of `kind` on the stage, one by one, with random
  // numbers from the program's generator (the tests draw 200,000).
  void DrawShapes(DrawingKind kind, int count);
  // The next shape of `kind` for a paint area of `width` x `height`.
  static StageShape NextShape(DrawingKind kind, int width, int height);

 private:
  // Saves the window's size, covers the screen, shows the paint box, stage
  // on, and waits (pumping messages) until the stage is on screen: brought
  // up first when `bringUp` (a test's first attempt), only waited for when
  // it was taken away during the attempt before. Empty, with the window
  // given back, when Stop ended the wait.
  std::optional<QSize> EnterStage(bool bringUp);
  // Gives the window back after a drawing test: its saved size, the paint
  // box hidden, centred, stage off.
  void LeaveStage(QSize saved);
  // Waits until the stage is on screen; false when Stop ended the wait.
  bool WaitUntilOnScreen(QSize saved, bool bringUp);
  // How many times the window has left the screen, its latest news taken.
  int TimesOffScreenNow();
  // After the timed section of `test`, begun when the window had left the
  // screen `timesOffScreenBefore` times: whether the stage stayed on screen.
  // When it did not and Stop was pressed, the test's result is discarded.
  bool StayedOnScreen(Test test, int timesOffScreenBefore);
  void DrawingTest(Test slot, DrawingKind kind);
  void FillWhiteAndRepaint();

  Stage& stage_;
  RunState& state_;
};

}  // namespace torvik
