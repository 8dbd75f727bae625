// StageSurface: the drawing stage's surface. It keeps its pixels between
// paints (opaque paint events, nothing erased first), so every shape a test
// draws stays until the window is repainted. DrawNow() puts one shape on the
// screen by itself: a synchronous repaint of the shape's bounding rectangle
// whose paint handler draws just that shape, aliased, 1-pixel outline.
// GUI thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QPolygon>
#include <QRect>
#include <QWidget>

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

  // Draws `shape` on the screen before it returns.
  void DrawNow(const StageShape& shape);
  // Repaints the area as the window normally looks (its background and the
  // labels under it), and resets the text cell colour to that background.
  void RepaintBackground();

  // Where a shape's pixels can land (for the repaint).
  QRect Bounds(const StageShape& shape) const;
  // Draws `shape` with `painter`, exactly as a paint of the stage does; the
  // reference drawing of the tests and the bench uses it on a QImage.
  void Draw(QPainter& painter, const StageShape& shape) const;

  static constexpr const char* kText = "Graphic";

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  StageShape shape_;
  QColor textBackground_;
};

}  // namespace torvik
