// The random numbers of the drawing tests, drawn from the program-wide
// generator in their fixed order: corners first, then the pen colour, then
// the brush colour; a colour is three draws of 0..254 taken as blue, green,
// red. Pure over the generator; GUI thread (the generator is the GUI's).
#pragma once

#include <cstdint>

#include "core/base/RandomGenerator.h"

namespace torvik {

struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};

// One shape's numbers. A rectangle or ellipse uses (x1, y1)-(x2, y2); a
// triangle (x0, y0), (x1, y1), (x2, y2); a string its point size and its
// top-left corner (x1, y1) with `font` as its colour.
struct ShapeDraw {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  Rgb pen, brush, font;
  int pointSize = 0;
  bool operator==(const ShapeDraw&) const = default;
};

inline constexpr int kShapesPerTest = 200'000;

// Three draws of Rnd(255): blue, green, red in the order drawn.
Rgb DrawColour(RandomGenerator& random);
// x1 = Rnd(W) - 25, y1 = Rnd(H) - 25, x2 = x1 + Rnd(150), y2 = y1 + Rnd(150),
// then the pen and the brush colour.
ShapeDraw DrawBox(int width, int height, RandomGenerator& random);
// x0 = Rnd(W) - 25, y0 = Rnd(H) - 25, x1 = x0 + Rnd(150), y1 = y0 - Rnd(100),
// x2 = x0 + Rnd(150), y2 = y0 + Rnd(100), then the pen and the brush colour.
ShapeDraw DrawTriangle(int width, int height, RandomGenerator& random);
// size = Rnd(32) + 1 points, x = Rnd(W) - 25, y = Rnd(H) - 25, then the font colour.
ShapeDraw DrawText(int width, int height, RandomGenerator& random);

}  // namespace torvik
