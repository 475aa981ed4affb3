#include "gfx/desktop_scale.hpp"
#include "gfx/driver.hpp"
#include "gfx/win32/win32_window.hpp"
#include "gfx/window.hpp"
#include "runtime/device_hooks.hpp"
#include "runtime/platform.hpp"

#include <windowsx.h>

#include <algorithm>

namespace {

// Caption, system menu, minimise and maximise boxes; the fixed one without the maximise box.
constexpr DWORD kFramedStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD kFixedStyle = kFramedStyle & ~static_cast<DWORD>(WS_MAXIMIZEBOX);
constexpr DWORD kBareStyle = WS_VISIBLE | WS_POPUP;

Win32Window w32;

template <typename Function>
void look_up(HMODULE user32, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

void look_up_user32_extras() {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  User32Extras& u = w32.user32;
  look_up(user32, "SetLayeredWindowAttributes", u.set_layered_window_attributes);
  look_up(user32, "MonitorFromWindow", u.monitor_from_window);
  look_up(user32, "MonitorFromPoint", u.monitor_from_point);
  look_up(user32, "FlashWindowEx", u.flash_window_ex);
  look_up(user32, "TrackMouseEvent", u.track_mouse_event);
  look_up(user32, "GetMonitorInfoA", u.get_monitor_info);
  look_up(user32, "ChangeDisplaySettingsExA", u.change_display_settings_ex);
  look_up(user32, "GetDpiForWindow", u.get_dpi_for_window);
}

// The dots per inch of the window's monitor; before the window exists, or without a way to ask
// for its monitor, the system's.
UINT monitor_dpi() {
  if (w32.window != nullptr && w32.user32.get_dpi_for_window != nullptr) {
    if (const UINT dpi = w32.user32.get_dpi_for_window(w32.window); dpi != 0) return dpi;
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

HMONITOR monitor_under_pointer() {
  POINT pointer{};
  GetCursorPos(&pointer);
  return w32.user32.monitor_from_point != nullptr
             ? w32.user32.monitor_from_point(pointer, MONITOR_DEFAULTTOPRIMARY)
             : nullptr;
}

// The monitor's rectangle and work area (without the task bar); the primary screen's whole
// rectangle for both where the monitor cannot be asked.
MONITORINFO monitor_info(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor == nullptr || w32.user32.get_monitor_info == nullptr || !w32.user32.get_monitor_info(monitor, &info)) {
    info.rcMonitor = info.rcWork = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return info;
}

// The window's monitor; before the window exists, the one under the pointer.
HMONITOR window_monitor() {
  if (w32.window != nullptr && w32.user32.monitor_from_window != nullptr) {
    return w32.user32.monitor_from_window(w32.window, MONITOR_DEFAULTTOPRIMARY);
  }
  return monitor_under_pointer();
}

DWORD window_style(int32_t flags) {
  if (flags & (GFX_FULLSCREEN | GFX_NO_FRAME)) return kBareStyle;
  return (flags & GFX_NO_SWITCHING) ? kFixedStyle : kFramedStyle;
}

// The outer size of a window of the style around the client area at the current scale.
SIZE outer_size(DWORD style) {
  const GfxWindow& w = gfx_window();
  RECT outer{0, 0, w.width * w32.scale, w.height * w32.scale};
  AdjustWindowRect(&outer, style, FALSE);
  return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

// Resizes the window by what its client area lacks of the picture's size at the current scale
// (or has too much): after a change of scale, or with a frame drawn at another density than
// the system's.
void fit_window() {
  const GfxWindow& w = gfx_window();
  RECT client{};
  GetClientRect(w32.window, &client);
  const SIZE lacking{w.width * w32.scale - client.right, w.height * w32.scale - client.bottom};
  if (lacking.cx == 0 && lacking.cy == 0) return;
  w32.outer = SIZE{w32.outer.cx + lacking.cx, w32.outer.cy + lacking.cy};
  SetWindowPos(w32.window, nullptr, 0, 0, w32.outer.cx, w32.outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The scale of a monitor of the dots per inch (96 is 1), lowered until the framed window fits
// the monitor's work area; 1 in full screen, where the display's mode is the picture's size.
void take_scale(UINT dpi) {
  const GfxWindow& w = gfx_window();
  if (w.flags & GFX_FULLSCREEN) {
    w32.scale = 1;
    return;
  }
  RECT frame{0, 0, 0, 0};
  AdjustWindowRect(&frame, window_style(w.flags), FALSE);
  const RECT work = monitor_info(window_monitor()).rcWork;
  w32.scale = fitting_scale(whole_scale(static_cast<double>(dpi) / USER_DEFAULT_SCREEN_DPI), w.width, w.height,
                            work.right - work.left - (frame.right - frame.left),
                            work.bottom - work.top - (frame.bottom - frame.top));
}


// Dispatches every pending message of the presentation thread without waiting; a key
// message among them sets keys_changed.
void pump_messages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) w32.keys_changed = true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Presentation thread: opens the window and the presentation, says so, and presents every
// cycle until exit; then closes both. A failure ends the thread before the ready event. The
// wait between cycles ends early when a message arrives, and the queue is emptied only then:
// under Wine a look into an empty queue costs as much as the wait itself.
DWORD WINAPI presentation_thread(void*) {
  GfxWindow& w = gfx_window();
  if (!win32_open_window() || !w32.presentation->open()) {
    w32.presentation->close();  // what the presentation made before it failed
    win32_close_window();
    return 1;
  }
  w.running = true;
  w.active = true;
  SetEvent(w32.ready);
  bool messages = true;
  while (w.running) {
    driver_lock();
    w32.presentation->cycle();
    if (messages) pump_messages();
    const bool bell = w.bell_requested;
    w.bell_requested = false;
    driver_unlock();
    if (bell) Beep(kToneHertz, kToneMilliseconds);  // the statements need not wait for it
    // Messages already looked at but left in the queue (a library may look) count too.
    messages = MsgWaitForMultipleObjectsEx(0, nullptr, kPresentCycleMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
  }
  w32.presentation->close();
  win32_close_window();
  return 0;
}

void restore_screen_saver() {
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(w32.saved_screen_saver), nullptr, 0);
}

// Ends the program with the message after the window's title, giving back the screen saver.
[[noreturn]] void end_with(const char* message) {
  restore_screen_saver();
  fatal_exit((gfx_window().title + message).c_str());
}

// What the layer changed in the system, undone when the window goes or could not open.
void release_layer() {
  if (w32.thread != nullptr) CloseHandle(w32.thread);
  if (w32.ready != nullptr) CloseHandle(w32.ready);
  w32.thread = w32.ready = nullptr;
  w32.wide = {};
  w32.cp437 = {};
  restore_screen_saver();
  if (w32.class_registered) UnregisterClassA(w32.class_name.c_str(), w32.instance);
  w32.class_registered = false;
}

bool register_class() {
  w32.class_name = window_class_name();
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = w32.instance;
  window_class.hIcon = LoadIconA(w32.instance, "QZ_PROGRAM_ICON");
  if (window_class.hIcon == nullptr) window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.lpszClassName = w32.class_name.c_str();
  w32.class_registered = RegisterClassExA(&window_class) != 0;
  return w32.class_registered;
}

// Switches between the window and full screen: the window and the presentation are made
// again; when full screen cannot be had, as they were.
void toggle_fullscreen() {
  GfxWindow& w = gfx_window();
  if (w.mouse.inside) window_mouse_left();
  if (w.flags & GFX_NO_SWITCHING) return;
  if (w32.user32.monitor_from_window != nullptr) {
    w32.monitor = w32.user32.monitor_from_window(w32.window, MONITOR_DEFAULTTOPRIMARY);
  }
  w32.presentation->close();
  win32_close_window();
  w.flags ^= GFX_FULLSCREEN;
  if (!win32_open_window() || !w32.presentation->open()) {
    w32.presentation->close();
    win32_close_window();
    w.flags ^= GFX_FULLSCREEN;
    if (!win32_open_window() || !w32.presentation->open()) {
      w32.presentation->close();
      win32_close_window();
      end_with(": the window could not be made again after a refused switch of the display\n");
    }
  }
  window_fullscreen_switched();
}

// The window's messages, one handler each. A handler returns true with the result when the
// message needs no default processing.
using MessageHandler = bool (*)(HWND window, UINT message, WPARAM first, LPARAM second,
                                LRESULT& result);

bool on_close(HWND, UINT, WPARAM, LPARAM, LRESULT& result) {
  window_close_requested();
  result = 0;
  return true;
}

bool on_char(HWND, UINT, WPARAM value, LPARAM data, LRESULT&) {
  if (value <= 255) win32_char_message(value, data);
  return false;
}

bool on_key(HWND, UINT message, WPARAM key, LPARAM data, LRESULT& result) {
  const bool alt_held = (data & (1 << 29)) != 0;
  if (message == WM_SYSKEYDOWN && key == VK_RETURN && alt_held) {
    if (gfx_window().active) toggle_fullscreen();
    result = 0;
    return true;
  }
  result = 0;
  return win32_key_message(message, key, data);
}

bool on_size(HWND, UINT, WPARAM kind, LPARAM, LRESULT& result) {
  if (kind != SIZE_MAXIMIZED || !gfx_window().active) return false;
  toggle_fullscreen();  // the maximise box switches to full screen
  result = 0;
  return true;
}

bool on_size_limits(HWND, UINT, WPARAM, LPARAM second, LRESULT& result) {
  auto* limits = reinterpret_cast<MINMAXINFO*>(second);
  const POINT outer{w32.outer.cx, w32.outer.cy};
  limits->ptMinTrackSize = limits->ptMaxTrackSize = limits->ptMaxSize = outer;
  result = 0;
  return true;
}

// On another monitor the window takes that monitor's scale and frame at the place the system
// suggests, with a presentation of the new size when the scale changed.
bool on_dpi_changed(HWND window, UINT, WPARAM first, LPARAM second, LRESULT& result) {
  const GfxWindow& w = gfx_window();
  if (w.flags & GFX_FULLSCREEN) return false;
  const int32_t scale = w32.scale;
  take_scale(LOWORD(first));
  if (scale != w32.scale) w32.presentation->close();
  const RECT& suggested = *reinterpret_cast<const RECT*>(second);
  SetWindowPos(window, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  fit_window();
  if (scale != w32.scale && !w32.presentation->open()) {
    end_with(": the window could not be shown at its new monitor's scale\n");
  }
  window_exposed();
  result = 0;
  return true;
}

bool on_activate(HWND, UINT, WPARAM first, LPARAM, LRESULT&) {
  const bool active = LOWORD(first) != WA_INACTIVE && HIWORD(first) == 0;
  if (gfx_window().flags & GFX_RAISED_PRIORITY) {
    SetThreadPriority(GetCurrentThread(), active ? THREAD_PRIORITY_ABOVE_NORMAL : THREAD_PRIORITY_NORMAL);
  }
  window_activated(active);
  w32.keys_changed = true;
  return false;
}

bool on_paint(HWND window, UINT, WPARAM, LPARAM, LRESULT& result) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  if (dc != nullptr) w32.presentation->paint(dc);
  EndPaint(window, &paint);
  result = 0;
  return true;
}

bool on_display_change(HWND window, UINT, WPARAM, LPARAM, LRESULT&) {
  const HDC dc = GetDC(window);
  if (dc != nullptr) {
    w32.presentation->paint(dc);
    ReleaseDC(window, dc);
  }
  window_exposed();
  return false;
}

bool on_set_cursor(HWND, UINT, WPARAM, LPARAM second, LRESULT& result) {
  const bool inside = LOWORD(second) == HTCLIENT;
  SetCursor(!inside || w32.cursor_visible ? LoadCursorA(nullptr, IDC_ARROW) : nullptr);
  result = 1;
  return true;
}

bool on_mouse_move(HWND window, UINT, WPARAM, LPARAM second, LRESULT&) {
  const bool was_inside = gfx_window().mouse.inside;
  window_mouse_moved(GET_X_LPARAM(second), GET_Y_LPARAM(second));
  if (!was_inside && gfx_window().mouse.inside && w32.user32.track_mouse_event != nullptr) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
    w32.user32.track_mouse_event(&track);
  }
  return false;
}

bool on_mouse_leave(HWND, UINT, WPARAM, LPARAM, LRESULT&) {
  if (gfx_window().mouse.inside) window_mouse_left();
  return false;
}

int32_t button_bit(UINT message, WPARAM first) {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: return 1;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return 2;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return 4;
    default: return GET_XBUTTON_WPARAM(first) == XBUTTON1 ? 8 : 16;
  }
}

bool on_button(HWND window, UINT message, WPARAM first, LPARAM, LRESULT&) {
  const bool released = message == WM_LBUTTONUP || message == WM_RBUTTONUP ||
                        message == WM_MBUTTONUP || message == WM_XBUTTONUP;
  const bool double_click = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK ||
                            message == WM_MBUTTONDBLCLK || message == WM_XBUTTONDBLCLK;
  window_mouse_button(button_bit(message, first), !released, double_click);
  if (released && gfx_window().mouse.buttons == 0) {
    ReleaseCapture();
  } else if (!released) {
    SetCapture(window);  // the pointer stays ours while a button is held
  }
  return false;
}

// Wheels that turn finer than a notch send parts of one: they add up to whole notches.
bool on_wheel(HWND, UINT message, WPARAM first, LPARAM, LRESULT&) {
  const bool horizontal = message == WM_MOUSEHWHEEL;
  int32_t& turned = w32.wheel_turned[horizontal ? 1 : 0];
  turned += GET_WHEEL_DELTA_WPARAM(first);
  const int32_t notches = turned / WHEEL_DELTA;
  turned -= notches * WHEEL_DELTA;
  if (notches != 0) window_mouse_wheel(notches, horizontal);
  return false;
}

struct MessageRow {
  UINT message;
  MessageHandler handler;
};

constexpr MessageRow kMessages[] = {
    {WM_CLOSE, on_close},           {WM_CHAR, on_char},
    {WM_KEYDOWN, on_key},           {WM_KEYUP, on_key},
    {WM_SYSKEYDOWN, on_key},        {WM_SIZE, on_size},
    {WM_GETMINMAXINFO, on_size_limits}, {WM_ACTIVATE, on_activate},
    {WM_PAINT, on_paint},           {WM_DISPLAYCHANGE, on_display_change},
    {WM_SETCURSOR, on_set_cursor},  {WM_MOUSEMOVE, on_mouse_move},
    {WM_MOUSELEAVE, on_mouse_leave}, {WM_LBUTTONDOWN, on_button},
    {WM_LBUTTONUP, on_button},      {WM_LBUTTONDBLCLK, on_button},
    {WM_RBUTTONDOWN, on_button},    {WM_RBUTTONUP, on_button},
    {WM_RBUTTONDBLCLK, on_button},  {WM_MBUTTONDOWN, on_button},
    {WM_MBUTTONUP, on_button},      {WM_MBUTTONDBLCLK, on_button},
    {WM_XBUTTONDOWN, on_button},    {WM_XBUTTONUP, on_button},
    {WM_XBUTTONDBLCLK, on_button},  {WM_MOUSEWHEEL, on_wheel},
    {WM_MOUSEHWHEEL, on_wheel},     {WM_DPICHANGED, on_dpi_changed},
};

}  // namespace

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM first, LPARAM second) {
  for (const MessageRow& row : kMessages) {
    LRESULT result = 0;
    if (row.message == message && row.handler(window, message, first, second, result)) return result;
  }
  return DefWindowProcA(window, message, first, second);
}

Win32Window& win32_window() { return w32; }

int32_t win32_window_init(const Win32Presentation& presentation, const char* title, int32_t width,
                          int32_t height, int32_t refresh_rate, int32_t flags, bool placed) {
  window_reset(title, width, height, flags);
  w32 = Win32Window{};
  w32.refresh_rate = refresh_rate;
  w32.placed = placed;
  w32.presentation = &presentation;
  w32.instance = GetModuleHandleA(nullptr);
  const DWORD version = GetVersion();
  w32.version = static_cast<int32_t>((version & 0xFF) * 256 + ((version >> 8) & 0xFF));
  look_up_user32_extras();
  w32.monitor = monitor_under_pointer();
  w32.cursor_visible = true;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &w32.saved_screen_saver, 0);
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
  w32.ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (register_class() && w32.ready != nullptr) {
    w32.thread = CreateThread(nullptr, 0, presentation_thread, nullptr, 0, nullptr);
  }
  if (w32.thread != nullptr) {
    const HANDLE either[] = {w32.ready, w32.thread};
    if (WaitForMultipleObjects(2, either, FALSE, INFINITE) == WAIT_OBJECT_0) {
      if (flags & GFX_RAISED_PRIORITY) SetThreadPriority(w32.thread, THREAD_PRIORITY_ABOVE_NORMAL);
      return 0;
    }
    WaitForSingleObject(w32.thread, INFINITE);
  }
  release_layer();
  return -1;
}

void win32_window_exit() {
  GfxWindow& w = gfx_window();
  if (!w.running) return;
  w.running = false;
  // exit runs on the program's thread between statements, never inside screen_lock: the
  // driver lock is free for the presentation's last cycle.
  WaitForSingleObject(w32.thread, INFINITE);
  release_layer();
}

bool win32_open_window() {
  const GfxWindow& w = gfx_window();
  const DWORD style = window_style(w.flags);
  take_scale(monitor_dpi());
  w32.outer = outer_size(style);
  const RECT monitor = monitor_info(monitor_under_pointer()).rcMonitor;
  int x = monitor.left + (monitor.right - monitor.left - w32.outer.cx) / 2;
  int y = monitor.top + (monitor.bottom - monitor.top - w32.outer.cy) / 2;
  if (w32.placed) {
    x = w32.position ? w32.position->x : (GetSystemMetrics(SM_CXSCREEN) - w.width * w32.scale) / 2;
    y = w32.position ? w32.position->y : (GetSystemMetrics(SM_CYSCREEN) - w.height * w32.scale) / 2;
  }
  if (w.flags & GFX_FULLSCREEN) {
    x = monitor.left;
    y = monitor.top;
    w32.outer = SIZE{w.width, w.height};
  }
  w32.window = CreateWindowExA((w.flags & GFX_TOPMOST) ? WS_EX_TOPMOST : 0, w32.class_name.c_str(),
                               w.title.c_str(), style, x, y, w32.outer.cx, w32.outer.cy, nullptr,
                               nullptr, w32.instance, nullptr);
  if (w32.window == nullptr) return false;
  if (!(w.flags & GFX_FULLSCREEN)) {
    take_scale(monitor_dpi());  // the window's monitor may be of another density than the system's
    fit_window();
  }
  w32.keys_changed = true;
  SetForegroundWindow(w32.window);
  return true;
}

void win32_close_window() {
  if (w32.window != nullptr) DestroyWindow(w32.window);
  w32.window = nullptr;
}
