// The drawing tests' random numbers: their order, their ranges, and the
// blue-green-red order of a colour's three draws.
#include <QtTest>

#include "core/workloads/ShapeDraws.h"

using namespace torvik;

class ShapeDrawsTest : public QObject {
  Q_OBJECT

 private slots:
  void boxDrawsCornersThenPenThenBrush() {
    RandomGenerator a, b;
    a.Seed(7);
    b.Seed(7);
    const ShapeDraw box = DrawBox(800, 600, a);
    const int x1 = b.Next(800) - 25, y1 = b.Next(600) - 25;
    QCOMPARE(box.x1, x1);
    QCOMPARE(box.y1, y1);
    QCOMPARE(box.x2, x1 + b.Next(150));
    QCOMPARE(box.y2, y1 + b.Next(150));
    const int penBlue = b.Next(255), penGreen = b.Next(255), penRed = b.Next(255);
    QCOMPARE(box.pen, (Rgb{penRed, penGreen, penBlue}));
    const int brushBlue = b.Next(255), brushGreen = b.Next(255), brushRed = b.Next(255);
    QCOMPARE(box.brush, (Rgb{brushRed, brushGreen, brushBlue}));
    QCOMPARE(a.Next(1'000'000), b.Next(1'000'000));  // nothing more was drawn
  }

  void triangleDrawsItsSixNumbersInOrder() {
    RandomGenerator a, b;
    a.Seed(11);
    b.Seed(11);
    const ShapeDraw t = DrawTriangle(1024, 768, a);
    const int x0 = b.Next(1024) - 25, y0 = b.Next(768) - 25;
    QCOMPARE(t.x0, x0);
    QCOMPARE(t.y0, y0);
    QCOMPARE(t.x1, x0 + b.Next(150));
    QCOMPARE(t.y1, y0 - b.Next(100));
    QCOMPARE(t.x2, x0 + b.Next(150));
    QCOMPARE(t.y2, y0 + b.Next(100));
    b.Next(255), b.Next(255), b.Next(255), b.Next(255), b.Next(255), b.Next(255);
    QCOMPARE(a.Next(1'000'000), b.Next(1'000'000));
  }

  void textDrawsSizeThenCornerThenColour() {
    RandomGenerator a, b;
    a.Seed(3);
    b.Seed(3);
    const ShapeDraw s = DrawText(640, 480, a);
    QCOMPARE(s.pointSize, b.Next(32) + 1);
    QCOMPARE(s.x1, b.Next(640) - 25);
    QCOMPARE(s.y1, b.Next(480) - 25);
    const int blue = b.Next(255), green = b.Next(255), red = b.Next(255);
    QCOMPARE(s.font, (Rgb{red, green, blue}));
  }

  void rangesHold() {
    RandomGenerator random;
    random.Seed(1);
    int maxChannel = 0, minX = 0, maxSpan = 0, maxSize = 0;
    for (int i = 0; i < 20'000; ++i) {
      const ShapeDraw box = DrawBox(300, 200, random);
      QVERIFY(box.x1 >= -25 && box.x1 < 275 && box.y1 >= -25 && box.y1 < 175);
      QVERIFY(box.x2 - box.x1 >= 0 && box.x2 - box.x1 < 150);
      maxSpan = std::max(maxSpan, box.x2 - box.x1);
      minX = std::min(minX, box.x1);
      for (int c : {box.pen.red, box.pen.green, box.pen.blue, box.brush.red}) {
        QVERIFY(c >= 0 && c <= 254);
        maxChannel = std::max(maxChannel, c);
      }
      const ShapeDraw text = DrawText(300, 200, random);
      QVERIFY(text.pointSize >= 1 && text.pointSize <= 32);
      maxSize = std::max(maxSize, text.pointSize);
    }
    QCOMPARE(maxChannel, 254);  // never white's 255
    QCOMPARE(minX, -25);
    QCOMPARE(maxSpan, 149);
    QCOMPARE(maxSize, 32);
  }
};

QTEST_GUILESS_MAIN(ShapeDrawsTest)
#include "test_shape_draws.moc"
