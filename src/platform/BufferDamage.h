// BufferDamage: which areas each buffer of a surface lacks. A surface that
// the compositor may go on reading after a frame is shown draws each new
// frame in another buffer; that buffer must first take, from the buffer
// shown last, every area drawn since it was itself shown last, and nothing
// more (copying the whole picture for each frame would cost far more than
// drawing a small shape). Pure bookkeeping in pixels, no copying; any
// thread, one object per surface.
#pragma once

#include <cstdint>
#include <vector>

namespace torvik::platform {

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const PixelRect&) const = default;
};

class BufferDamage {
 public:
  // A surface of `width` x `height` pixels.
  BufferDamage(int width, int height) : width_(width), height_(height) {}

  // Adds a buffer and returns its number (0, 1, ...): it lacks the whole
  // picture, once one has been shown.
  int AddBuffer();
  int Buffers() const { return static_cast<int>(missing_.size()); }
  // The buffer shown last, or -1 before the first frame.
  int Latest() const { return latest_; }

  // The areas that `buffer` must take from Latest() to hold the picture
  // shown last, within the surface, none empty; empty when `buffer` is the
  // latest or nothing has been shown. At most kMaxAreas: more are merged
  // into the rectangle around them.
  const std::vector<PixelRect>& Missing(int buffer) const { return missing_[buffer]; }
  // How many pixels bringing `buffer` up to date copies.
  int64_t MissingPixels(int buffer) const;
  // `buffer`, brought up to date and drawn on within `damage`, is shown:
  // it is the latest now, and every other buffer lacks `damage` as well.
  void Shown(int buffer, PixelRect damage);

  static constexpr int kMaxAreas = 16;

 private:
  PixelRect Clipped(PixelRect r) const;

  int width_, height_;
  int latest_ = -1;
  // missing_[b]: what buffer b lacks of the latest picture.
  std::vector<std::vector<PixelRect>> missing_;
};

}  // namespace torvik::platform
