// The on-screen cost of one shape of the drawing tests (a synchronous
// repaint of its bounding rectangle, flushed to the X server) against the
// same QPainter call into a QImage, in one run. Needs an X server:
//
//   xvfb-run -a -s "-screen 0 1024x768x24" build/bench/torvik_drawing_bench [shapes]
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QtTest>
#include <cstdio>
#include <string>

#include "BenchTable.h"
#include "core/base/RandomGenerator.h"
#include "ui/DesignScale.h"
#include "ui/StageDrawing.h"
#include "ui/StageSurface.h"

using namespace torvik;

int main(int argc, char** argv) {
  const bool rowsOnly = torvik::bench::RowsOnly(argc, argv);
  QApplication application(argc, argv);
  RegisterFontSubstitutes();
  const int shapes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50'000;

  StageSurface paint;
  paint.setFont(QFont(QStringLiteral("ＭＳ ゴシック")));
  paint.setGeometry(paint.screen()->geometry());
  paint.show();
  if (!QTest::qWaitForWindowExposed(&paint)) {
    std::fprintf(stderr, "no window could be shown\n");
    return 2;
  }
  QImage image(paint.size(), QImage::Format_RGB32);
  image.fill(Qt::white);

  if (!rowsOnly) {
    std::printf("%d shapes each, %dx%d area; microseconds per shape\n", shapes, paint.width(), paint.height());
    torvik::bench::PrintHeader();
  }
  const std::pair<DrawingKind, const char*> kinds[] = {{DrawingKind::Rectangle, "rectangle"},
                                                       {DrawingKind::Ellipse, "ellipse"},
                                                       {DrawingKind::Triangle, "triangle"},
                                                       {DrawingKind::Text, "text"}};
  for (const auto& [kind, name] : kinds) {
    ProgramRandom().Seed(1);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < shapes; ++i) paint.DrawNow(StageDrawing::NextShape(kind, paint.width(), paint.height()));
    const double screen = timer.nsecsElapsed() / 1e3 / shapes;

    ProgramRandom().Seed(1);
    QPainter painter(&image);
    timer.restart();
    for (int i = 0; i < shapes; ++i) paint.Draw(painter, StageDrawing::NextShape(kind, paint.width(), paint.height()));
    painter.end();
    const double offscreen = timer.nsecsElapsed() / 1e3 / shapes;
    const std::string what = std::string("one ") + name + " on screen";
    torvik::bench::PrintRow(what.c_str(), "the same QPainter call into a QImage (no flush)", screen, offscreen, "us");
  }
  return 0;
}
