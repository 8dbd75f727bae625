// DrawingWorkloads: the drawing and scroll tests, which need a screen: the
// user interface provides them on its stage (the main window, or the
// command line's stage window). Each sets its slot's elapsed time and
// writes its result label. GUI thread only.
#pragma once

namespace torvik {

class DrawingWorkloads {
 public:
  virtual ~DrawingWorkloads() = default;
  virtual void SquareTest() = 0;
  virtual void CircleTest() = 0;
  virtual void TriangleTest() = 0;
  virtual void TextTest() = 0;
  virtual void ScrollTest() = 0;
};

}  // namespace torvik
