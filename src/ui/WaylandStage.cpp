#include "ui/WaylandStage.h"

#include <qpa/qplatformnativeinterface.h>

#include <QGuiApplication>
#include <QWindow>
#include <cmath>
#include <string>

#include "platform/WaylandSubsurface.h"

namespace torvik {
namespace {

QPlatformNativeInterface* Native() { return QGuiApplication::platformNativeInterface(); }

}  // namespace

bool WaylandStage::OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

WaylandStage::WaylandStage(std::unique_ptr<platform::WaylandSubsurface> surface, Placement placement)
    : surface_(std::move(surface)), placement_(placement) {}

WaylandStage::~WaylandStage() = default;

// Where the box lies in its window's surface: Qt's decorations, drawn by the
// program itself on most compositors, are part of that surface.
WaylandStage::Placement WaylandStage::PlacementOf(const QWidget& box) {
  Placement placement;
  QWindow* window = box.window()->windowHandle();
  if (window == nullptr || Native() == nullptr) return placement;
  placement.surface = Native()->nativeResourceForWindow("surface", window);
  const QMargins frame = window->frameMargins();
  placement.position = box.mapTo(box.window(), QPoint(0, 0)) + QPoint(frame.left(), frame.top());
  placement.size = box.size();
  const qreal ratio = box.devicePixelRatioF();
  placement.scale = std::lround(ratio) == ratio ? static_cast<int>(ratio) : 0;
  return placement;
}

std::unique_ptr<WaylandStage> WaylandStage::Over(const QWidget& box) {
  if (!OnWayland() || !box.isVisible()) return nullptr;
  const Placement placement = PlacementOf(box);
  // A scale between whole numbers has no buffer scale on the protocol.
  if (placement.surface == nullptr || placement.scale < 1 || placement.size.isEmpty()) return nullptr;
  void* display = Native()->nativeResourceForIntegration("wl_display");
  std::string why;
  auto surface =
      platform::WaylandSubsurface::Create(display, placement.surface, placement.size.width() * placement.scale,
                                          placement.size.height() * placement.scale, placement.scale, why);
  if (!surface) {
    qInfo("torvik: the drawing stage uses Qt's window buffers: %s", why.c_str());
    return nullptr;
  }
  surface->SetPosition(placement.position.x(), placement.position.y());
  return std::unique_ptr<WaylandStage>(new WaylandStage(std::move(surface), placement));
}

WaylandStage::Fit WaylandStage::Follow(const QWidget& box) {
  const Placement now = PlacementOf(box);
  if (now == placement_) return Fit::Same;
  if (now.surface != placement_.surface || now.size != placement_.size || now.scale != placement_.scale) {
    return Fit::Lost;
  }
  surface_->SetPosition(now.position.x(), now.position.y());
  placement_.position = now.position;
  return Fit::Moved;
}

QImage& WaylandStage::ImageOver(const void* frame) {
  for (auto& [pixels, image] : images_) {
    if (pixels == frame) return image;
  }
  const auto* f = static_cast<const platform::WaylandSubsurface::Frame*>(frame);
  QImage image(f->pixels, f->width, f->height, f->stride, QImage::Format_RGB32);
  image.setDevicePixelRatio(placement_.scale);
  images_.emplace_back(frame, std::move(image));
  return images_.back().second;
}

QImage& WaylandStage::NextFrame() {
  const platform::WaylandSubsurface::Frame* frame = surface_->NextFrame();
  return frame == nullptr ? none_ : ImageOver(frame);
}

bool WaylandStage::Present(const QRect& area) {
  const int s = placement_.scale;
  return surface_->Present({area.x() * s, area.y() * s, area.width() * s, area.height() * s});
}

const QImage& WaylandStage::Shown() {
  const platform::WaylandSubsurface::Frame* frame = surface_->Shown();
  return frame == nullptr ? none_ : ImageOver(frame);
}

}  // namespace torvik
