#include "core/workloads/ShapeDraws.h"

namespace torvik {

Rgb DrawColour(RandomGenerator& random) {
  Rgb colour;
  colour.blue = random.Next(255);
  colour.green = random.Next(255);
  colour.red = random.Next(255);
  return colour;
}

ShapeDraw DrawBox(int width, int height, RandomGenerator& random) {
  ShapeDraw s;
  s.x1 = random.Next(width) - 25;
  s.y1 = random.Next(height) - 25;
  s.x2 = s.x1 + random.Next(150);
  s.y2 = s.y1 + random.Next(150);
  s.pen = DrawColour(random);
  s.brush = DrawColour(random);
  return s;
}

ShapeDraw DrawTriangle(int width, int height, RandomGenerator& random) {
  ShapeDraw s;
  s.x0 = random.Next(width) - 25;
  s.y0 = random.Next(height) - 25;
  s.x1 = s.x0 + random.Next(150);
  s.y1 = s.y0 - random.Next(100);
  s.x2 = s.x0 + random.Next(150);
  s.y2 = s.y0 + random.Next(100);
  s.pen = DrawColour(random);
  s.brush = DrawColour(random);
  return s;
}

ShapeDraw DrawText(int width, int height, RandomGenerator& random) {
  ShapeDraw s;
  s.pointSize = random.Next(32) + 1;
  s.x1 = random.Next(width) - 25;
  s.y1 = random.Next(height) - 25;
  s.font = DrawColour(random);
  return s;
}

}  // namespace torvik
