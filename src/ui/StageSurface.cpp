#include "ui/StageSurface.h"

#include <QFontMetrics>
#include <QPainter>

namespace torvik {
namespace {

// The pixel box of a shape given by the platform's corners: right and bottom
// excluded. Empty when the corners coincide in either direction.
QRect PixelBox(const StageShape& s) { return QRect(QPoint(s.left, s.top), QPoint(s.right - 1, s.bottom - 1)); }

}  // namespace

StageSurface::StageSurface(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  textBackground_ = palette().color(QPalette::Window);
}

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
  shape_ = shape;
  QRect area = Bounds(shape);
  if (area.isEmpty()) area = QRect(shape.left, shape.top, 1, 1);  // the call is still made
  repaint(area);
}

void StageSurface::RepaintBackground() {
  shape_ = StageShape{};
  textBackground_ =
      parentWidget() ? parentWidget()->palette().color(QPalette::Window) : palette().color(QPalette::Window);
  // For this one paint the box is transparent: what lies beneath is drawn again.
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  repaint();
  setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void StageSurface::paintEvent(QPaintEvent*) {
  if (shape_.kind == StageShape::Kind::None) return;
  QPainter painter(this);
  Draw(painter, shape_);
}

}  // namespace torvik
