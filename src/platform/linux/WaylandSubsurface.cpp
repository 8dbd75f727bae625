#include "platform/WaylandSubsurface.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace torvik::platform {
namespace {

// Two buffers suffice while the compositor gives each back as soon as the
// next takes its place; a third and a fourth absorb a late one.
constexpr int kFirstBuffers = 2;
constexpr int kMostBuffers = 4;
constexpr int kWaitSliceMs = 100;

}  // namespace

struct WaylandSubsurface::Objects {
  wl_display* display = nullptr;
  wl_event_queue* queue = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  uint32_t compositorVersion = 0;
  wl_subcompositor* subcompositor = nullptr;
  wl_shm* shm = nullptr;
  wl_surface* surface = nullptr;
  wl_subsurface* subsurface = nullptr;
  int scale = 1;

  ~Objects() {
    if (subsurface) wl_subsurface_destroy(subsurface);
    if (surface) wl_surface_destroy(surface);
    if (shm) wl_shm_destroy(shm);
    if (subcompositor) wl_subcompositor_destroy(subcompositor);
    if (compositor) wl_compositor_destroy(compositor);
    if (registry) wl_registry_destroy(registry);
    if (display) wl_display_flush(display);  // the surface leaves the screen now
    if (queue) wl_event_queue_destroy(queue);
  }
};

struct WaylandSubsurface::Buffer {
  Frame frame;
  size_t bytes = 0;
  wl_buffer* buffer = nullptr;
  bool busy = false;  // attached and not given back yet

  ~Buffer() {
    if (buffer) wl_buffer_destroy(buffer);
    if (frame.pixels) munmap(frame.pixels, bytes);
  }
};

namespace {

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  auto* objects = static_cast<WaylandSubsurface::Objects*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && objects->compositor == nullptr) {
    // Version 4 damages in buffer pixels; 3 sets the buffer scale.
    objects->compositorVersion = std::min<uint32_t>(version, 4);
    objects->compositor = static_cast<wl_compositor*>(
        wl_registry_bind(registry, name, &wl_compositor_interface, objects->compositorVersion));
  } else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0 && objects->subcompositor == nullptr) {
    objects->subcompositor =
        static_cast<wl_subcompositor*>(wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && objects->shm == nullptr) {
    objects->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  }
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnRelease(void* data, wl_buffer*) { *static_cast<bool*>(data) = false; }

const wl_buffer_listener kBufferListener = {OnRelease};

}  // namespace

WaylandSubsurface::WaylandSubsurface(int width, int height)
    : width_(width), height_(height), objects_(std::make_unique<Objects>()), damage_(width, height) {}

WaylandSubsurface::~WaylandSubsurface() {
  buffers_.clear();
  objects_.reset();
}

std::unique_ptr<WaylandSubsurface> WaylandSubsurface::Create(void* display, void* parent, int width, int height,
                                                             int scale, std::string& why) {
  if (display == nullptr || parent == nullptr) {
    why = "no Wayland connection or window surface";
    return nullptr;
  }
  if (width <= 0 || height <= 0 || scale < 1) {
    why = "an empty area";
    return nullptr;
  }
  std::unique_ptr<WaylandSubsurface> made(new WaylandSubsurface(width, height));
  Objects& o = *made->objects_;
  o.display = static_cast<wl_display*>(display);
  o.scale = scale;
  o.queue = wl_display_create_queue(o.display);
  // The registry, and every object made from what it binds, on this queue.
  auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(o.display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), o.queue);
  o.registry = wl_display_get_registry(wrapped);
  wl_proxy_wrapper_destroy(wrapped);
  wl_registry_add_listener(o.registry, &kRegistryListener, &o);
  if (wl_display_roundtrip_queue(o.display, o.queue) < 0) {
    why = "the compositor did not answer";
    return nullptr;
  }
  if (o.compositor == nullptr || o.subcompositor == nullptr || o.shm == nullptr) {
    why = "the compositor offers no subsurfaces or shared memory";
    return nullptr;
  }
  if (scale > 1 && o.compositorVersion < 3) {
    why = "the compositor cannot scale a buffer";
    return nullptr;
  }

  o.surface = wl_compositor_create_surface(o.compositor);
  o.subsurface = wl_subcompositor_get_subsurface(o.subcompositor, o.surface, static_cast<wl_surface*>(parent));
  // Each commit of its own shows at once, without waiting for the parent's.
  wl_subsurface_set_desync(o.subsurface);
  // Input goes through to the window beneath; every pixel is opaque.
  wl_region* none = wl_compositor_create_region(o.compositor);
  wl_surface_set_input_region(o.surface, none);
  wl_region_destroy(none);
  wl_region* whole = wl_compositor_create_region(o.compositor);
  wl_region_add(whole, 0, 0, width / scale, height / scale);
  wl_surface_set_opaque_region(o.surface, whole);
  wl_region_destroy(whole);
  if (scale > 1) wl_surface_set_buffer_scale(o.surface, scale);

  for (int i = 0; i < kFirstBuffers; ++i) {
    if (!made->AddBuffer(why)) return nullptr;
  }
  if (wl_display_flush(o.display) < 0 && errno != EAGAIN) {
    why = "the connection to the compositor failed";
    return nullptr;
  }
  return made;
}

bool WaylandSubsurface::AddBuffer(std::string& why) {
  auto buffer = std::make_unique<Buffer>();
  const int stride = width_ * 4;
  buffer->bytes = static_cast<size_t>(stride) * height_;
  const int fd = memfd_create("torvik-stage", MFD_CLOEXEC);
  if (fd < 0) {
    why = std::string("memfd_create: ") + std::strerror(errno);
    return false;
  }
  int result;
  do result = ftruncate(fd, static_cast<off_t>(buffer->bytes));
  while (result < 0 && errno == EINTR);
  void* pixels = result < 0 ? MAP_FAILED : mmap(nullptr, buffer->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    why = std::string("shared memory: ") + std::strerror(errno);
    close(fd);
    return false;
  }
  buffer->frame = {static_cast<uint8_t*>(pixels), width_, height_, stride};
  wl_shm_pool* pool = wl_shm_create_pool(objects_->shm, fd, static_cast<int32_t>(buffer->bytes));
  buffer->buffer = wl_shm_pool_create_buffer(pool, 0, width_, height_, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);  // the buffer keeps the memory
  close(fd);
  wl_buffer_add_listener(buffer->buffer, &kBufferListener, &buffer->busy);
  buffers_.push_back(std::move(buffer));
  damage_.AddBuffer();
  return true;
}

void WaylandSubsurface::SetPosition(int x, int y) { wl_subsurface_set_position(objects_->subsurface, x, y); }

bool WaylandSubsurface::DispatchEvents(int timeoutMs) {
  wl_display* display = objects_->display;
  wl_event_queue* queue = objects_->queue;
  // Events already read for this queue are dispatched without waiting.
  if (wl_display_prepare_read_queue(display, queue) != 0) {
    return wl_display_dispatch_queue_pending(display, queue) >= 0;
  }
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    return false;
  }
  pollfd ready = {wl_display_get_fd(display), POLLIN, 0};
  int result;
  do result = poll(&ready, 1, timeoutMs);
  while (result < 0 && errno == EINTR);
  if (result > 0) {
    if (wl_display_read_events(display) < 0) return false;
  } else {
    wl_display_cancel_read(display);
  }
  return wl_display_dispatch_queue_pending(display, queue) >= 0;
}

const WaylandSubsurface::Frame* WaylandSubsurface::NextFrame() {
  if (wl_display_dispatch_queue_pending(objects_->display, objects_->queue) < 0) return nullptr;
  // Of the buffers given back, the one that lacks least of the picture.
  auto free = [this] {
    auto chosen = buffers_.end();
    int64_t least = 0;
    for (auto b = buffers_.begin(); b != buffers_.end(); ++b) {
      if ((*b)->busy) continue;
      const int64_t lacks = damage_.MissingPixels(static_cast<int>(b - buffers_.begin()));
      if (chosen == buffers_.end() || lacks < least) chosen = b, least = lacks;
    }
    return chosen;
  };
  auto found = free();
  std::string why;
  if (found == buffers_.end() && static_cast<int>(buffers_.size()) < kMostBuffers && AddBuffer(why)) {
    found = buffers_.end() - 1;
  }
  // Every buffer is the compositor's: wait until it gives one back.
  while (found == buffers_.end()) {
    if (!DispatchEvents(kWaitSliceMs)) return nullptr;
    found = free();
  }
  drawing_ = static_cast<int>(found - buffers_.begin());
  Frame& target = (*found)->frame;
  if (damage_.Latest() >= 0) {
    const Frame& source = buffers_[damage_.Latest()]->frame;
    for (const PixelRect& area : damage_.Missing(drawing_)) {
      for (int row = area.y; row < area.y + area.height; ++row) {
        std::memcpy(target.pixels + static_cast<size_t>(row) * target.stride + area.x * 4,
                    source.pixels + static_cast<size_t>(row) * source.stride + area.x * 4,
                    static_cast<size_t>(area.width) * 4);
      }
    }
  }
  return &target;
}

bool WaylandSubsurface::Present(PixelRect damage) {
  if (drawing_ < 0) return false;
  Objects& o = *objects_;
  Buffer& buffer = *buffers_[drawing_];
  wl_surface_attach(o.surface, buffer.buffer, 0, 0);
  if (o.compositorVersion >= 4) {
    wl_surface_damage_buffer(o.surface, damage.x, damage.y, damage.width, damage.height);
  } else {
    // In surface units, rounded outwards.
    const int left = damage.x / o.scale, top = damage.y / o.scale;
    wl_surface_damage(o.surface, left, top, (damage.x + damage.width + o.scale - 1) / o.scale - left,
                      (damage.y + damage.height + o.scale - 1) / o.scale - top);
  }
  wl_surface_commit(o.surface);
  buffer.busy = true;
  damage_.Shown(drawing_, damage);
  drawing_ = -1;
  // Sent now: a full socket is waited on until the compositor reads it.
  while (wl_display_flush(o.display) < 0) {
    if (errno != EAGAIN) return false;
    pollfd writable = {wl_display_get_fd(o.display), POLLOUT, 0};
    if (poll(&writable, 1, kWaitSliceMs) < 0 && errno != EINTR) return false;
  }
  return true;
}

const WaylandSubsurface::Frame* WaylandSubsurface::Shown() const {
  return damage_.Latest() < 0 ? nullptr : &buffers_[damage_.Latest()]->frame;
}

}  // namespace torvik::platform
