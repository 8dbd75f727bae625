// WaylandStage: the drawing stage's own pixels on Qt's native Wayland
// platform. There Qt's window buffers cannot keep a paint box's pixels
// between paints: each repaint clears its area first (an ellipse would show
// in a white box) and copies the whole window into a fresh buffer while the
// compositor still reads the last one. The stage instead lies over the box
// as a surface of its own (platform::WaylandSubsurface) whose buffers hold
// the picture: a shape is drawn into the next buffer and that one frame is
// shown by itself, only the shape's rectangle damaged and copied. Not made
// on X or offscreen (Qt's own buffers keep their pixels there), nor where
// the compositor or this build cannot give such a surface. GUI thread only.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <memory>
#include <vector>

namespace torvik {

namespace platform {
class WaylandSubsurface;
}

class WaylandStage {
 public:
  // Whether the program draws on Qt's native Wayland platform.
  static bool OnWayland();
  // A stage over `box`, which is shown in a window on Wayland; null where
  // none can be made.
  static std::unique_ptr<WaylandStage> Over(const QWidget& box);
  ~WaylandStage();

  // Whether the stage still fits `box`: Same where nothing changed; Moved
  // where only the box's place in its window did, the stage then asked to
  // follow it (the compositor moves it with the window's next commit); Lost
  // where its size, scale or window surface changed: a new stage is needed.
  enum class Fit { Same, Moved, Lost };
  Fit Follow(const QWidget& box);

  // The picture the next frame is drawn in (the box's coordinates; it holds
  // what is on screen now). A null image when the compositor's connection
  // has failed.
  QImage& NextFrame();
  // Shows the picture NextFrame() gave, drawn on within `area` (the box's
  // coordinates), by itself, before it returns. False when the compositor's
  // connection has failed.
  bool Present(const QRect& area);
  // What is on screen (null before the first frame). Painted from, never
  // kept: a copy alive while a frame is drawn would take the drawing.
  const QImage& Shown();

 private:
  struct Placement {
    void* surface = nullptr;
    QPoint position;
    QSize size;
    int scale = 1;
    bool operator==(const Placement&) const = default;
  };
  WaylandStage(std::unique_ptr<platform::WaylandSubsurface> surface, Placement placement);
  static Placement PlacementOf(const QWidget& box);
  QImage& ImageOver(const void* frame);

  std::unique_ptr<platform::WaylandSubsurface> surface_;
  Placement placement_;
  // One image over each buffer's pixels, made once.
  std::vector<std::pair<const void*, QImage>> images_;
  QImage none_;
};

}  // namespace torvik
