#include "platform/BufferDamage.h"

#include <algorithm>

namespace torvik::platform {

PixelRect BufferDamage::Clipped(PixelRect r) const {
  const int left = std::max(r.x, 0), top = std::max(r.y, 0);
  const int right = std::min(r.x + r.width, width_), bottom = std::min(r.y + r.height, height_);
  return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

int BufferDamage::AddBuffer() {
  missing_.emplace_back();
  if (latest_ >= 0 && width_ > 0 && height_ > 0) missing_.back().push_back({0, 0, width_, height_});
  return Buffers() - 1;
}

int64_t BufferDamage::MissingPixels(int buffer) const {
  int64_t pixels = 0;
  for (const PixelRect& r : missing_[buffer]) pixels += int64_t{r.width} * r.height;
  return pixels;
}

void BufferDamage::Shown(int buffer, PixelRect damage) {
  latest_ = buffer;
  missing_[buffer].clear();
  const PixelRect area = Clipped(damage);
  if (area.Empty()) return;
  for (int other = 0; other < Buffers(); ++other) {
    if (other == buffer) continue;
    std::vector<PixelRect>& lacks = missing_[other];
    // An area inside one already lacking adds nothing.
    const bool covered = std::any_of(lacks.begin(), lacks.end(), [&](const PixelRect& r) {
      return r.x <= area.x && r.y <= area.y && r.x + r.width >= area.x + area.width &&
             r.y + r.height >= area.y + area.height;
    });
    if (covered) continue;
    lacks.push_back(area);
    if (static_cast<int>(lacks.size()) <= kMaxAreas) continue;
    PixelRect around = lacks.front();
    for (const PixelRect& r : lacks) {
      const int right = std::max(around.x + around.width, r.x + r.width);
      const int bottom = std::max(around.y + around.height, r.y + r.height);
      around.x = std::min(around.x, r.x);
      around.y = std::min(around.y, r.y);
      around.width = right - around.x;
      around.height = bottom - around.y;
    }
    lacks.assign(1, around);
  }
}

}  // namespace torvik::platform
