#include "ui/Gauge.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <climits>
#include <cmath>
#include <numbers>

#include "core/base/Errors.h"

namespace torvik {
namespace {

// Edges in the platform's convention: right and bottom lie just outside.
struct Edges {
  int left, top, right, bottom;
};

// Z x (P x 0.01), truncated toward zero.
int ScaledExtent(int percent, int extent) { return static_cast<int>(extent * (percent * 0.01)); }
int Halve(int value) { return value / 2; }  // rounds toward zero

// `size` in the control's pixels; at a device pixel ratio above 1 the image
// has that many more pixels, so the text is drawn at the screen's resolution.
QImage BlackImage(QSize size, qreal devicePixelRatio) {
  QImage image(size * devicePixelRatio, QImage::Format_RGB32);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::black);  // BLACKNESS
  return image;
}

// SRCINVERT: every pixel of `overlay` is XOR-ed onto `image`.
void XorOnto(QImage& image, const QImage& overlay) {
  QPainter painter(&image);
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.drawImage(0, 0, overlay);
}

// Fills [left, right) x [top, bottom), as the platform's rectangle fill does.
void FillEdges(QPainter& painter, Edges e, const QColor& color) {
  if (e.right > e.left && e.bottom > e.top)
    painter.fillRect(QRect(e.left, e.top, e.right - e.left, e.bottom - e.top), color);
}

// The pixel box of the ellipse that the platform draws inside these bounds.
QRect EllipseBox(Edges e) { return QRect(e.left, e.top, e.right - e.left - 1, e.bottom - e.top - 1); }

// The angle, in sixteenths of a degree counter-clockwise from three o'clock,
// of the radial from the ellipse's centre through `point`, in the ellipse's
// own parameter (which is how the pie's span is given).
int RadialAngle(const QRect& box, QPointF point) {
  const double rx = box.width() / 2.0, ry = box.height() / 2.0;
  const QPointF centre(box.left() + rx, box.top() + ry);
  const double dx = rx > 0 ? (point.x() - centre.x()) / rx : 0.0;
  const double dy = ry > 0 ? (centre.y() - point.y()) / ry : 0.0;
  return static_cast<int>(std::lround(std::atan2(dy, dx) * 180.0 / std::numbers::pi * 16.0));
}

// A pie counter-clockwise from the radial through `from` to the radial
// through `to`; equal radials give the whole ellipse.
void DrawPie(QPainter& painter, Edges bounds, QPointF from, QPointF to) {
  const QRect box = EllipseBox(bounds);
  const int start = RadialAngle(box, from);
  int span = RadialAngle(box, to) - start;
  while (span <= 0) span += 360 * 16;
  painter.drawPie(box, start, span);
}

// The needle dial: the upper half of an ellipse standing on the bottom line,
// the line under it, and the needle from the bottom centre (left at 0 %,
// upright at 50 %, right at 100 %).
void DrawNeedle(QPainter& painter, Edges r, int w, int h, int percent, int controlWidth) {
  DrawPie(painter, {r.left, r.top, w, 2 * h - 1}, QPointF(r.left + w, r.bottom - 1), QPointF(r.left, r.bottom - 1));
  painter.drawLine(r.left, r.bottom, r.left + w, r.bottom);
  if (percent > 0) {
    const int cx = Halve(controlWidth);
    const double a = percent / 100.0 * std::numbers::pi;
    painter.drawLine(cx, r.bottom - 1, std::lround((1 - std::cos(a)) * cx),
                     std::lround((1 - std::sin(a)) * (r.bottom - 1)));
  }
}

QString InvalidRange(int64_t low, int64_t high) {
  return QCoreApplication::translate("Gauge", "%1 から %2 の間の値でなければなりません").arg(low).arg(high);
}

}  // namespace

Gauge::Gauge(QWidget* parent) : QWidget(parent) {
  // Opaque: the paint covers every pixel, so nothing erases the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(100, 100);
}

template <typename T>
void Gauge::Store(T& field, const T& value) {
  if (field == value) return;
  field = value;
  repaint();
}

void Gauge::SetKind(GaugeKind kind) { Store(kind_, kind); }
void Gauge::SetShowText(bool show) { Store(showText_, show); }
void Gauge::SetBorderStyle(GaugeBorderStyle style) { Store(borderStyle_, style); }
void Gauge::SetForeColor(const QColor& color) { Store(foreColor_, color); }
void Gauge::SetBackColor(const QColor& color) { Store(backColor_, color); }
void Gauge::SetColor(const QColor& color) { Store(color_, color); }

void Gauge::SetMinValue(int value) {
  if (value == minValue_) return;
  if (value > maxValue_ && !loading_) throw TorvikError(InvalidRange(-2147483647, int64_t{maxValue_} - 1));
  minValue_ = value;
  if (progress_ < minValue_) progress_ = minValue_;
  repaint();
}

void Gauge::SetMaxValue(int value) {
  if (value == maxValue_) return;
  if (value < minValue_ && !loading_) throw TorvikError(InvalidRange(int64_t{minValue_} + 1, 2147483647));
  maxValue_ = value;
  if (progress_ > maxValue_) progress_ = maxValue_;
  repaint();
}

void Gauge::SetProgress(int value) {
  value = std::max(value, minValue_);
  value = std::min(value, maxValue_);
  if (value == progress_) return;
  const int before = CompletedPercent();
  progress_ = value;
  if (CompletedPercent() == before) return;
  repaint();
  // Announced per whole percent, as drawn, so a screen reader is not flooded.
  QAccessibleValueChangeEvent changed(this, progress_);
  QAccessible::updateAccessibility(&changed);
}

int Gauge::CompletedPercent() const {
  if (maxValue_ == minValue_) return 0;
  const double done = static_cast<double>(int64_t{progress_} - minValue_);
  const double range = static_cast<double>(int64_t{maxValue_} - minValue_);
  return static_cast<int>(done * 100.0 / range);
}

void Gauge::DrawKind(QImage& overlay, const QRect& inner) const {
  const Edges r{inner.left(), inner.top(), inner.left() + inner.width(), inner.top() + inner.height()};
  const int percent = CompletedPercent();
  const bool bordered = borderStyle_ == GaugeBorderStyle::bsSingle;
  QPainter painter(&overlay);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(foreColor_, 1));

  switch (kind_) {
    case GaugeKind::gkText: FillEdges(painter, r, backColor_); break;
    case GaugeKind::gkHorizontalBar:
    case GaugeKind::gkVerticalBar: {
      FillEdges(painter, r, backColor_);
      const int w = r.right - r.left + 1;
      const int h = r.bottom - r.top + 1;
      if (kind_ == GaugeKind::gkHorizontalBar) {
        const int f = std::min(ScaledExtent(percent, w), w);
        if (f >= 1) FillEdges(painter, {r.left, r.top, f, h}, foreColor_);
      } else {
        int f = ScaledExtent(percent, h);
        if (f >= h) f = h - 1;
        FillEdges(painter, {r.left, h - f, w, h}, foreColor_);
      }
      break;
    }
    case GaugeKind::gkPie:
    case GaugeKind::gkNeedle: {
      // The dial's extent: with a border, one more than the inner edges span.
      const int w = r.right - r.left + (bordered ? 1 : 0);
      const int h = r.bottom - r.top + (bordered ? 1 : 0);
      FillEdges(painter, r, color_);
      painter.setBrush(backColor_);
      if (kind_ == GaugeKind::gkNeedle) {
        DrawNeedle(painter, r, w, h, percent, width());
        break;
      }
      const Edges bounds{r.left, r.top, w, h};
      painter.drawEllipse(EllipseBox(bounds));
      if (percent > 0) {
        painter.setBrush(foreColor_);
        const int halfW = Halve(w), halfH = Halve(h);
        const double a = (percent / 50.0 + 0.5) * std::numbers::pi;
        const QPointF from(std::lround((1 - std::cos(a)) * halfW), std::lround((1 - std::sin(a)) * halfH));
        DrawPie(painter, bounds, from, QPointF(halfW, 0));
      }
      break;
    }
  }
}

void Gauge::DrawPercentText(QImage& image, const QRect& inner) const {
  QImage overlay = BlackImage(size(), image.devicePixelRatio());
  const QString text = QStringLiteral("%1%").arg(CompletedPercent());
  QFont textFont = font();
  textFont.setStyleStrategy(QFont::NoAntialias);  // a pure white mask inverts exactly
  const QFontMetrics metrics(textFont);
  // Right - Left + 1 and Bottom - Top + 1 of the inner edges.
  const int x = Halve(inner.width() + 1 - metrics.horizontalAdvance(text));
  const int y = Halve(inner.height() + 1 - metrics.height());
  {
    QPainter painter(&overlay);
    painter.setFont(textFont);
    painter.setPen(Qt::white);
    painter.setClipRect(inner);
    painter.drawText(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                     text);
  }
  XorOnto(image, overlay);
}

QImage Gauge::Render(qreal devicePixelRatio) const {
  QImage image = BlackImage(size(), devicePixelRatio);
  QRect inner = rect();
  if (borderStyle_ == GaugeBorderStyle::bsSingle) inner.adjust(1, 1, -1, -1);  // the black margin is the border
  QImage overlay = BlackImage(size(), devicePixelRatio);
  DrawKind(overlay, inner);
  XorOnto(image, overlay);
  if (showText_) DrawPercentText(image, inner);
  return image;
}

void Gauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render(devicePixelRatioF()));
}

}  // namespace torvik
