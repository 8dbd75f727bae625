// Which areas each buffer of a surface lacks: the rules row by row, then a
// picture kept in rotating buffers that copy only what they lack, checked
// against the same shapes drawn in one picture.
#include <QtTest>
#include <random>

#include "platform/BufferDamage.h"

using namespace torvik::platform;

using Areas = std::vector<PixelRect>;
Q_DECLARE_METATYPE(Areas)

namespace {

// Steps: "+" adds a buffer; "b:x,y,w,h" shows buffer b with that damage.
void Apply(BufferDamage& damage, const QStringList& steps) {
  for (const QString& step : steps) {
    if (step == u"+") {
      damage.AddBuffer();
      continue;
    }
    const QStringList parts = step.split(u':');
    const QStringList r = parts[1].split(u',');
    damage.Shown(parts[0].toInt(), {r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt()});
  }
}

// A picture of width x height cells.
struct Picture {
  int width, height;
  std::vector<int> cells;
  Picture(int w, int h) : width(w), height(h), cells(static_cast<size_t>(w) * h, 0) {}
  void Fill(PixelRect r, int value) {
    for (int y = r.y; y < r.y + r.height; ++y)
      for (int x = r.x; x < r.x + r.width; ++x) cells[static_cast<size_t>(y) * width + x] = value;
  }
  void CopyFrom(const Picture& source, PixelRect r) {
    for (int y = r.y; y < r.y + r.height; ++y)
      for (int x = r.x; x < r.x + r.width; ++x)
        cells[static_cast<size_t>(y) * width + x] = source.cells[static_cast<size_t>(y) * width + x];
  }
};

}  // namespace

class BufferDamageTest : public QObject {
  Q_OBJECT

 private slots:
  void whatEachBufferLacks_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("buffer");
    QTest::addColumn<Areas>("missing");
    QTest::addColumn<int>("latest");
    const QStringList two = {"+", "+"};
    QTest::newRow("nothing shown yet") << two << 1 << Areas{} << -1;
    QTest::newRow("the other buffer lacks the first frame")
        << two + QStringList{"0:1,2,3,4"} << 1 << Areas{{1, 2, 3, 4}} << 0;
    QTest::newRow("the buffer shown last lacks nothing") << two + QStringList{"0:1,2,3,4"} << 0 << Areas{} << 0;
    QTest::newRow("shown again, it lacks only the other's frame")
        << two + QStringList{"0:1,2,3,4", "1:5,5,2,2"} << 0 << Areas{{5, 5, 2, 2}} << 1;
    QTest::newRow("a third buffer lacks both frames, in their order")
        << QStringList{"+", "+", "+", "0:1,2,3,4", "1:5,5,2,2"} << 2 << Areas{{1, 2, 3, 4}, {5, 5, 2, 2}} << 1;
    QTest::newRow("a buffer added after a frame lacks the whole picture")
        << QStringList{"+", "0:1,1,1,1", "+"} << 1 << Areas{{0, 0, 100, 50}} << 0;
    QTest::newRow("damage beyond the surface is cut to it")
        << two + QStringList{"0:-5,40,10,20"} << 1 << Areas{{0, 40, 5, 10}} << 0;
    QTest::newRow("damage wholly outside adds nothing") << two + QStringList{"0:100,0,10,10"} << 1 << Areas{} << 0;
    QTest::newRow("an empty damage adds nothing") << two + QStringList{"0:3,3,0,9"} << 1 << Areas{} << 0;
    QTest::newRow("an area inside one already lacking adds nothing")
        << QStringList{"+", "+", "+", "0:0,0,20,20", "1:5,5,5,5"} << 2 << Areas{{0, 0, 20, 20}} << 1;
    QTest::newRow("an area around one already lacking is added")
        << QStringList{"+", "+", "+", "0:5,5,5,5", "1:0,0,20,20"} << 2 << Areas{{5, 5, 5, 5}, {0, 0, 20, 20}} << 1;
  }
  void whatEachBufferLacks() {
    QFETCH(QStringList, steps);
    QFETCH(int, buffer);
    QFETCH(Areas, missing);
    QFETCH(int, latest);
    BufferDamage damage(100, 50);
    Apply(damage, steps);
    QCOMPARE(damage.Missing(buffer), missing);
    QCOMPARE(damage.Latest(), latest);
  }

  // Past kMaxAreas the areas become the one rectangle around them.
  void manyAreasMergeIntoTheRectangleAroundThem() {
    BufferDamage damage(100, 50);
    damage.AddBuffer();
    damage.AddBuffer();
    damage.AddBuffer();
    for (int i = 0; i <= BufferDamage::kMaxAreas; ++i) damage.Shown(i % 2, {3 + i, 7, 1, 2 + i});
    QCOMPARE(damage.Missing(2), Areas({{3, 7, BufferDamage::kMaxAreas + 1, BufferDamage::kMaxAreas + 2}}));
  }

  // Frames drawn in whichever buffer is free (the compositor giving buffers
  // back late, in any order), each first taking what it lacks from the
  // latest: the latest always holds exactly the picture drawn in one go.
  void rotatingBuffersHoldThePictureDrawnInOne_data() {
    QTest::addColumn<int>("buffers");
    QTest::addColumn<unsigned>("seed");
    QTest::newRow("two buffers") << 2 << 1u;
    QTest::newRow("three buffers") << 3 << 2u;
    QTest::newRow("four buffers, many areas merged") << 4 << 3u;
  }
  void rotatingBuffersHoldThePictureDrawnInOne() {
    QFETCH(int, buffers);
    QFETCH(unsigned, seed);
    const int width = 37, height = 23;
    BufferDamage damage(width, height);
    std::vector<Picture> pictures;
    for (int i = 0; i < buffers; ++i) {
      damage.AddBuffer();
      pictures.emplace_back(width, height);
    }
    Picture reference(width, height);
    std::mt19937 random(seed);
    int previous = -1;
    for (int frame = 1; frame <= 2'000; ++frame) {
      int buffer = static_cast<int>(random() % buffers);
      if (buffer == previous) buffer = (buffer + 1) % buffers;  // the last one is still the compositor's
      previous = buffer;
      for (const PixelRect& area : damage.Missing(buffer)) pictures[buffer].CopyFrom(pictures[damage.Latest()], area);
      // A shape partly beyond the surface, drawn clipped, damaged unclipped.
      const int x = static_cast<int>(random() % (width + 10)) - 5, y = static_cast<int>(random() % (height + 10)) - 5;
      const PixelRect shape{x, y, static_cast<int>(random() % 12) + 1, static_cast<int>(random() % 9) + 1};
      const PixelRect inside{std::max(x, 0), std::max(y, 0), std::min(x + shape.width, width) - std::max(x, 0),
                             std::min(y + shape.height, height) - std::max(y, 0)};
      if (!inside.Empty()) {
        pictures[buffer].Fill(inside, frame);
        reference.Fill(inside, frame);
      }
      damage.Shown(buffer, shape);
      QVERIFY2(pictures[damage.Latest()].cells == reference.cells, qPrintable(QString::number(frame)));
    }
  }
};

QTEST_GUILESS_MAIN(BufferDamageTest)
#include "test_buffer_damage.moc"
