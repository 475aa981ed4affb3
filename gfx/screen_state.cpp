#include <algorithm>

#include "gfx/driver.hpp"
#include "gfx/screen.hpp"
#include "runtime/platform.hpp"

namespace {

GfxScreen* open_screen = nullptr;
thread_local GfxContext context;

void reset_context(const GfxScreen& screen) {
  context.serial = screen.serial;
  context.work_page = 0;
  context.lines.resize(static_cast<size_t>(screen.height));
  for (int32_t y = 0; y < screen.height; ++y) {
    context.lines[static_cast<size_t>(y)] = screen.pages[0].get() + y * screen.pitch;
  }
  context.clip_left = 0;
  context.clip_top = 0;
  context.clip_right = screen.width - 1;
  context.clip_bottom = screen.height - 1;
  context.fg_color = screen.depth >= 5 && screen.depth <= 8 ? 15 : screen.color_mask;
  context.bg_color = screen.color_mask & 0xFF000000u;
}

}  // namespace

void FreeDeleter::operator()(uint8_t* p) const { free_aligned(p); }

GfxScreen* current_screen() { return open_screen; }

void set_current_screen(GfxScreen* screen) { open_screen = screen; }

GfxContext& context_get() {
  if (open_screen != nullptr && context.serial != open_screen->serial) reset_context(*open_screen);
  return context;
}

void screen_lock() {
  GfxScreen* screen = open_screen;
  if (screen == nullptr) return;
  if (screen->lock_count == 0 && screen->driver->lock != nullptr) screen->driver->lock();
  ++screen->lock_count;
}

void screen_unlock(int32_t first_line, int32_t last_line) {
  GfxScreen* screen = open_screen;
  if (screen == nullptr) return;
  if (last_line < 0) last_line = screen->height - 1;
  if (context_get().work_page == screen->visible_page) {
    if (first_line < 0) first_line = 0;
    if (first_line <= last_line && last_line < screen->height) {
      for (int32_t y = first_line; y <= last_line; ++y) screen->dirty[static_cast<size_t>(y)] = 1;
    }
  }
  if (screen->lock_count != 0 && --screen->lock_count == 0 && screen->driver->unlock != nullptr) {
    screen->driver->unlock();
  }
}

void screen_unlock_unmarked() { screen_unlock(1, 0); }

void mark_all_dirty(GfxScreen& screen) { std::fill(screen.dirty.begin(), screen.dirty.end(), 1); }
