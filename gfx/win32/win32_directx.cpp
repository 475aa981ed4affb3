#include "gfx/driver.hpp"
#include "gfx/pixel_convert.hpp"
#include "gfx/present.hpp"
#include "gfx/screen.hpp"
#include "gfx/win32/win32_driver.hpp"
#include "gfx/win32/win32_window.hpp"
#include "gfx/window.hpp"

#define DIRECTINPUT_VERSION 0x0700
#include <ddraw.h>
#include <dinput.h>

#include <initializer_list>

namespace {

constexpr DWORD kReopenRetryMs = 300;
// Heights tried, at the same width, when the display refuses the picture's own mode.
constexpr int32_t kTallerHeights[] = {240, 480, 600, 768, 1024};

using DirectDrawCreateFunction = HRESULT(WINAPI*)(GUID*, LPDIRECTDRAW*, IUnknown*);
using DirectInputCreateFunction = HRESULT(WINAPI*)(HINSTANCE, DWORD, LPDIRECTINPUTA*, IUnknown*);

struct DirectXPresentation {
  HMODULE draw_library, input_library;
  IDirectDraw* draw;
  IDirectDraw2* draw2;                 // for display modes with a refresh rate
  IDirectDrawSurface* primary;
  IDirectDrawSurface* offscreen;
  IDirectDrawClipper* clipper;
  IDirectDrawPalette* palette;         // 8-bit displays only
  IDirectInputA* input;
  IDirectInputDeviceA* keyboard;
  DisplayFormat display;               // the surface's pixels
  uint32_t lut[256];                   // palette index -> pixel of the display's format
  int32_t picture_top;                 // the picture's first row in a taller full-screen mode
  bool display_mode_changed;
  bool lost;                           // the display mode changed under the surfaces
  DWORD lost_since;
};

DirectXPresentation dx;

template <typename Interface>
void release(Interface*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

bool windowed() { return !(gfx_window().flags & GFX_FULLSCREEN); }

// An 8-bit display's own palette, after the pixel table.
void take_palette(const PaletteEntry palette[256]) {
  if (dx.palette == nullptr) return;
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i) {
    const PaletteEntry& e = palette[i];
    entries[i] = PALETTEENTRY{e.red, e.green, e.blue, 0};
  }
  dx.palette->SetEntries(0, 0, 256, entries);
}

// Switches the display to width x height at the depth and refresh rate; refused, to the
// depth's partner, then to the next taller height at the same width.
bool switch_display_mode(int32_t width, int32_t height, int32_t depth, int32_t refresh_rate) {
  const auto set = [&](int32_t h, int32_t d) {
    const HRESULT result = dx.draw2 != nullptr
                               ? dx.draw2->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(h),
                                                          static_cast<DWORD>(d), static_cast<DWORD>(refresh_rate), 0)
                               : dx.draw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(h),
                                                         static_cast<DWORD>(d));
    if (FAILED(result)) return false;
    dx.display_mode_changed = true;
    dx.picture_top = (h - height) / 2;
    return true;
  };
  const int32_t partner = depth == 15 ? 16 : depth == 16 ? 15 : depth == 24 ? 32 : depth == 32 ? 24 : 0;
  if (set(height, depth) || (partner != 0 && set(height, partner))) return true;
  for (int32_t taller : kTallerHeights) {
    if (taller > height && set(taller, depth)) return true;
  }
  return false;
}

// The primary surface's pixel format; false for one that cannot be shown. An 8-bit display
// takes palette indices and gets the palette itself.
bool read_display_format() {
  DDPIXELFORMAT format{};
  format.dwSize = sizeof format;
  if (FAILED(dx.primary->GetPixelFormat(&format))) return false;
  switch (format.dwRGBBitCount) {
    case 8: dx.display = DisplayFormat{0, 0, 0, 1}; return true;
    case 15: case 16: case 24: case 32:
      dx.display = DisplayFormat{format.dwRBitMask, format.dwGBitMask, format.dwBBitMask,
                                 static_cast<int32_t>((format.dwRGBBitCount + 7) / 8)};
      return true;
    default: return false;
  }
}

bool open_surfaces() {
  const GfxWindow& w = gfx_window();
  const HWND window = win32_window().window;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (FAILED(dx.draw->CreateSurface(&desc, &dx.primary, nullptr))) return false;
  if (windowed()) {
    if (FAILED(dx.draw->CreateClipper(0, &dx.clipper, nullptr)) ||
        FAILED(dx.clipper->SetHWnd(0, window)) || FAILED(dx.primary->SetClipper(dx.clipper))) {
      return false;
    }
  }
  if (!read_display_format()) return false;
  desc = DDSURFACEDESC{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.dwWidth = static_cast<DWORD>(w.width * win32_window().scale);
  desc.dwHeight = static_cast<DWORD>(w.height * win32_window().scale);
  if (FAILED(dx.draw->CreateSurface(&desc, &dx.offscreen, nullptr))) return false;
  if (dx.display.bytes_per_pixel == 1) {
    PALETTEENTRY entries[256]{};
    if (FAILED(dx.draw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &dx.palette, nullptr)) ||
        FAILED(dx.primary->SetPalette(dx.palette))) {
      return false;
    }
  }
  return true;
}

bool open_keyboard() {
  const HWND window = win32_window().window;
  dx.input_library = LoadLibraryA("dinput.dll");
  if (dx.input_library == nullptr) return false;
  const auto create = reinterpret_cast<DirectInputCreateFunction>(
      reinterpret_cast<void*>(GetProcAddress(dx.input_library, "DirectInputCreateA")));
  if (create == nullptr || FAILED(create(win32_window().instance, DIRECTINPUT_VERSION, &dx.input, nullptr)) ||
      FAILED(dx.input->CreateDevice(GUID_SysKeyboard, &dx.keyboard, nullptr)) ||
      FAILED(dx.keyboard->SetDataFormat(&c_dfDIKeyboard)) ||
      FAILED(dx.keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND))) {
    return false;
  }
  dx.keyboard->Acquire();  // refused while the window is not in front: retried when read
  return true;
}

bool open_presentation() {
  const GfxWindow& w = gfx_window();
  const HWND window = win32_window().window;
  dx.draw_library = LoadLibraryA("ddraw.dll");
  if (dx.draw_library == nullptr) return false;
  const auto create = reinterpret_cast<DirectDrawCreateFunction>(
      reinterpret_cast<void*>(GetProcAddress(dx.draw_library, "DirectDrawCreate")));
  if (create == nullptr || FAILED(create(nullptr, &dx.draw, nullptr))) return false;
  dx.draw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dx.draw2));
  GfxScreen* screen = current_screen();
  dx.picture_top = 0;
  if (windowed()) {
    if (FAILED(dx.draw->SetCooperativeLevel(window, DDSCL_NORMAL))) return false;
  } else if (FAILED(dx.draw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)) ||
             !switch_display_mode(w.width, w.height, 8, win32_window().refresh_rate)) {
    return false;
  } else {
    MoveWindow(window, 0, 0, w.width, w.height + 2 * dx.picture_top, FALSE);
  }
  if (!open_surfaces() || !open_keyboard()) return false;
  DWORD frequency = 0;
  if (screen != nullptr && SUCCEEDED(dx.draw->GetMonitorFrequency(&frequency))) {
    screen->refresh_rate = static_cast<int32_t>(frequency);
  }
  gfx_window().palette_changed = true;
  return true;
}

void close_presentation() {
  Win32Window& w32 = win32_window();
  RECT outer;
  if (windowed() && w32.window != nullptr && GetWindowRect(w32.window, &outer)) {
    w32.position = POINT{outer.left, outer.top};  // the window opens there again
  }
  if (dx.keyboard != nullptr) dx.keyboard->Unacquire();
  release(dx.keyboard);
  release(dx.input);
  release(dx.palette);
  release(dx.clipper);
  release(dx.offscreen);
  release(dx.primary);
  if (dx.draw != nullptr && dx.display_mode_changed) dx.draw->RestoreDisplayMode();
  if (dx.draw != nullptr && w32.window != nullptr) dx.draw->SetCooperativeLevel(w32.window, DDSCL_NORMAL);
  dx.display_mode_changed = false;
  release(dx.draw2);
  release(dx.draw);
  for (HMODULE* library : {&dx.input_library, &dx.draw_library}) {
    if (*library != nullptr) FreeLibrary(*library);
    *library = nullptr;
  }
}

// Restores lost surfaces; false when the display mode itself changed, after which the window
// and the presentation are made again (every 300 ms until that succeeds).
bool restore_surfaces() {
  const HRESULT primary = dx.primary->Restore();
  const HRESULT offscreen = dx.offscreen->Restore();
  if (primary != DDERR_WRONGMODE && offscreen != DDERR_WRONGMODE) return true;
  close_presentation();
  win32_close_window();
  dx.lost = true;
  dx.lost_since = GetTickCount();
  return false;
}

bool reopen() {
  if (GetTickCount() - dx.lost_since < kReopenRetryMs) return false;
  if (win32_open_window() && open_presentation()) {
    dx.lost = false;
    return true;
  }
  close_presentation();
  win32_close_window();
  dx.lost_since = GetTickCount();
  return false;
}

// The whole off-screen surface into the client area (or the full screen's picture rows).
void show_surface() {
  const GfxWindow& w = gfx_window();
  POINT origin{0, dx.picture_top};
  if (windowed()) ClientToScreen(win32_window().window, &origin);
  const int32_t scale = win32_window().scale;
  RECT target{origin.x, origin.y, origin.x + w.width * scale, origin.y + w.height * scale};
  if (dx.primary->Blt(&target, dx.offscreen, nullptr, DDBLT_WAIT, nullptr) == DDERR_SURFACELOST &&
      restore_surfaces()) {
    dx.primary->Blt(&target, dx.offscreen, nullptr, DDBLT_WAIT, nullptr);
  }
}

void paint(HDC) {
  if (!dx.lost && dx.primary != nullptr && windowed()) show_surface();
}

// The off-screen surface, locked for the converted lines; none when it cannot be locked.
PictureLines lock_surface() {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  HRESULT result = dx.offscreen->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  if (result == DDERR_SURFACELOST && restore_surfaces()) {
    result = dx.offscreen->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  }
  if (FAILED(result)) return PictureLines{nullptr, 0};
  return PictureLines{static_cast<uint8_t*>(desc.lpSurface), desc.lPitch};
}

// A surface that did not change is not copied again: the window keeps its picture, and a
// paint message asks for it anew.
void show_converted_lines(int32_t, int32_t) {
  dx.offscreen->Unlock(nullptr);
  show_surface();
}

// The keyboard's state into key_state: a key is held when its plain or extended variant is.
// The state changes only with a key message or an activation, so it is read only after one:
// each read costs a round trip to the window system. A lost device is acquired again and
// read at once.
void read_keyboard(GfxScreen& screen) {
  Win32Window& w32 = win32_window();
  if (!w32.keys_changed) return;
  BYTE state[256];
  HRESULT result = dx.keyboard->GetDeviceState(sizeof state, state);
  if ((result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) && SUCCEEDED(dx.keyboard->Acquire())) {
    result = dx.keyboard->GetDeviceState(sizeof state, state);
  }
  if (FAILED(result)) return;
  w32.keys_changed = false;
  for (int scan = 0; scan < 128; ++scan) screen.key_state[scan] = ((state[scan] | state[scan + 128]) & 0x80) ? 1 : 0;
}

void cycle() {
  GfxScreen* screen = current_screen();
  if (screen == nullptr || (dx.lost && !reopen())) return;
  const bool active = gfx_window().active;
  if (active || windowed()) {
    present_dirty_lines(*screen, Presenter{dx.display, &dx.lut, win32_window().scale, take_palette, lock_surface,
                                           show_converted_lines});
    if (dx.lost) return;
  }
  if (active && !dx.lost) read_keyboard(*screen);
}

constexpr Win32Presentation kDirectXPresentation{open_presentation, close_presentation, paint, cycle};

int32_t init(const char* title, int32_t width, int32_t height, int32_t depth, int32_t refresh_rate,
             int32_t flags) {
  if (flags & (GFX_OPENGL | GFX_SHAPED)) return -1;
  if (depth > 8) return -1;  // the surfaces show palette screens only
  dx = DirectXPresentation{};
  return win32_window_init(kDirectXPresentation, title, width, height, refresh_rate, flags, true);
}

}  // namespace

const GfxDriver kDirectXDriver{"DirectX", init, win32_window_exit, driver_lock, driver_unlock,
                               window_set_palette};
