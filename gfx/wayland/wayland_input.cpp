#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "gfx/wayland/wayland_window.hpp"
#include "gfx/window.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// The keymap the compositor sends, which every key is looked up in.
void keymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                                                           : MAP_FAILED;
  close(fd);
  if (text == MAP_FAILED) return;
  xkb_keymap* map = xkb_keymap_new_from_string(w.xkb, static_cast<const char*>(text), XKB_KEYMAP_FORMAT_TEXT_V1,
                                               XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(text, size);
  if (map == nullptr) return;
  if (w.key_state != nullptr) xkb_state_unref(w.key_state);
  if (w.keymap != nullptr) xkb_keymap_unref(w.keymap);
  w.keymap = map;
  w.key_state = xkb_state_new(map);
}

bool modifier_active(const WaylandWindow& w, const char* name) {
  return xkb_state_mod_name_is_active(w.key_state, name, XKB_STATE_MODS_EFFECTIVE) > 0;
}

// One key down or up, as X11 reports it: its symbol unshifted and as typed, its character.
void translate(WaylandWindow& w, uint32_t keycode, bool down) {
  const xkb_keysym_t* plain = nullptr;
  const xkb_layout_index_t layout = xkb_state_key_get_layout(w.key_state, keycode);
  const int count = xkb_keymap_key_get_syms_by_level(w.keymap, keycode, layout, 0, &plain);
  const KeysymKey key{down,
                      static_cast<int>(keycode),
                      count > 0 ? plain[0] : 0,
                      xkb_state_key_get_one_sym(w.key_state, keycode),
                      xkb_state_key_get_utf32(w.key_state, keycode),
                      modifier_active(w, XKB_MOD_NAME_SHIFT),
                      modifier_active(w, XKB_MOD_NAME_CTRL),
                      modifier_active(w, XKB_MOD_NAME_ALT)};
  if (keysym_key_event(key, w.right_modifiers) && gfx_window().active) wayland_toggle_fullscreen(w);
}

// A key held down repeats at the compositor's rate after its delay, when the keymap says it
// repeats; the compositor leaves repeating to the window.
void key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t evdev_code, uint32_t state) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  if (w.key_state == nullptr) return;
  const uint32_t keycode = evdev_code + 8;
  const bool down = state == WL_KEYBOARD_KEY_STATE_PRESSED;
  translate(w, keycode, down);
  if (down && w.repeat_rate > 0 && xkb_keymap_key_repeats(w.keymap, keycode)) {
    w.repeat_key = keycode;
    w.next_repeat = Clock::now() + std::chrono::milliseconds(w.repeat_delay);
  } else if (down || keycode == w.repeat_key) {
    w.repeat_key = 0;
  }
}

void modifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked,
               uint32_t group) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  if (w.key_state != nullptr) xkb_state_update_mask(w.key_state, depressed, latched, locked, 0, 0, group);
}

void focus(void* data, bool active) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  w.repeat_key = 0;
  w.right_modifiers = RightModifiers{};
  window_activated(active);
}

const wl_keyboard_listener kKeyboardListener{
    keymap,
    [](void* data, wl_keyboard*, uint32_t, wl_surface*, wl_array*) { focus(data, true); },
    [](void* data, wl_keyboard*, uint32_t, wl_surface*) { focus(data, false); },
    key,
    modifiers,
    [](void* data, wl_keyboard*, int32_t rate, int32_t delay) {
      WaylandWindow& w = *static_cast<WaylandWindow*>(data);
      w.repeat_rate = rate;
      w.repeat_delay = delay;
    }};

// The pointer's place in the window's device pixels, from the surface's logical ones.
void pointer_moved(WaylandWindow& w, wl_fixed_t x, wl_fixed_t y) {
  if (!w.pointer_inside || w.content_width == 0) return;
  window_mouse_moved(static_cast<int32_t>(wl_fixed_to_double(x) * w.width / w.content_width),
                     static_cast<int32_t>(wl_fixed_to_double(y) * w.height / w.content_height));
}

// The frame's own surfaces share the pointer: only the picture's surface counts.
void pointer_entered(void* data, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  w.pointer_inside = surface == w.surface;
  pointer_moved(w, x, y);
}

void pointer_left(void* data, wl_pointer*, uint32_t, wl_surface*) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  if (w.pointer_inside && gfx_window().mouse.inside) window_mouse_left();
  w.pointer_inside = false;
}

// The buttons by their Linux input codes, from BTN_LEFT (0x110) on: left, right, middle, side,
// extra.
void pointer_button(void* data, wl_pointer*, uint32_t, uint32_t time, uint32_t button, uint32_t state) {
  constexpr int32_t kButtonBits[] = {1, 2, 4, 8, 16};
  if (!static_cast<WaylandWindow*>(data)->pointer_inside || button < 0x110 || button >= 0x110 + 5) return;
  window_mouse_clicked(kButtonBits[button - 0x110], state == WL_POINTER_BUTTON_STATE_PRESSED, time);
}

// A wheel's notches: up and right count up.
void pointer_notches(void* data, wl_pointer*, uint32_t axis, int32_t steps) {
  if (!static_cast<WaylandWindow*>(data)->pointer_inside || steps == 0) return;
  const bool horizontal = axis == WL_POINTER_AXIS_HORIZONTAL_SCROLL;
  window_mouse_wheel(horizontal ? steps : -steps, horizontal);
}

const wl_pointer_listener kPointerListener{
    pointer_entered,
    pointer_left,
    [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
      pointer_moved(*static_cast<WaylandWindow*>(data), x, y);
    },
    pointer_button,
    [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    pointer_notches,
    [](void*, wl_pointer*, uint32_t, int32_t) {}};

void seat_capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  const bool has_pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
  if (has_pointer && w.pointer == nullptr) {
    w.pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(w.pointer, &kPointerListener, &w);
  } else if (!has_pointer && w.pointer != nullptr) {
    wl_pointer_release(w.pointer);
    w.pointer = nullptr;
    w.pointer_inside = false;
  }
  const bool has_keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
  if (has_keyboard && w.keyboard == nullptr) {
    w.keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(w.keyboard, &kKeyboardListener, &w);
  } else if (!has_keyboard && w.keyboard != nullptr) {
    wl_keyboard_release(w.keyboard);
    w.keyboard = nullptr;
    w.repeat_key = 0;
  }
}

const wl_seat_listener kSeatListener{seat_capabilities, [](void*, wl_seat*, const char*) {}};

}  // namespace

void wayland_listen_to_seat(WaylandWindow& w) {
  w.repeat_rate = 25;
  w.repeat_delay = 600;
  if (w.seat != nullptr) wl_seat_add_listener(w.seat, &kSeatListener, &w);
}

void wayland_repeat_keys(WaylandWindow& w) {
  if (w.repeat_key == 0 || Clock::now() < w.next_repeat) return;
  translate(w, w.repeat_key, true);
  const auto interval = std::chrono::milliseconds(1000 / w.repeat_rate);
  w.next_repeat += interval;
  if (w.next_repeat < Clock::now()) w.next_repeat = Clock::now() + interval;  // no burst after a stall
}

int wayland_repeat_wait(const WaylandWindow& w, int limit) {
  if (w.repeat_key == 0) return limit;
  const auto due = std::chrono::duration_cast<std::chrono::milliseconds>(w.next_repeat - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(due, 0, limit));
}

void wayland_release_input(WaylandWindow& w) {
  if (w.pointer != nullptr) wl_pointer_release(w.pointer);
  if (w.keyboard != nullptr) wl_keyboard_release(w.keyboard);
  if (w.key_state != nullptr) xkb_state_unref(w.key_state);
  if (w.keymap != nullptr) xkb_keymap_unref(w.keymap);
  w.pointer = nullptr;
  w.keyboard = nullptr;
  w.key_state = nullptr;
  w.keymap = nullptr;
}
