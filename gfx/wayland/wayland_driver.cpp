#include "gfx/wayland/wayland_driver.hpp"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/desktop_scale.hpp"
#include "gfx/posix/window_thread.hpp"
#include "gfx/screen.hpp"
#include "gfx/wayland/pulse_tone.hpp"
#include "gfx/wayland/wayland_window.hpp"
#include "gfx/window.hpp"
#include "runtime/platform.hpp"

namespace {

WaylandWindow wayland;

// Set once the compositor was not there or did not answer in time: it is not asked again, as
// one that never answers would hold every try up.
bool compositor_refused = false;

// What the program says when it cannot go on with the compositor, named at init.
char connection_lost_message[256];
char missing_global_message[256];

// The Wayland library's complaints (a compositor that is not there, XDG_RUNTIME_DIR unset)
// are kept off standard error: the program runs on without this window, silently.
void quiet_log(const char*, va_list) {}

// The desktop's scale for the window changed: out of full screen the window takes its own size
// at the new scale; the buffers are made anew for it.
void scale_changed(WaylandWindow& w) {
  if (!w.configured) return;
  if (!w.fullscreen) {
    int width = 0, height = 0;
    wayland_own_size(w, width, height);
    if (width != w.content_width || height != w.content_height) {
      libdecor_frame_set_min_content_size(w.frame, width, height);
      libdecor_frame_set_max_content_size(w.frame, width, height);
      libdecor_state* size = libdecor_state_new(width, height);
      libdecor_frame_commit(w.frame, size, nullptr);
      libdecor_state_free(size);
      w.content_width = width;
      w.content_height = height;
    }
  }
  wayland_layout_picture(w);
}

// Without fractional scales the buffer takes the scale of the outputs the window is on.
void follow_outputs(WaylandWindow& w) {
  if (w.viewport == nullptr && wayland_output_scale(w) != w.buffer_scale) scale_changed(w);
}

void output_scale(void* data, wl_output* output, int32_t factor) {
  for (WaylandOutput& each : static_cast<WaylandWindow*>(data)->outputs) {
    if (each.output == output) each.scale = std::max(1, factor);
  }
}

void output_done(void* data, wl_output*) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  follow_outputs(w);
}

const wl_output_listener kOutputListener{
    [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
    [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}, output_done, output_scale,
    [](void*, wl_output*, const char*) {}, [](void*, wl_output*, const char*) {}};

void global_added(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  const auto bind = [&](const wl_interface* type, uint32_t wanted) {
    return wl_registry_bind(registry, name, type, std::min(version, wanted));
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    w.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    w.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && w.seat == nullptr) {
    w.seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    auto* output = static_cast<wl_output*>(bind(&wl_output_interface, 2));
    w.outputs.push_back({output, 1, false});
    wl_output_add_listener(output, &kOutputListener, &w);
  } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0) {
    w.fraction_manager = static_cast<wp_fractional_scale_manager_v1*>(bind(&wp_fractional_scale_manager_v1_interface, 1));
  } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
    w.viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
  } else if (std::strcmp(interface, "xdg_wm_base") == 0) {
    w.has_shell = true;
  }
}

const wl_registry_listener kRegistryListener{global_added, [](void*, wl_registry*, uint32_t) {}};

// Waits until the compositor has answered everything asked so far, up to the limit.
bool roundtrip_within(wl_display* display, int limit_ms) {
  bool done = false;
  static const wl_callback_listener kDone{[](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
  wl_callback* callback = wl_display_sync(display);
  wl_callback_add_listener(callback, &kDone, &done);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
  while (!done && std::chrono::steady_clock::now() < deadline) {
    if (!wayland_read(display, 10) || wl_display_dispatch_pending(display) < 0) break;
  }
  wl_callback_destroy(callback);
  return done;
}

void surface_entered(void* data, wl_surface*, wl_output* output, bool entered) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  for (WaylandOutput& each : w.outputs) {
    if (each.output == output) each.entered = entered;
  }
  follow_outputs(w);
}

const wp_fractional_scale_v1_listener kFractionListener{[](void* data, wp_fractional_scale_v1*, uint32_t scale) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  if (static_cast<int>(scale) == w.scale_120ths || scale == 0) return;
  w.scale_120ths = static_cast<int>(scale);
  scale_changed(w);
}};

const wl_surface_listener kSurfaceListener{
    [](void* data, wl_surface* surface, wl_output* output) { surface_entered(data, surface, output, true); },
    [](void* data, wl_surface* surface, wl_output* output) { surface_entered(data, surface, output, false); }};

// The compositor gave the frame a size and state: the picture's own size in a window (a resize
// is refused), the size given in full screen. A maximise becomes full screen.
void frame_configure(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
  WaylandWindow& w = *static_cast<WaylandWindow*>(data);
  GfxWindow& window = gfx_window();
  libdecor_window_state state = LIBDECOR_WINDOW_STATE_NONE;
  libdecor_configuration_get_window_state(configuration, &state);
  const bool fullscreen = state & LIBDECOR_WINDOW_STATE_FULLSCREEN;
  if ((state & LIBDECOR_WINDOW_STATE_MAXIMIZED) && !fullscreen) {
    libdecor_frame_unset_maximized(frame);
    if (!w.fullscreen) wayland_toggle_fullscreen(w);
  }
  int width = 0, height = 0;
  if (!fullscreen || !libdecor_configuration_get_content_size(configuration, frame, &width, &height)) {
    wayland_own_size(w, width, height);
  }
  if (fullscreen != w.fullscreen) {
    if (window.mouse.inside) window_mouse_left();
    w.fullscreen = fullscreen;
    window.flags ^= GFX_FULLSCREEN;
    window_fullscreen_switched();
  }
  libdecor_state* size = libdecor_state_new(width, height);
  libdecor_frame_commit(frame, size, configuration);
  libdecor_state_free(size);
  wl_surface_commit(w.surface);  // the compositor waits for the acknowledged state's commit
  const bool resized = !w.configured || width != w.content_width || height != w.content_height;
  w.content_width = width;
  w.content_height = height;
  w.configured = true;
  if (resized) wayland_layout_picture(w);
}

libdecor_frame_interface frame_interface{
    frame_configure, [](libdecor_frame*, void*) { window_close_requested(); },
    [](libdecor_frame*, void* data) { wl_surface_commit(static_cast<WaylandWindow*>(data)->surface); },
    [](libdecor_frame*, const char*, void*) {}, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr};

libdecor_interface decor_interface{[](libdecor*, libdecor_error, const char*) { wayland_connection_lost(); },
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr};

// Connects to the compositor WAYLAND_DISPLAY names, when it names one that answers.
bool connect() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (name == nullptr || name[0] == '\0') return false;
  wl_log_set_handler_client(quiet_log);
  wayland.display = wl_display_connect(nullptr);
  compositor_refused = wayland.display == nullptr;
  if (compositor_refused) return false;
  wayland.registry = wl_display_get_registry(wayland.display);
  wl_registry_add_listener(wayland.registry, &kRegistryListener, &wayland);
  compositor_refused = !roundtrip_within(wayland.display, kWindowOpenLimitMs) || wayland.compositor == nullptr;
  return !compositor_refused;
}

// The frame around the surface: the compositor's where it draws one, libdecor's own otherwise.
// Its content is the picture's size, which it keeps.
void make_frame() {
  const GfxWindow& w = gfx_window();
  wayland.decor = libdecor_new(wayland.display, &decor_interface);
  wayland.frame = libdecor_decorate(wayland.decor, wayland.surface, &frame_interface, &wayland);
  libdecor_frame_set_title(wayland.frame, w.title.c_str());
  libdecor_frame_set_app_id(wayland.frame, w.title.c_str());
  int width = 0, height = 0;
  wayland_own_size(wayland, width, height);
  libdecor_frame_set_min_content_size(wayland.frame, width, height);
  libdecor_frame_set_max_content_size(wayland.frame, width, height);
  libdecor_frame_unset_capabilities(wayland.frame, LIBDECOR_ACTION_RESIZE);
  if (w.flags & GFX_FULLSCREEN) libdecor_frame_set_fullscreen(wayland.frame, nullptr);
  libdecor_frame_map(wayland.frame);
}

bool open_window() {
  if (!connect()) return false;
  if (wayland.shm == nullptr || !wayland.has_shell) fatal_exit(missing_global_message);
  wayland.xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  wayland_listen_to_seat(wayland);
  wayland.surface = wl_compositor_create_surface(wayland.compositor);
  wl_surface_add_listener(wayland.surface, &kSurfaceListener, &wayland);
  wayland.scale_120ths = 120;
  if (wayland.fraction_manager != nullptr && wayland.viewporter != nullptr) {
    wayland.fraction = wp_fractional_scale_manager_v1_get_fractional_scale(wayland.fraction_manager, wayland.surface);
    wp_fractional_scale_v1_add_listener(wayland.fraction, &kFractionListener, &wayland);
    wayland.viewport = wp_viewporter_get_viewport(wayland.viewporter, wayland.surface);
  }
  make_frame();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWindowOpenLimitMs);
  while (!wayland.configured && std::chrono::steady_clock::now() < deadline) {
    if (!wayland_read(wayland.display, kPresentCycleMs)) wayland_connection_lost();
    wayland_dispatch(wayland);
  }
  compositor_refused = !wayland.configured;
  return wayland.configured;
}

void close_window() {
  pulse_tone_wait();
  wayland_release_input(wayland);
  wayland_destroy_buffers(wayland);
  if (wayland.frame != nullptr) libdecor_frame_unref(wayland.frame);
  if (wayland.viewport != nullptr) wp_viewport_destroy(wayland.viewport);
  if (wayland.fraction != nullptr) wp_fractional_scale_v1_destroy(wayland.fraction);
  if (wayland.surface != nullptr) wl_surface_destroy(wayland.surface);
  if (wayland.decor != nullptr) libdecor_unref(wayland.decor);
  for (const WaylandOutput& each : wayland.outputs) wl_output_destroy(each.output);
  if (wayland.seat != nullptr) wl_seat_destroy(wayland.seat);
  if (wayland.viewporter != nullptr) wp_viewporter_destroy(wayland.viewporter);
  if (wayland.fraction_manager != nullptr) wp_fractional_scale_manager_v1_destroy(wayland.fraction_manager);
  if (wayland.shm != nullptr) wl_shm_destroy(wayland.shm);
  if (wayland.compositor != nullptr) wl_compositor_destroy(wayland.compositor);
  if (wayland.registry != nullptr) wl_registry_destroy(wayland.registry);
  if (wayland.display != nullptr) wl_display_disconnect(wayland.display);
  if (wayland.xkb != nullptr) xkb_context_unref(wayland.xkb);
  wayland = WaylandWindow{};
}

// One cycle: take what the compositor sent, repeat a held key, show what changed and ring the
// bell, all under the driver lock.
void present_cycle() {
  GfxWindow& w = gfx_window();
  driver_lock();
  wayland_dispatch(wayland);
  wayland_repeat_keys(wayland);
  GfxScreen* screen = current_screen();
  if (screen != nullptr) wayland_present(wayland, *screen);
  if (w.bell_requested) {
    pulse_tone_play(w.title.c_str());
    w.bell_requested = false;
  }
  driver_unlock();
}

// The cycle's wait (shorter when a held key is due to repeat), then one cycle.
void wait_and_present() {
  if (!wayland_read(wayland.display, wayland_repeat_wait(wayland, kPresentCycleMs))) wayland_connection_lost();
  present_cycle();
}

int32_t init(const char* title, int32_t width, int32_t height, int32_t, int32_t, int32_t flags) {
  if ((flags & GFX_OPENGL) || compositor_refused) return -1;
  window_reset(title, width, height, flags);
  std::snprintf(connection_lost_message, sizeof connection_lost_message,
                "%s: lost the connection to the Wayland compositor\n", title);
  std::snprintf(missing_global_message, sizeof missing_global_message,
                "%s: the Wayland compositor offers no shared memory or no desktop windows\n", title);
  return start_window_thread({open_window, wait_and_present, close_window, nullptr}) ? 0 : -1;
}

}  // namespace

void wayland_connection_lost() { fatal_exit(connection_lost_message); }

bool wayland_read(wl_display* display, int timeout_ms) {
  if (wl_display_prepare_read(display) != 0) return true;  // events wait to be dispatched
  // A broken connection shows in the read below; what a full one holds back goes next time.
  wl_display_flush(display);
  pollfd events{wl_display_get_fd(display), POLLIN, 0};
  const int ready = poll(&events, 1, timeout_ms);
  if (ready <= 0) {
    wl_display_cancel_read(display);
    return ready == 0 || errno == EINTR;
  }
  return wl_display_read_events(display) == 0;
}

void wayland_dispatch(WaylandWindow& w) {
  if (wl_display_dispatch_pending(w.display) < 0) wayland_connection_lost();
}

int wayland_output_scale(const WaylandWindow& w) {
  int entered = 0, any = 1;
  for (const WaylandOutput& each : w.outputs) {
    if (each.entered) entered = std::max(entered, each.scale);
    any = std::max(any, each.scale);
  }
  return entered > 0 ? entered : any;
}

void wayland_own_size(const WaylandWindow& w, int& width, int& height) {
  const GfxWindow& window = gfx_window();
  if (w.viewport == nullptr) {
    width = window.width;
    height = window.height;
    return;
  }
  const int scale = whole_scale(w.scale_120ths / 120.0);
  width = covering_logical_size(window.width * scale, w.scale_120ths);
  height = covering_logical_size(window.height * scale, w.scale_120ths);
}

void wayland_toggle_fullscreen(WaylandWindow& w) {
  if (gfx_window().flags & GFX_NO_SWITCHING) return;
  if (w.fullscreen) {
    libdecor_frame_unset_fullscreen(w.frame);
  } else {
    libdecor_frame_set_fullscreen(w.frame, nullptr);
  }
}

const GfxDriver kWaylandDriver{"Wayland", init, stop_window_thread, driver_lock, driver_unlock, window_set_palette};
