// The on-screen cost of one shape of the drawing tests (a synchronous
// repaint of its bounding rectangle, flushed to the X server) against the
// same QPainter call into a QImage, in one run; then what a shape costs in
// torvik --run graphic on the same display, against the same shape drawn
// here (the command line draws as the window's stage does), left out with
// --screen-only. Needs a display: an X server, or a Wayland compositor with
// QT_QPA_PLATFORM=wayland (the stage's own buffers there):
//
//   tests/tools/virtual_screen.sh 1024x768x24 build/bench/torvik_drawing_bench [--screen-only] [shapes]
//   QT_QPA_PLATFORM=wayland tests/tools/wayland_screen.sh 1024x768 build/bench/torvik_drawing_bench [shapes]
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "BenchTable.h"
#include "core/base/RandomGenerator.h"
#include "core/results/TestCatalogue.h"
#include "ui/DesignScale.h"
#include "ui/StageDrawing.h"
#include "ui/StageSurface.h"

using namespace torvik;

int main(int argc, char** argv) {
  const bool rowsOnly = torvik::bench::RowsOnly(argc, argv);
  const bool screenOnly = argc > 1 && std::strcmp(argv[1], "--screen-only") == 0;
  if (screenOnly) std::copy(argv + 2, argv + argc + 1, argv + 1), --argc;
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
  std::map<std::string, double> onScreen;  // microseconds per shape, by name
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
    onScreen[name] = screen;
  }
  const bool ownBuffers = paint.DrawsOnOwnBuffers();
  paint.hide();
  if (!rowsOnly) {
    std::printf("platform %s, %s\n", qPrintable(QGuiApplication::platformName()),
                ownBuffers ? "the stage's own buffers" : "Qt's window buffers");
  }
  if (screenOnly) return 0;

  QTemporaryDir home;
  QProcess commandLine;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
  commandLine.setProcessEnvironment(environment);
  commandLine.start(QStringLiteral(TORVIK_BINARY), {"--run", "graphic", "--format", "json", "--quiet", "--no-record"});
  if (!commandLine.waitForFinished(600'000) || commandLine.exitCode() != 0) {
    std::fprintf(stderr, "torvik --run graphic: %s\n", commandLine.readAllStandardError().constData());
    return 1;
  }
  const std::pair<Test, const char*> drawn[] = {
      {Test::Square, "rectangle"}, {Test::Circle, "ellipse"}, {Test::Triangle, "triangle"}, {Test::Text, "text"}};
  const QJsonArray tests = QJsonDocument::fromJson(commandLine.readAllStandardOutput())["runs"][0]["tests"].toArray();
  for (const QJsonValue& entry : tests) {
    for (const auto& [test, name] : drawn) {
      if (entry["test"].toString() != QLatin1String(EntryOf(test).id) || entry["work"].toDouble() <= 0) continue;
      const double perShape = entry["seconds"].toDouble() / entry["work"].toDouble() * 1e6;
      const std::string what = std::string(EntryOf(test).id) + ", command line";
      const std::string method = std::string("one ") + name + " on screen, above";
      torvik::bench::PrintRow(what.c_str(), method.c_str(), perShape, onScreen[name], "us");
    }
  }
  return 0;
}
