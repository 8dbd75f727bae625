// The progress gauge: its property rules, when it repaints, and the pixels of
// each kind, rendered off-screen.
#include <QtTest>

#include "core/base/Errors.h"
#include "ui/Gauge.h"

using namespace torvik;

namespace {

const QColor kFore(0, 0, 128);
const QColor kBack(200, 200, 200);
const QColor kColor(0, 128, 0);

QColor Inverse(const QColor& c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); }
QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

class CountingGauge : public Gauge {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent* event) override {
    ++paints;
    Gauge::paintEvent(event);
  }
};

void Style(Gauge& gauge, GaugeKind kind, QSize size) {
  gauge.resize(size);
  gauge.SetKind(kind);
  gauge.SetForeColor(kFore);
  gauge.SetBackColor(kBack);
  gauge.SetColor(kColor);
  QFont font(QStringLiteral("Liberation Serif"));
  font.setPixelSize(14);
  gauge.setFont(font);
}

// How many pixels of a region show `color`.
int Count(const QImage& image, const QRect& region, const QColor& color) {
  int n = 0;
  for (int y = region.top(); y <= region.bottom(); ++y) {
    for (int x = region.left(); x <= region.right(); ++x) n += At(image, x, y) == color ? 1 : 0;
  }
  return n;
}

}  // namespace

class GaugeTest : public QObject {
  Q_OBJECT

 private slots:
  void defaults() {
    Gauge gauge;
    QCOMPARE(gauge.MinValue(), 0);
    QCOMPARE(gauge.MaxValue(), 100);
    QCOMPARE(gauge.Progress(), 0);
    QCOMPARE(gauge.Kind(), GaugeKind::gkHorizontalBar);
    QVERIFY(gauge.ShowText());
    QCOMPARE(gauge.BorderStyle(), GaugeBorderStyle::bsSingle);
    QCOMPARE(gauge.ForeColor(), QColor(Qt::black));
    QCOMPARE(gauge.BackColor(), QColor(Qt::white));
    QCOMPARE(gauge.size(), QSize(100, 100));
  }

  void progressIsClamped() {
    Gauge gauge;
    gauge.SetProgress(150);
    QCOMPARE(gauge.Progress(), 100);
    gauge.SetProgress(-5);
    QCOMPARE(gauge.Progress(), 0);
  }

  void equalMinimumAndMaximumShowZeroPercent() {
    Gauge gauge;
    gauge.SetMaxValue(0);
    QCOMPARE(gauge.MaxValue(), 0);
    QCOMPARE(gauge.CompletedPercent(), 0);
  }

  void percentIsTruncated() {
    Gauge gauge;
    gauge.SetMaxValue(3);
    gauge.SetProgress(2);
    QCOMPARE(gauge.CompletedPercent(), 66);
    gauge.SetMinValue(-2147483647);
    gauge.SetMaxValue(2147483647);
    QCOMPARE(gauge.CompletedPercent(), 50);  // no overflow on the widest range
  }

  void rangeChangesDragProgressAlong() {
    Gauge gauge;
    gauge.SetProgress(80);
    gauge.SetMaxValue(60);
    QCOMPARE(gauge.Progress(), 60);
    gauge.SetMinValue(50);
    gauge.SetProgress(10);
    QCOMPARE(gauge.Progress(), 50);
  }

  void invalidRangeRaisesAndChangesNothing() {
    Gauge gauge;
    gauge.SetProgress(40);
    try {
      gauge.SetMinValue(101);
      QFAIL("no error");
    } catch (const TorvikError& error) {
      QCOMPARE(error.Message(), QStringLiteral("-2147483647 から 99 の間の値でなければなりません"));
    }
    gauge.SetMinValue(10);
    try {
      gauge.SetMaxValue(5);
      QFAIL("no error");
    } catch (const TorvikError& error) {
      QCOMPARE(error.Message(), QStringLiteral("11 から 2147483647 の間の値でなければなりません"));
    }
    QCOMPARE(gauge.MinValue(), 10);
    QCOMPARE(gauge.MaxValue(), 100);
    QCOMPARE(gauge.Progress(), 40);
  }

  void loadingAcceptsAnyOrder() {
    Gauge gauge;
    gauge.SetLoading(true);
    gauge.SetMinValue(500);
    gauge.SetMaxValue(1000);
    gauge.SetLoading(false);
    QCOMPARE(gauge.MinValue(), 500);
    QCOMPARE(gauge.MaxValue(), 1000);
  }

  void repaintsOnlyWhenThePercentChanges() {
    CountingGauge gauge;
    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));
    gauge.SetMaxValue(1000);
    gauge.SetProgress(100);
    int before = gauge.paints;
    gauge.SetProgress(105);  // still 10 %
    QCOMPARE(gauge.paints, before);
    QCOMPARE(gauge.Progress(), 105);
    gauge.SetProgress(105);
    QCOMPARE(gauge.paints, before);
    gauge.SetProgress(110);  // 11 %: painted before the setter returns
    QCOMPARE(gauge.paints, before + 1);
    gauge.SetForeColor(kFore);
    QCOMPARE(gauge.paints, before + 2);
    gauge.SetForeColor(kFore);
    QCOMPARE(gauge.paints, before + 2);
  }

  void horizontalBarAtZeroShowsBackgroundAndInvertedText() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkHorizontalBar, QSize(100, 24));
    const QImage image = gauge.Render();
    QCOMPARE(At(image, 0, 0), QColor(Qt::black));  // the border
    QCOMPARE(At(image, 99, 23), QColor(Qt::black));
    QCOMPARE(At(image, 1, 1), kBack);
    QCOMPARE(At(image, 98, 22), kBack);
    // "0%" in the middle, every text pixel the background inverted.
    const QRect middle(30, 2, 40, 20);
    QVERIFY(Count(image, middle, Inverse(kBack)) > 10);
    QCOMPARE(Count(image, middle, kBack) + Count(image, middle, Inverse(kBack)), middle.width() * middle.height());
  }

  // At 200 % the picture has twice the pixels each way: the frame and the
  // bar scale whole, the text is drawn at that resolution, not doubled.
  void atTwiceTheScaleTheTextIsDrawnAtTheScreensResolution() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkHorizontalBar, QSize(100, 24));
    gauge.SetProgress(50);
    const QImage image = gauge.Render(2.0);
    QCOMPARE(image.size(), QSize(200, 48));
    QCOMPARE(Count(image, QRect(0, 0, 200, 2), QColor(Qt::black)), 400);  // the 1-pixel border
    QCOMPARE(At(image, 2, 2), kFore);
    int mixedBlocks = 0;  // 2 x 2 blocks that are not one pixel doubled
    for (int y = 2; y < 46; y += 2) {
      for (int x = 2; x < 198; x += 2) {
        const QRgb p = image.pixel(x, y);
        mixedBlocks += image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p || image.pixel(x + 1, y + 1) != p;
      }
    }
    QVERIFY(mixedBlocks > 5);
  }

  void horizontalBarAtFullCoversTheInnerArea() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkHorizontalBar, QSize(100, 24));
    gauge.SetProgress(100);
    const QImage image = gauge.Render();
    const QRect inner(1, 1, 98, 22);
    QCOMPARE(Count(image, inner, kFore) + Count(image, inner, Inverse(kFore)), inner.width() * inner.height());
    QVERIFY(Count(image, inner, Inverse(kFore)) > 10);  // "100%" inverted over the bar
    QCOMPARE(Count(image, QRect(0, 0, 100, 1), QColor(Qt::black)), 100);
  }

  void horizontalBarAtHalfEndsOnTheScaledExtent() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkHorizontalBar, QSize(100, 24));
    gauge.SetShowText(false);
    gauge.SetProgress(50);
    const QImage image = gauge.Render();
    // W = 99, F = 49: the bar covers x = 1 .. 48.
    QCOMPARE(At(image, 48, 10), kFore);
    QCOMPARE(At(image, 49, 10), kBack);
  }

  void verticalBarWithoutBorderStopsBelowTheTopRow() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkVerticalBar, QSize(20, 50));
    gauge.SetBorderStyle(GaugeBorderStyle::bsNone);
    gauge.SetShowText(false);
    gauge.SetProgress(100);
    const QImage image = gauge.Render();
    QCOMPARE(Count(image, QRect(0, 0, 20, 1), kBack), 20);
    QCOMPARE(Count(image, QRect(0, 1, 20, 49), kFore), 20 * 49);
  }

  void pieAtQuarterFillsTheUpperRightQuarter() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkPie, QSize(101, 101));
    gauge.SetShowText(false);
    gauge.SetProgress(25);
    const QImage image = gauge.Render();
    QCOMPARE(At(image, 70, 30), kFore);  // upper right
    QCOMPARE(At(image, 30, 30), kBack);  // upper left
    QCOMPARE(At(image, 70, 70), kBack);  // lower right
    QCOMPARE(At(image, 30, 70), kBack);  // lower left
    QCOMPARE(At(image, 3, 3), kColor);   // outside the ellipse
  }

  void pieAtFullFillsTheEllipse() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkPie, QSize(101, 101));
    gauge.SetShowText(false);
    gauge.SetProgress(100);
    const QImage image = gauge.Render();
    for (QPoint p : {QPoint(30, 30), QPoint(70, 70), QPoint(30, 70), QPoint(70, 30)})
      QCOMPARE(At(image, p.x(), p.y()), kFore);
  }

  void needleAtHalfStandsUpright() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkNeedle, QSize(101, 60));
    gauge.SetShowText(false);
    gauge.SetProgress(50);
    const QImage image = gauge.Render();
    const int cx = 50;
    for (int y : {10, 30, 50}) QCOMPARE(At(image, cx, y), kFore);
    QCOMPARE(At(image, cx + 6, 40), kBack);  // inside the dial, beside the needle
    QCOMPARE(At(image, 3, 5), kColor);       // outside the dial
  }

  void textKindFillsWithBackground() {
    Gauge gauge;
    Style(gauge, GaugeKind::gkText, QSize(60, 20));
    gauge.SetShowText(false);
    gauge.SetProgress(70);
    const QImage image = gauge.Render();
    QCOMPARE(Count(image, QRect(1, 1, 58, 18), kBack), 58 * 18);
  }
};

QTEST_MAIN(GaugeTest)
#include "test_gauge.moc"
