#include "ui/StageSurface.h"

#include <QFontMetrics>
#include <QPainter>

namespace torvik {
namespace {

// The pixel box of a shape given by the platform's corners: right and bottom
// excluded. Empty when the corners coincide in either direction.
QRect PixelBox(const StageShape& s) { return QRect(QPoint(s.left, s.top), QPoint(s.right - 1, s.bottom - 1)); }

}  // namespace

StageSurface::StageSurface(QWidget* parent) : QWidget(parent), onWayland_(WaylandStage::OnWayland()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  textBackground_ = palette().color(QPalette::Window);
}

StageSurface::~StageSurface() = default;

QRect StageSurface::Bounds(const StageShape& shape) const {
  switch (shape.kind) {
    case StageShape::Kind::None: return {};
    case StageShape::Kind::Fill:
    case StageShape::Kind::Rectangle: return PixelBox(shape).normalized();
    // A pixel of margin: the outline's pixels may fall just outside the corners.
    case StageShape::Kind::Ellipse: return PixelBox(shape).normalized().adjusted(-1, -1, 1, 1);
    case StageShape::Kind::Triangle: return shape.triangle.boundingRect().adjusted(-1, -1, 1, 1);
    case StageShape::Kind::Text: {
      QFont textFont = font();
      textFont.setPointSize(shape.pointSize);
      textFont.setStyleStrategy(QFont::NoAntialias);
      const QFontMetrics metrics(textFont);
      const QString text = QLatin1String(kText);
      // The opaque cell, and any glyph overhang beyond it.
      const QRect cell(shape.left, shape.top, metrics.horizontalAdvance(text), metrics.height());
      const QRect ink = metrics.boundingRect(text).translated(shape.left, shape.top + metrics.ascent());
      return cell.united(ink).adjusted(-1, -1, 1, 1);
    }
  }
  return {};
}

QRect StageSurface::Reach(const StageShape& shape) const { return ReachBeyond(shape, Bounds(shape)); }

QRect StageSurface::ReachBeyond(const StageShape& shape, const QRect& bounds) const {
  if (shape.kind != StageShape::Kind::Ellipse || bounds.isEmpty()) return bounds;
  const QRect box = PixelBox(shape).normalized();
  const int beside = box.width() / 5 + 2;
  return bounds.united(box.adjusted(-beside, 0, beside, 0));
}

void StageSurface::Draw(QPainter& painter, const StageShape& shape) const {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  switch (shape.kind) {
    case StageShape::Kind::None: break;
    case StageShape::Kind::Fill: painter.fillRect(PixelBox(shape), shape.brush); break;
    case StageShape::Kind::Rectangle:
    case StageShape::Kind::Ellipse: {
      painter.setPen(QPen(shape.pen, 1, Qt::SolidLine));
      painter.setBrush(shape.brush);
      // The outline of an aliased 1-pixel pen covers width + 1 pixels.
      const QRect outline(shape.left, shape.top, shape.right - shape.left - 1, shape.bottom - shape.top - 1);
      if (shape.kind == StageShape::Kind::Rectangle) {
        painter.drawRect(outline.width() < 0 || outline.height() < 0 ? QRect() : outline);
      } else {
        painter.drawEllipse(outline.width() < 0 || outline.height() < 0 ? QRect() : outline);
      }
      break;
    }
    case StageShape::Kind::Triangle:
      painter.setPen(QPen(shape.pen, 1, Qt::SolidLine));
      painter.setBrush(shape.brush);
      painter.drawPolygon(shape.triangle, Qt::OddEvenFill);
      break;
    case StageShape::Kind::Text: {
      QFont textFont = font();
      textFont.setPointSize(shape.pointSize);
      textFont.setStyleStrategy(QFont::NoAntialias);
      painter.setFont(textFont);
      painter.setPen(shape.fontColour);
      painter.setBackgroundMode(Qt::OpaqueMode);
      painter.setBackground(textBackground_);
      const QFontMetrics metrics(textFont);
      painter.drawText(shape.left, shape.top + metrics.ascent(), QLatin1String(kText));
      break;
    }
  }
}

void StageSurface::DrawNow(const StageShape& shape) {
  if (WaylandStage* stage = OwnStage()) return DrawOnOwnStage(*stage, shape);
  shape_ = shape;
  QRect area = Bounds(shape);
  if (area.isEmpty()) area = QRect(shape.left, shape.top, 1, 1);  // the call is still made
  repaint(area);
}

void StageSurface::RepaintBackground() {
  shape_ = StageShape{};
  textBackground_ =
      parentWidget() ? parentWidget()->palette().color(QPalette::Window) : palette().color(QPalette::Window);
  if (WaylandStage* stage = OwnStage()) return RepaintOwnStageBackground(*stage);
  // For this one paint the box is transparent: what lies beneath is drawn again.
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  repaint();
  setAttribute(Qt::WA_OpaquePaintEvent, true);
}

WaylandStage* StageSurface::OwnStage() {
  if (!onWayland_) return nullptr;
  const WaylandStage::Fit fit = wayland_ ? wayland_->Follow(*this) : WaylandStage::Fit::Lost;
  if (fit == WaylandStage::Fit::Same) return wayland_.get();
  if (fit == WaylandStage::Fit::Lost) wayland_ = WaylandStage::Over(*this);
  // The compositor places a new or moved surface (and shows a new one at
  // all) with the window's next commit: one pixel of the box is painted and
  // sent for it.
  if (wayland_) repaint(QRect(0, 0, 1, 1));
  return wayland_.get();
}

// As a repaint of the shape's rectangle would: the painter clipped to it,
// the one shape drawn, that rectangle shown.
void StageSurface::DrawOnOwnStage(WaylandStage& stage, const StageShape& shape) {
  QImage& frame = stage.NextFrame();
  if (frame.isNull()) {  // the compositor's connection failed: Qt's own buffers from now on
    wayland_.reset();
    return DrawNow(shape);
  }
  const QRect bounds = Bounds(shape);
  const QRect area = bounds.isEmpty() ? QRect(shape.left, shape.top, 1, 1) : bounds;
  {
    QPainter painter(&frame);
    painter.setClipRect(area & rect());
    Draw(painter, shape);
  }
  if (!stage.Present(ReachBeyond(shape, area) & rect())) wayland_.reset();
}

// The window as it looks beneath the box (its background and the controls
// under it), painted into the next frame and shown whole.
void StageSurface::RepaintOwnStageBackground(WaylandStage& stage) {
  QImage& frame = stage.NextFrame();
  if (frame.isNull()) {
    wayland_.reset();
    return RepaintBackground();
  }
  QWidget* beneath = parentWidget() ? parentWidget() : this;
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  renderingBackground_ = true;
  beneath->render(&frame, QPoint(), QRegion(beneath == this ? rect() : geometry()),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
  renderingBackground_ = false;
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  if (!stage.Present(rect())) wayland_.reset();
}

void StageSurface::paintEvent(QPaintEvent*) {
  if (renderingBackground_) return;
  if (wayland_) {
    // Beneath the stage's own surface, the picture it shows; the surface
    // follows a box moved in its window (with this paint's commit), and one
    // that no longer fits is left: the next shape makes another.
    const WaylandStage::Fit fit = wayland_->Follow(*this);
    QPainter painter(this);
    if (!wayland_->Shown().isNull()) painter.drawImage(0, 0, wayland_->Shown());
    if (fit == WaylandStage::Fit::Lost) wayland_.reset();
    return;
  }
  if (shape_.kind == StageShape::Kind::None) return;
  QPainter painter(this);
  Draw(painter, shape_);
}

// A hidden box has no surface over it: the stage's own leaves the screen.
void StageSurface::hideEvent(QHideEvent* event) {
  wayland_.reset();
  QWidget::hideEvent(event);
}

}  // namespace torvik
