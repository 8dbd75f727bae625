// Gauge: a windowless progress gauge that shows how far a value has advanced
// between a minimum and a maximum, as a horizontal or vertical bar, a pie, a
// needle dial or a plain field, with the completed percentage written over it
// in inverted colours. Each paint builds the picture off-screen (a blackened
// image, the kind XOR-ed onto it, then the text XOR-ed onto it) and shows it
// in one step. A change of a visual property repaints at once, synchronously,
// so the gauge moves even while a benchmark loop keeps the GUI thread busy.
// GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace torvik {

enum class GaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum class GaugeBorderStyle { bsNone, bsSingle };

class Gauge : public QWidget {
 public:
  explicit Gauge(QWidget* parent = nullptr);

  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  int Progress() const { return progress_; }
  GaugeKind Kind() const { return kind_; }
  bool ShowText() const { return showText_; }
  GaugeBorderStyle BorderStyle() const { return borderStyle_; }
  QColor ForeColor() const { return foreColor_; }
  QColor BackColor() const { return backColor_; }
  // The area outside the pie and the needle dial.
  QColor Color() const { return color_; }

  // Raise TorvikError ("%d から %d の間の値でなければなりません") when the new
  // minimum is above the maximum (or the maximum below the minimum), unless
  // the gauge is being loaded; Progress follows into the new range.
  void SetMinValue(int value);
  void SetMaxValue(int value);
  // Clamped into [MinValue, MaxValue]; repaints only when the shown
  // percentage changes.
  void SetProgress(int value);
  void SetKind(GaugeKind kind);
  void SetShowText(bool show);
  void SetBorderStyle(GaugeBorderStyle style);
  void SetForeColor(const QColor& color);
  void SetBackColor(const QColor& color);
  void SetColor(const QColor& color);
  // While loading, the minimum and maximum accept any order of values.
  void SetLoading(bool loading) { loading_ = loading; }

  // 0 when MaxValue = MinValue, else (Progress - Min) * 100 / (Max - Min)
  // truncated toward zero.
  int CompletedPercent() const;

  // The picture a paint shows, at the gauge's current size, with
  // `devicePixelRatio` image pixels to a control pixel (a paint uses the
  // screen's, so the percentage is drawn sharp on a scaled screen).
  QImage Render(qreal devicePixelRatio = 1.0) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  template <typename T>
  void Store(T& field, const T& value);
  void DrawKind(QImage& overlay, const QRect& inner) const;
  void DrawPercentText(QImage& image, const QRect& inner) const;

  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
  GaugeKind kind_ = GaugeKind::gkHorizontalBar;
  bool showText_ = true;
  GaugeBorderStyle borderStyle_ = GaugeBorderStyle::bsSingle;
  QColor foreColor_ = Qt::black;
  QColor backColor_ = Qt::white;
  QColor color_ = Qt::white;
  bool loading_ = false;
};

}  // namespace torvik
