#pragma once
// The Win32 side of the window layer that the "DirectX" and "GDI" drivers share: the window
// class, the window, its message handling and the presentation thread. Only
// win32_*.cpp files include this header, after every header of the shared code (the system's
// headers define some of the same names as macros).
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a driver does on its presentation thread.
struct Win32Presentation {
  bool (*open)();            // after the window opened: the presentation objects
  void (*close)();           // before the window closes
  void (*paint)(HDC dc);     // the whole picture into the client area
  void (*cycle)();           // one presentation cycle, under the driver lock
};

// The optional USER32 functions, looked up by name; each may be null.
struct User32Extras {
  HMONITOR(WINAPI* monitor_from_point)(POINT, DWORD);
  HMONITOR(WINAPI* monitor_from_window)(HWND, DWORD);
  BOOL(WINAPI* get_monitor_info)(HMONITOR, LPMONITORINFO);
  BOOL(WINAPI* track_mouse_event)(LPTRACKMOUSEEVENT);
  BOOL(WINAPI* set_layered_window_attributes)(HWND, COLORREF, BYTE, DWORD);
  BOOL(WINAPI* flash_window_ex)(PFLASHWINFO);
  LONG(WINAPI* change_display_settings_ex)(LPCSTR, LPDEVMODEA, HWND, DWORD, LPVOID);
  UINT(WINAPI* get_dpi_for_window)(HWND);
};

struct Win32Window {
  const Win32Presentation* presentation;
  HINSTANCE instance;
  std::string class_name;
  bool class_registered;
  HWND window;
  SIZE outer;                  // the window's outer size, which it keeps
  int32_t scale;               // the picture's: the monitor's whole scale in a window, 1 in full screen
  bool placed;                 // the window's outer corner goes where a client area of the picture's
                               // size at the scale is centred on the primary screen, or at position
  std::optional<POINT> position;  // where the window was last, once it was
  int32_t version;             // the system's major version * 256 + minor
  int32_t refresh_rate;        // asked of a full-screen display mode; 0: the display's default
  User32Extras user32;
  HMONITOR monitor;            // the monitor under the pointer, or of the window
  BOOL saved_screen_saver;     // whether the screen saver was active before
  bool cursor_visible;
  bool keys_changed;           // a key message, activation or new window since the key state was read
  int32_t wheel_turned[2];     // of the vertical and the horizontal wheel: the part of a notch turned so far
  HANDLE thread;
  HANDLE ready;                // set once the window is up
  std::vector<wchar_t> wide;   // a typed character in UTF-16, then in code page 437
  std::vector<char> cp437;
};

Win32Window& win32_window();

// init of a window driver: opens the layer and starts the presentation thread, which opens
// the window and the presentation and then presents until exit; 0 once the window is up,
// -1 when it could not open. Full screen asks for the refresh rate (0: the display's default).
// placed: the window's outer corner goes where a client area of
// the size would be centred on the primary screen (and later where the window was last);
// otherwise the window is centred on the monitor under the pointer.
int32_t win32_window_init(const Win32Presentation& presentation, const char* title, int32_t width,
                          int32_t height, int32_t refresh_rate, int32_t flags, bool placed);
void win32_window_exit();

// The presentation thread's window: made with the style, size and place the flags ask for,
// and destroyed.
bool win32_open_window();
void win32_close_window();

// The window's message handler; runs on the presentation thread.
LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM first, LPARAM second);

// The keyboard and character messages, turned into key codes (true: no default processing).
bool win32_key_message(UINT message, WPARAM virtual_key, LPARAM key_data);
void win32_char_message(WPARAM value, LPARAM key_data);
