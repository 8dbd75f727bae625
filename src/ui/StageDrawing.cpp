#include "ui/StageDrawing.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QThread>

#include "core/results/Timing.h"
#include "core/workloads/ShapeDraws.h"

namespace torvik {
namespace {

QColor ToColour(const Rgb& rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

}  // namespace

const QStringList& ScrollLines() {
  static const QStringList lines = {
      QStringLiteral("1234567890"),
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
      QStringLiteral("!\"#$%&()=~|\\[]@`*:+;_?></"),
      QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
      QStringLiteral("とるびく ばーじょん さん"),
  };
  return lines;
}

bool AppendWithinCapacity(QPlainTextEdit& box, const QString& line, int capacity) {
  const QTextDocument& document = *box.document();
  // characterCount() holds one separator per block, the last one included.
  const bool empty = document.isEmpty();
  const int length = empty ? 0 : document.characterCount() - 1 + (document.blockCount() - 1);
  const int added = static_cast<int>(line.size()) + (empty ? 0 : 2);
  if (length + added > capacity) return false;
  box.appendPlainText(line);
  return true;
}

StageShape StageDrawing::NextShape(DrawingKind kind, int width, int height) {
  RandomGenerator& random = ProgramRandom();
  StageShape shape;
  switch (kind) {
    case DrawingKind::Rectangle:
    case DrawingKind::Ellipse: {
      const ShapeDraw d = DrawBox(width, height, random);
      shape.kind = kind == DrawingKind::Rectangle ? StageShape::Kind::Rectangle : StageShape::Kind::Ellipse;
      shape.left = d.x1;
      shape.top = d.y1;
      shape.right = d.x2;
      shape.bottom = d.y2;
      shape.pen = ToColour(d.pen);
      shape.brush = ToColour(d.brush);
      break;
    }
    case DrawingKind::Triangle: {
      const ShapeDraw d = DrawTriangle(width, height, random);
      shape.kind = StageShape::Kind::Triangle;
      shape.triangle = QPolygon({QPoint(d.x0, d.y0), QPoint(d.x1, d.y1), QPoint(d.x2, d.y2)});
      shape.pen = ToColour(d.pen);
      shape.brush = ToColour(d.brush);
      break;
    }
    case DrawingKind::Text: {
      const ShapeDraw d = DrawText(width, height, random);
      shape.kind = StageShape::Kind::Text;
      shape.pointSize = d.pointSize;
      shape.left = d.x1;
      shape.top = d.y1;
      shape.fontColour = ToColour(d.font);
      break;
    }
  }
  return shape;
}

void StageDrawing::DrawShapes(DrawingKind kind, int count) {
  StageSurface& paint = stage_.PaintBox();
  const int width = paint.width();
  const int height = paint.height();
  for (int i = 0; i < count; ++i) paint.DrawNow(NextShape(kind, width, height));
}

// White over the whole area, then at once the window's own look again.
void StageDrawing::FillWhiteAndRepaint() {
  StageSurface& paint = stage_.PaintBox();
  StageShape white;
  white.kind = StageShape::Kind::Fill;
  white.right = paint.width();
  white.bottom = paint.height();
  white.pen = white.brush = Qt::white;
  paint.DrawNow(white);
  paint.RepaintBackground();
}

std::optional<QSize> StageDrawing::EnterStage(bool bringUp) {
  const QSize saved = stage_.Size();
  stage_.CoverScreen();
  stage_.PaintBox().show();
  stage_.StageOn();
  bool onScreen = false;
  try {
    onScreen = WaitUntilOnScreen(saved, bringUp);
  } catch (...) {
    LeaveStage(saved);  // whatever ended the wait
    throw;
  }
  if (!onScreen) {
    LeaveStage(saved);
    return std::nullopt;
  }
  return saved;
}

void StageDrawing::LeaveStage(QSize saved) {
  stage_.RestoreSize(saved);
  stage_.PaintBox().hide();
  stage_.Centre();
  stage_.StageOff();
}

// A window the user clicked is on screen already: then nothing is waited
// for and no message is pumped. At a test's start a stage window just
// shown, or a minimised window, is brought up and painted once before any
// shape is timed. A stage that left the screen during a test was taken
// away (minimised, sent to another workspace): it is not brought back, it
// is waited for. One that stays off the screen is waited for as long as it
// takes: the window shows its usual face, the status line says what it
// waits for and Stop (in the ALL group) ends the wait; once the window is
// back, and has been seen so for a moment, the stage covers the screen again.
bool StageDrawing::WaitUntilOnScreen(QSize saved, bool bringUp) {
  if (stage_.OnScreen()) return true;
  if (bringUp) stage_.BringOnScreen();
  for (bool asked = bringUp;; asked = true) {
    // The window system's time to show a stage the program asked for; a
    // stage taken away is waited for at once, with the status line saying so.
    QElapsedTimer waited;
    waited.start();
    while (asked && !stage_.OnScreen() && waited.elapsed() < kStageShowGraceMs) {
      state_.PumpMessages();
      QThread::msleep(5);
    }
    if (stage_.OnScreen()) break;

    RunView& view = state_.View();
    const QString status = view.ShownStatusText();
    LeaveStage(saved);
    view.SetStatusText(texts::StageWaiting());
    view.RepaintNow();
    QElapsedTimer back;
    while (state_.MayGoOn() && !(back.isValid() && back.elapsed() >= kStageBackNoticeMs)) {
      state_.PumpMessages();
      if (!stage_.OnScreen()) {
        back.invalidate();
      } else if (!back.isValid()) {
        back.start();
      }
      QThread::msleep(20);
    }
    view.SetStatusText(status);
    view.RepaintNow();
    if (!state_.MayGoOn()) return false;
    stage_.CoverScreen();
    stage_.PaintBox().show();
    stage_.StageOn();
  }
  stage_.RepaintWindow();
  return true;
}

// The window system's news (they arrive when its events are dispatched;
// input waits for the group's next pump).
int StageDrawing::TimesOffScreenNow() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return stage_.TimesOffScreen();
}

// True when the stage stayed on screen since the window had left it
// `timesOffScreenBefore` times; else the test has no result when Stop
// was pressed meanwhile (false, too).
bool StageDrawing::StayedOnScreen(Test test, int timesOffScreenBefore) {
  if (TimesOffScreenNow() == timesOffScreenBefore && stage_.OnScreen()) return true;
  if (!state_.MayGoOn()) state_.DiscardResult(test);
  return false;
}

void StageDrawing::DrawingTest(Test test, DrawingKind kind) {
  StageSurface& paint = stage_.PaintBox();
  TimingSlot& slot = state_.Results()[test];
  for (bool measured = false, first = true; !measured; first = false) {
    const std::optional<QSize> saved = EnterStage(first);
    if (!saved) {
      state_.DiscardResult(test);  // stopped while the stage was away
      return;
    }
    const int timesOffScreen = TimesOffScreenNow();

    slot.Begin(ReadClock());
    paint.setGeometry(stage_.ClientRect());
    FillWhiteAndRepaint();
    DrawShapes(kind, kShapesPerTest);
    // The text test reads the clock right after its last string.
    if (kind != DrawingKind::Text) {
      FillWhiteAndRepaint();
      state_.PumpMessages();
    }
    slot.End(ReadClock());
    slot.work = kShapesPerTest;

    // Shapes drawn while the stage was away reached no screen: measured
    // again, unless Stop was pressed meanwhile.
    measured = StayedOnScreen(test, timesOffScreen);
    LeaveStage(*saved);
    if (!measured && !state_.MayGoOn()) return;
  }
  state_.ShowResult(test);
}

void StageDrawing::ScrollTest() {
  StageSurface& paint = stage_.PaintBox();
  QPlainTextEdit& memo = stage_.MemoBox();
  TimingSlot& slot = state_.Results()[Test::Scroll];
  for (bool measured = false, first = true; !measured; first = false) {
    const std::optional<QSize> saved = EnterStage(first);
    if (!saved) {
      state_.DiscardResult(Test::Scroll);
      return;
    }
    memo.setEnabled(true);
    memo.show();
    memo.setGeometry(stage_.ClientRect());
    memo.clear();
    memo.repaint();
    state_.PumpMessages();
    const int timesOffScreen = TimesOffScreenNow();

    slot.Begin(ReadClock());
    QFont font = memo.font();
    int64_t lines = 0;
    for (int size : kScrollFontSizes) {
      font.setPointSize(size);
      memo.setFont(font);
      for (int repeat = 0; repeat < kScrollRepeats; ++repeat) {
        for (const QString& line : ScrollLines()) {
          lines += AppendWithinCapacity(memo, line, kMemoMaxLength) ? 1 : 0;
          // The contents move one pixel down; the box shows the result at once.
          memo.viewport()->scroll(0, 1);
          memo.repaint();
        }
      }
      memo.clear();
    }
    slot.End(ReadClock());
    slot.work = lines;

    measured = StayedOnScreen(Test::Scroll, timesOffScreen);
    memo.setEnabled(false);
    memo.hide();
    stage_.StageOff();
    stage_.RestoreSize(*saved);
    paint.hide();
    stage_.Centre();
    if (!measured && !state_.MayGoOn()) return;
  }
  state_.ShowResult(Test::Scroll);
}

}  // namespace torvik
