// The drawing stage on a native Wayland compositor (a headless weston with
// its software renderer, tests/tools/wayland_screen.sh): the shapes go to
// the stage's own buffers, and what the compositor shows is exactly what the
// same draws give in an image, with nothing around any shape; the window
// under the box is drawn as it looks; a hidden box takes the stage's surface
// off the screen and a shown one brings it back; and a whole drawing test
// runs there and gives the window back. The screen is read with
// weston-screenshooter.
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QtTest>

#include "UiHelpers.h"
#include "core/base/RandomGenerator.h"
#include "core/workloads/ShapeDraws.h"
#include "core/workloads/WorkerThread.h"
#include "ui/DesignScale.h"

using namespace torvik;
using namespace torvik::testing;

namespace {

// The compositor's whole screen, or a null image.
QImage Screenshot() {
  // A frame just committed is shown at the compositor's next repaint.
  QTest::qWait(100);
  QTemporaryDir folder;
  QProcess shooter;
  shooter.setWorkingDirectory(folder.path());
  shooter.start(QStringLiteral("weston-screenshooter"), QStringList());
  if (!shooter.waitForFinished(30'000) || shooter.exitCode() != 0) return {};
  const QStringList taken = QDir(folder.path()).entryList({QStringLiteral("*.png")});
  if (taken.isEmpty()) return {};
  return QImage(folder.filePath(taken.first())).convertToFormat(QImage::Format_RGB32);
}

// Where `part` lies whole in `screen`, or (-1, -1).
QPoint Locate(const QImage& screen, const QImage& part) {
  const QPoint probes[] = {{0, 0},
                           {part.width() - 1, 0},
                           {0, part.height() - 1},
                           {part.width() - 1, part.height() - 1},
                           {part.width() / 2, part.height() / 2},
                           {part.width() / 3, part.height() / 4},
                           {part.width() * 3 / 4, part.height() * 2 / 3}};
  for (int y = 0; y + part.height() <= screen.height(); ++y) {
    for (int x = 0; x + part.width() <= screen.width(); ++x) {
      bool same = true;
      for (const QPoint& p : probes) same = same && screen.pixel(x + p.x(), y + p.y()) == part.pixel(p);
      if (same && screen.copy(x, y, part.width(), part.height()) == part) return {x, y};
    }
  }
  return {-1, -1};
}

// A fill of the whole box in `colour`, as a test's first draw is.
StageShape FillOf(const StageSurface& paint, QColor colour) {
  StageShape fill;
  fill.kind = StageShape::Kind::Fill;
  fill.right = paint.width();
  fill.bottom = paint.height();
  fill.pen = fill.brush = colour;
  return fill;
}

// The same draws into an image: each clipped as its repaint is.
QImage Reference(const StageSurface& paint, QColor background, DrawingKind kind, int count, unsigned seed) {
  QImage image(paint.size(), QImage::Format_RGB32);
  image.fill(background);
  ProgramRandom().Seed(seed);
  for (int i = 0; i < count; ++i) {
    const StageShape shape = StageDrawing::NextShape(kind, paint.width(), paint.height());
    QRect area = paint.Bounds(shape);
    if (area.isEmpty()) area = QRect(shape.left, shape.top, 1, 1);
    QPainter painter(&image);
    painter.setClipRect(area & paint.rect());
    paint.Draw(painter, shape);
  }
  return image;
}

struct Window : ComposedWindow {
  Window() {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qWarning("the window was not exposed");
  }
};

}  // namespace

class WaylandStageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (!WaylandStage::OnWayland()) {
      QSKIP("not on Qt's Wayland platform (qt6-wayland, and a compositor: tests/tools/wayland_screen.sh)");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("weston-screenshooter")).isEmpty()) {
      QSKIP("weston-screenshooter is not installed (weston)");
    }
    RegisterFontSubstitutes();
  }
  void cleanup() { WorkerThread::StopAllWorkers(); }

  void screenShowsExactlyTheSameDrawsInAnImage_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("rectangles") << static_cast<int>(DrawingKind::Rectangle);
    QTest::newRow("ellipses") << static_cast<int>(DrawingKind::Ellipse);
    QTest::newRow("triangles") << static_cast<int>(DrawingKind::Triangle);
    QTest::newRow("text") << static_cast<int>(DrawingKind::Text);
  }
  void screenShowsExactlyTheSameDrawsInAnImage() {
    QFETCH(int, kind);
    Window w;
    StageSurface& paint = w.window.PaintBox();
    paint.show();
    w.window.StageOn();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    // A grey neither the window's nor white: a shape drawn in a box of
    // either, or over pixels cleared to transparent, differs from it.
    const QColor grey(0x60, 0x70, 0x80);
    paint.DrawNow(FillOf(paint, grey));
    QVERIFY(paint.DrawsOnOwnBuffers());
    ProgramRandom().Seed(2024);
    w.drawing.DrawShapes(static_cast<DrawingKind>(kind), 60);

    const QImage screen = Screenshot();
    QVERIFY(!screen.isNull());
    const QImage reference = Reference(paint, grey, static_cast<DrawingKind>(kind), 60, 2024);
    if (Locate(screen, reference).x() < 0) {
      screen.save(QStringLiteral("wayland-stage-screen.png"));
      reference.save(QStringLiteral("wayland-stage-reference.png"));
      QFAIL("the screen does not show the reference drawing (see wayland-stage-*.png)");
    }
    w.window.StageOff();
    paint.hide();
  }

  // The window's look under the box (its labels, as Qt paints them), then
  // the box hidden (the stage's surface gone: the window shows through) and
  // shown again (the stage back where it was).
  void theStageLeavesWithTheBoxAndComesBack() {
    Window w;
    StageSurface& paint = w.window.PaintBox();
    paint.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    const QColor grey(0x60, 0x70, 0x80);
    paint.DrawNow(FillOf(paint, grey));
    ProgramRandom().Seed(7);
    w.drawing.DrawShapes(DrawingKind::Ellipse, 40);
    const QImage drawn = Reference(paint, grey, DrawingKind::Ellipse, 40, 7);
    const QImage first = Screenshot();
    const QPoint at = Locate(first, drawn);
    if (at.x() < 0) {
      first.save(QStringLiteral("wayland-stage-screen.png"));
      drawn.save(QStringLiteral("wayland-stage-reference.png"));
      QFAIL("the screen does not show the reference drawing (see wayland-stage-*.png)");
    }
    const QRect box(at, paint.size());

    paint.RepaintBackground();
    QVERIFY(paint.DrawsOnOwnBuffers());
    const QImage beneath = Screenshot().copy(box);
    QVERIFY(beneath != drawn);

    ProgramRandom().Seed(7);
    w.drawing.DrawShapes(DrawingKind::Ellipse, 40);
    paint.hide();
    QVERIFY(!paint.DrawsOnOwnBuffers());
    const QImage hidden = Screenshot().copy(box);
    const QImage window = w.window.grab()
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32)
                              .copy(QRect(paint.mapTo(&w.window, QPoint(0, 0)), paint.size()));
    QCOMPARE(hidden, window);
    QCOMPARE(beneath, window);

    paint.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    paint.DrawNow(FillOf(paint, grey));
    ProgramRandom().Seed(7);
    w.drawing.DrawShapes(DrawingKind::Ellipse, 40);
    QVERIFY(paint.DrawsOnOwnBuffers());
    QCOMPARE(Screenshot().copy(box), drawn);
    paint.hide();
  }

  // The classic test on the stage as a user runs it: 200,000 ellipses, the
  // window's size and buttons given back, a result shown.
  void aWholeDrawingTestRunsAndGivesTheWindowBack() {
    Window w;
    const QSize normal = w.window.size();
    w.drawing.CircleTest();
    QCOMPARE(w.window.size(), normal);
    QVERIFY(!w.window.PaintBox().isVisible());
    QVERIFY(!w.window.PaintBox().DrawsOnOwnBuffers());
    QVERIFY(!w.window.StaysOnTop());
    for (QAction* menu : w.window.menuBar()->actions()) QVERIFY(menu->isVisible());
    QCOMPARE(w.bench.State().Results()[Test::Circle].work, int64_t{kShapesPerTest});
    QVERIFY(!Text(w.window, "KCircle").isEmpty());
  }
};

QTEST_MAIN(WaylandStageTest)
#include "test_wayland_stage.moc"
