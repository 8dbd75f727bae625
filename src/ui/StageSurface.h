// StageSurface: the drawing stage's surface. It keeps its pixels between
// paints (opaque paint events, nothing erased first), so every shape a test
// draws stays until the window is repainted. DrawNow() puts one shape on the
// screen by itself: a synchronous repaint of the shape's bounding rectangle
// whose paint handler draws just that shape, aliased, 1-pixel outline. On
// native Wayland, where Qt's window buffers do not keep pixels between
// paints, the shape is drawn instead into the stage's own buffers over the
// box (WaylandStage) and that frame is shown by itself, its rectangle alone
// damaged. GUI thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QPolygon>
#include <QRect>
#include <QWidget>
#include <memory>

#include "ui/WaylandStage.h"

namespace torvik {

struct StageShape {
  enum class Kind { None, Fill, Rectangle, Ellipse, Triangle, Text };
  Kind kind = Kind::None;
  // Rectangle, ellipse and fill: the platform's corners, the right and
  // bottom ones lying just outside the shape.
  int left = 0, top = 0, right = 0, bottom = 0;
  QPolygon triangle;
  QColor pen, brush;
  // Text: top-left corner (left, top), font size, colour; the cell is
  // filled with the surface's background brush.
  int pointSize = 0;
  QColor fontColour;
};

class StageSurface : public QWidget {
 public:
  explicit StageSurface(QWidget* parent = nullptr);
  ~StageSurface() override;

  // Draws `shape` on the screen before it returns.
  void DrawNow(const StageShape& shape);
  // Repaints the area as the window normally looks (its background and the
  // labels under it), and resets the text cell colour to that background.
  void RepaintBackground();

  // Where a shape's pixels can land (for the repaint).
  QRect Bounds(const StageShape& shape) const;
  // Where they can land whatever the clip: the bounds and, for an ellipse,
  // its rows beside them, which Qt's aliased ellipse of an even height runs
  // on past its box by up to a fifth of its width (drawn in the backing
  // store there, beyond the repaint). The stage's own buffers show and copy
  // this area, so each holds every pixel drawn.
  QRect Reach(const StageShape& shape) const;
  // Draws `shape` with `painter`, exactly as a paint of the stage does; the
  // reference drawing of the tests and the bench uses it on a QImage.
  void Draw(QPainter& painter, const StageShape& shape) const;

  static constexpr const char* kText = "Graphic";
  // Whether the shapes go to the stage's own buffers (native Wayland).
  bool DrawsOnOwnBuffers() const { return wayland_ != nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // The stage's own buffers where they are used and fit the box (made,
  // or made again where the box moved), else null.
  WaylandStage* OwnStage();
  // Reach() of `shape` whose Bounds() are `bounds`.
  QRect ReachBeyond(const StageShape& shape, const QRect& bounds) const;
  void DrawOnOwnStage(WaylandStage& stage, const StageShape& shape);
  void RepaintOwnStageBackground(WaylandStage& stage);

  StageShape shape_;
  QColor textBackground_;
  const bool onWayland_;
  std::unique_ptr<WaylandStage> wayland_;
  bool renderingBackground_ = false;
};

}  // namespace torvik
