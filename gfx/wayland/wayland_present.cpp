#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "gfx/desktop_scale.hpp"
#include "gfx/present.hpp"
#include "gfx/screen.hpp"
#include "gfx/wayland/wayland_window.hpp"
#include "gfx/window.hpp"
#include "runtime/platform.hpp"

namespace {

constexpr DisplayFormat kXrgb8888{0xFF0000, 0x00FF00, 0x0000FF, 4};

// Every pixel's unused byte is set: some compositors (weston's pixman renderer) read it as
// alpha, and show a pixel with it clear as transparent.
constexpr uint32_t kOpaque = 0xFF000000;

[[noreturn]] void no_memory() {
  fatal_exit((gfx_window().title + ": no shared memory for the window's picture\n").c_str());
}

const wl_buffer_listener kBufferListener{
    [](void* data, wl_buffer*) { static_cast<WaylandBuffer*>(data)->busy = false; }};

// Memory the compositor maps too, wholly allocated now: a full shared-memory file system fails
// here, not with a bus error at the first pixel. (Where the program ends, its descriptors close
// with it.)
int shared_memory(size_t size) {
  const int fd = memfd_create("qz-window", MFD_CLOEXEC);
  if (fd < 0 || posix_fallocate(fd, 0, static_cast<off_t>(size)) != 0) no_memory();
  return fd;
}

void make_buffers(WaylandWindow& w) {
  w.memory_size = static_cast<size_t>(w.stride) * static_cast<size_t>(w.height) * 2;
  const int fd = shared_memory(w.memory_size);
  void* memory = mmap(nullptr, w.memory_size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) no_memory();
  w.memory = static_cast<uint8_t*>(memory);
  std::fill_n(static_cast<uint32_t*>(memory), w.memory_size / 4, kOpaque);  // black around the picture
  wl_shm_pool* pool = wl_shm_create_pool(w.shm, fd, static_cast<int32_t>(w.memory_size));
  for (int i = 0; i < 2; ++i) {
    WaylandBuffer& b = w.buffers[i];
    b = WaylandBuffer{wl_shm_pool_create_buffer(pool, i * w.stride * w.height, w.width, w.height, w.stride,
                                                WL_SHM_FORMAT_XRGB8888),
                      w.memory + static_cast<size_t>(i) * w.stride * w.height, false, 0, -1};
    wl_buffer_add_listener(b.buffer, &kBufferListener, &b);
  }
  wl_shm_pool_destroy(pool);
  close(fd);
}

// A buffer the compositor does not hold, brought up to the picture shown last.
WaylandBuffer* free_buffer(WaylandWindow& w) {
  for (WaylandBuffer& b : w.buffers) {
    if (b.busy) continue;
    if (w.shown != nullptr && &b != w.shown && b.stale_first <= b.stale_last) {
      const size_t from = static_cast<size_t>(b.stale_first) * w.stride;
      const size_t rows = static_cast<size_t>(b.stale_last - b.stale_first + 1);
      std::memcpy(b.pixels + from, w.shown->pixels + from, rows * w.stride);
    }
    b.stale_first = 0;
    b.stale_last = -1;
    return &b;
  }
  return nullptr;
}

const wl_callback_listener kFrameDone{[](void* data, wl_callback* callback, uint32_t) {
  static_cast<WaylandWindow*>(data)->frame_done = nullptr;
  wl_callback_destroy(callback);
}};

// Commits the buffer drawn into, its rows first to last changed, and marks them stale in the
// other buffer.
void commit(WaylandWindow& w, int first, int last) {
  WaylandBuffer& b = *w.drawn;
  wl_surface_attach(w.surface, b.buffer, 0, 0);
  wl_surface_damage_buffer(w.surface, 0, first, w.width, last - first + 1);
  w.frame_done = wl_surface_frame(w.surface);
  wl_callback_add_listener(w.frame_done, &kFrameDone, &w);
  wl_surface_commit(w.surface);
  b.busy = true;
  w.shown = &b;
  WaylandBuffer& other = w.buffers[&b == w.buffers ? 1 : 0];
  const bool had_stale = other.stale_first <= other.stale_last;
  other.stale_first = had_stale ? std::min(other.stale_first, first) : first;
  other.stale_last = had_stale ? std::max(other.stale_last, last) : last;
}

}  // namespace

void wayland_layout_picture(WaylandWindow& w) {
  const GfxWindow& window = gfx_window();
  if (w.viewport != nullptr) {
    w.buffer_scale = 1;
    w.width = device_pixels(w.content_width, w.scale_120ths);
    w.height = device_pixels(w.content_height, w.scale_120ths);
    wp_viewport_set_destination(w.viewport, w.content_width, w.content_height);
  } else {
    w.buffer_scale = wayland_output_scale(w);
    w.width = w.content_width * w.buffer_scale;
    w.height = w.content_height * w.buffer_scale;
  }
  w.stride = w.width * 4;
  w.scale = std::max(1, std::min(w.width / window.width, w.height / window.height));
  w.offset_x = std::max(0, (w.width - window.width * w.scale) / 2);
  w.offset_y = std::max(0, (w.height - window.height * w.scale) / 2);
  wayland_destroy_buffers(w);
  make_buffers(w);
  wl_surface_set_buffer_scale(w.surface, w.buffer_scale);
  window_exposed();
}

void wayland_destroy_buffers(WaylandWindow& w) {
  for (WaylandBuffer& b : w.buffers) {
    if (b.buffer != nullptr) wl_buffer_destroy(b.buffer);
    b = WaylandBuffer{};
  }
  if (w.frame_done != nullptr) wl_callback_destroy(w.frame_done);
  w.frame_done = nullptr;
  if (w.memory != nullptr) munmap(w.memory, w.memory_size);
  w.memory = nullptr;
  w.shown = w.drawn = nullptr;
}

void wayland_present(WaylandWindow& w, GfxScreen& screen) {
  const Presenter presenter{
      kXrgb8888, &w.lut, w.scale,
      [&w](const PaletteEntry*) {
        for (uint32_t& pixel : w.lut) pixel |= kOpaque;
      },
      [&w] {
        w.drawn = w.frame_done != nullptr || !w.configured ? nullptr : free_buffer(w);
        if (w.drawn == nullptr) return PictureLines{nullptr, 0};
        return PictureLines{w.drawn->pixels + static_cast<ptrdiff_t>(w.offset_y) * w.stride + w.offset_x * 4,
                            w.stride};
      },
      [&w](int32_t first, int32_t last) { commit(w, w.offset_y + first, w.offset_y + last); }};
  present_dirty_lines(screen, presenter);
}
