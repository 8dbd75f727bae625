// WaylandSubsurface: a surface of the program's own over part of a window on
// a Wayland compositor, with shared-memory buffers the program draws into
// and shows one frame at a time. It lies above the window's own surface (a
// desynchronised subsurface of it, taking no input), so each frame reaches
// the compositor by itself: the buffer is attached, the drawn area damaged,
// the surface committed and the request sent before Present() returns. The
// compositor may go on reading a shown buffer until another takes its place,
// so each frame is drawn in a buffer it has given back, brought up to date
// first by copying only the areas drawn since that buffer was shown
// (BufferDamage); when the compositor holds every buffer, the next frame
// waits for it to give one back. Pixels are 32-bit XRGB. It shares the
// window toolkit's connection, with an event queue of its own, so the
// toolkit's events are never dispatched here. One thread: the one that
// drives the toolkit's window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/BufferDamage.h"

namespace torvik::platform {

class WaylandSubsurface {
 public:
  // A buffer to draw the next frame in: `height` rows of `stride` bytes.
  struct Frame {
    uint8_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
  };

  // Made over `parent` (a wl_surface* of the connection `display`, a
  // wl_display*), `width` x `height` buffer pixels at `scale` buffer pixels
  // per surface unit. Null, with why in `why`, when the compositor offers no
  // subsurfaces or shared memory, or the buffers cannot be made.
  static std::unique_ptr<WaylandSubsurface> Create(void* display, void* parent, int width, int height, int scale,
                                                   std::string& why);
  // The surface leaves the screen at once; its buffers are freed.
  ~WaylandSubsurface();
  WaylandSubsurface(const WaylandSubsurface&) = delete;
  WaylandSubsurface& operator=(const WaylandSubsurface&) = delete;

  // Where the surface lies, in the parent's surface units from its top-left
  // corner; the compositor applies it with the parent's next commit (and
  // shows the surface at all only from then on).
  void SetPosition(int x, int y);

  // The buffer the next frame is drawn in, holding the picture shown last.
  // Null when the connection to the compositor has failed.
  const Frame* NextFrame();
  // Shows the buffer NextFrame() gave, drawn on within `damage` (buffer
  // pixels), and sends the request before it returns. False when the
  // connection to the compositor has failed.
  bool Present(PixelRect damage);
  // The buffer shown last (null before the first frame): what is on screen.
  const Frame* Shown() const;

  int Width() const { return width_; }
  int Height() const { return height_; }

  struct Objects;  // the protocol objects, in the implementation

 private:
  WaylandSubsurface(int width, int height);
  bool AddBuffer(std::string& why);
  // Reads and dispatches this surface's events, waiting up to `timeoutMs`
  // for some to arrive. False when the connection has failed.
  bool DispatchEvents(int timeoutMs);

  struct Buffer;
  int width_, height_;
  std::unique_ptr<Objects> objects_;
  std::vector<std::unique_ptr<Buffer>> buffers_;
  BufferDamage damage_;
  int drawing_ = -1;  // the buffer NextFrame() gave
};

}  // namespace torvik::platform
