#include "gfx/window.hpp"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "gfx/event_queue.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/screen.hpp"
#include "runtime/key_code.hpp"

namespace {

constexpr size_t kClassNameLength = 27;

GfxWindow window;
std::mutex driver_mutex;

}  // namespace

GfxWindow& gfx_window() { return window; }

void window_reset(const char* title, int32_t width, int32_t height, int32_t flags) {
  window.title = title;
  window.width = width;
  window.height = height;
  window.flags = flags;
  window.running = false;
  window.active = false;
  std::memset(window.palette, 0, sizeof window.palette);
  window.palette_changed = false;
  window.bell_requested = false;
  window.mouse = MouseState{};
}

std::string window_class_name() {
  char name[64];
  std::snprintf(name, sizeof name, "%s%p", "qzgfxclass_", static_cast<void*>(&window));
  name[kClassNameLength] = '\0';
  return name;
}

void driver_lock() { driver_mutex.lock(); }

void driver_unlock() { driver_mutex.unlock(); }

void window_set_palette(int32_t index, int32_t red, int32_t green, int32_t blue) {
  window.palette[index & 255] = {static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                 static_cast<uint8_t>(blue), 4};
  window.palette_changed = true;
}

void gfx_tone() {
  screen_lock();
  window.bell_requested = true;
  screen_unlock_unmarked();
}

void window_close_requested() {
  key_push(KEY_WINDOW_CLOSE);
  post_event(EVENT_CLOSE_REQUESTED);
}

void window_activated(bool active) {
  window.active = active;
  GfxScreen* screen = current_screen();
  if (screen != nullptr) std::memset(screen->key_state, 0, sizeof screen->key_state);
  window.mouse.buttons = 0;
  window_exposed();
  post_event(active ? EVENT_ACTIVATED : EVENT_DEACTIVATED);
  if (!active && window.mouse.inside) window_mouse_left();
}

void window_exposed() {
  if (GfxScreen* screen = current_screen()) mark_all_dirty(*screen);
}

void window_fullscreen_switched() {
  window.palette_changed = true;  // which shows every line again too
  window.active = true;
  window.mouse.inside = false;
}

void window_mouse_moved(int32_t x, int32_t y) {
  MouseState& m = window.mouse;
  if (window.active && !m.inside) {
    m.inside = true;
    post_event(EVENT_POINTER_ENTERED);
  }
  const int32_t dx = m.has_last ? x - m.last_x : 0;
  const int32_t dy = m.has_last ? y - m.last_y : 0;
  m.x = x;
  m.y = y;
  m.last_x = x;
  m.last_y = y;
  m.has_last = true;
  if (window.active && (dx != 0 || dy != 0)) post_event(EVENT_MOUSE_MOVED, x, y, dx, dy);
}

void window_mouse_left() {
  window.mouse.inside = false;
  post_event(EVENT_POINTER_LEFT);
}

void window_mouse_button(int32_t bit, bool pressed, bool double_click) {
  if (pressed) {
    window.mouse.buttons |= bit;
    post_event(double_click ? EVENT_DOUBLE_CLICK : EVENT_BUTTON_PRESSED, bit);
  } else {
    window.mouse.buttons &= ~bit;
    post_event(EVENT_BUTTON_RELEASED, bit);
  }
}

void window_mouse_clicked(int32_t bit, bool pressed, uint32_t time_ms) {
  constexpr uint32_t kDoubleClickMs = 400;
  MouseState& m = window.mouse;
  const bool double_click = pressed && bit == m.pressed_bit && time_ms - m.pressed_ms < kDoubleClickMs;
  if (pressed) {
    m.pressed_bit = double_click ? 0 : bit;
    m.pressed_ms = time_ms;
  }
  window_mouse_button(bit, pressed, double_click);
}

void window_mouse_wheel(int32_t notches, bool horizontal) {
  int32_t& counter = horizontal ? window.mouse.horizontal_wheel : window.mouse.wheel;
  counter += notches;
  post_event(horizontal ? EVENT_HORIZONTAL_WHEEL : EVENT_WHEEL, counter);
}
