// GraphicsTests: the four drawing tests (200,000 rectangles, ellipses,
// triangles and "Graphic" strings with random corners and colours) and the
// scroll test (10,000 lines appended to the text box at ten font sizes, each
// followed by a one-pixel scroll), all on the main window turned into a
// full-screen, topmost stage. GUI thread only.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

#include "core/run/BenchSteps.h"
#include "core/run/RunState.h"
#include "ui/StageSurface.h"

namespace torvik {

class MainWindow;

enum class DrawingKind { Rectangle, Ellipse, Triangle, Text };

inline constexpr int kScrollFontSizes[10] = {14, 16, 18, 20, 22, 24, 26, 36, 48, 72};
inline constexpr int kScrollRepeats = 200;
// The five lines of the scroll test, in their order.
const QStringList& ScrollLines();

// Appends `line` to the text box unless the box would then hold more than
// `capacity` characters, a line break counting two (CR LF), as the classic
// edit control refuses text beyond its limit. True when appended.
bool AppendWithinCapacity(QPlainTextEdit& box, const QString& line, int capacity);

class GraphicsTests : public DrawingTests {
 public:
  GraphicsTests(MainWindow& window, RunState& state) : window_(window), state_(state) {}

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
  // Saves the window's size, covers the screen, shows the paint box, stage on.
  QSize EnterStage();
  void DrawingTest(Test slot, DrawingKind kind);
  void FillWhiteAndRepaint();

  MainWindow& window_;
  RunState& state_;
};

}  // namespace torvik
