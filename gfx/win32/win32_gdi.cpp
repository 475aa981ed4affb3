#include "gfx/driver.hpp"
#include "gfx/present.hpp"
#include "gfx/screen.hpp"
#include "gfx/win32/win32_driver.hpp"
#include "gfx/win32/win32_window.hpp"
#include "gfx/window.hpp"

#include <cstring>

namespace {

// The bitmap takes palette indices as they are.
constexpr DisplayFormat kIndices{0, 0, 0, 1};

// An 8-bit top-down bitmap with its 256 colours.
struct PaletteBitmap {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

struct GdiPresentation {
  PaletteBitmap bitmap;
  HPALETTE palette;              // for displays of 256 colours
  bool display_mode_changed;     // full screen switched the display mode
  std::vector<uint8_t> picture;  // lines padded to 4 bytes and repeated by the multiplier
  uint32_t table[256];           // each palette index itself
  uint8_t scan_of_key[256];      // the scan code of each virtual key
};

GdiPresentation gdi;

void take_palette(const PaletteEntry palette[256]) {
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i) {
    const PaletteEntry& e = palette[i];
    gdi.bitmap.colors[i] = RGBQUAD{e.blue, e.green, e.red, 0};
    entries[i] = PALETTEENTRY{e.red, e.green, e.blue, 0};
  }
  SetPaletteEntries(gdi.palette, 0, 256, entries);
}

// The picture, made the open screen's size at the window's scale.
PictureLines picture_lines() {
  const GfxScreen& screen = *current_screen();
  const int32_t scale = win32_window().scale;
  const int32_t stride = (screen.pitch * scale + 3) / 4 * 4;
  gdi.picture.resize(static_cast<size_t>(stride) * screen.height * screen.scanline_multiplier * scale);
  return PictureLines{gdi.picture.data(), stride};
}

// Copies picture lines first to last to the same lines of the client area.
void put_lines(HDC dc, int32_t first, int32_t last) {
  const PictureLines picture = picture_lines();
  const int32_t width = current_screen()->width * win32_window().scale;
  const int32_t lines = last - first + 1;
  SelectPalette(dc, gdi.palette, FALSE);
  RealizePalette(dc);
  gdi.bitmap.header.biWidth = width;
  gdi.bitmap.header.biHeight = -lines;
  SetDIBitsToDevice(dc, 0, first, static_cast<DWORD>(width), static_cast<DWORD>(lines),
                    0, 0, 0, static_cast<UINT>(lines), picture.pixels + first * picture.pitch,
                    reinterpret_cast<const BITMAPINFO*>(&gdi.bitmap), DIB_RGB_COLORS);
}

void show_lines(int32_t first, int32_t last) {
  const HDC dc = GetDC(win32_window().window);
  put_lines(dc, first, last);
  ReleaseDC(win32_window().window, dc);
}

Presenter presenter() {
  return Presenter{kIndices, &gdi.table, win32_window().scale, take_palette, picture_lines, show_lines};
}

// The whole framebuffer, dirty or not, into the client area.
void paint(HDC dc) {
  const GfxScreen* screen = current_screen();
  if (screen == nullptr) return;
  convert_lines(*screen, presenter(), picture_lines(), 0, screen->height - 1);
  put_lines(dc, 0, screen->height * screen->scanline_multiplier * win32_window().scale - 1);
}

// The thread's key state changes only as it takes key messages or is activated, so it is
// read only then: each read is a round trip to the window system.
void read_key_state(GfxScreen& screen) {
  Win32Window& w32 = win32_window();
  if (!w32.keys_changed) return;
  BYTE keyboard[256];
  if (!GetKeyboardState(keyboard)) return;
  w32.keys_changed = false;
  std::memset(screen.key_state, 0, sizeof screen.key_state);
  for (int vk = 0; vk < 256; ++vk) {
    if ((keyboard[vk] & 0x80) && gdi.scan_of_key[vk] != 0) screen.key_state[gdi.scan_of_key[vk]] = 1;
  }
}

// One cycle: the palette, the band of dirty lines, the key state.
void cycle() {
  GfxScreen* screen = current_screen();
  if (screen == nullptr) return;
  present_dirty_lines(*screen, presenter());
  if (gfx_window().active) read_key_state(*screen);
}

bool switch_display(const GfxWindow& w) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(w.width);
  mode.dmPelsHeight = static_cast<DWORD>(w.height);
  mode.dmBitsPerPel = 8;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  if (const int32_t rate = win32_window().refresh_rate; rate != 0) {
    mode.dmDisplayFrequency = static_cast<DWORD>(rate);
    mode.dmFields |= DM_DISPLAYFREQUENCY;
  }
  gdi.display_mode_changed = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
  return gdi.display_mode_changed;
}

bool open_presentation() {
  const GfxWindow& w = gfx_window();
  if ((w.flags & GFX_FULLSCREEN) && !switch_display(w)) return false;
  gdi.bitmap = PaletteBitmap{};
  BITMAPINFOHEADER& h = gdi.bitmap.header;
  h.biSize = sizeof h;
  h.biWidth = w.width;
  h.biHeight = -w.height;
  h.biPlanes = 1;
  h.biBitCount = 8;
  h.biCompression = BI_RGB;
  h.biClrUsed = 256;
  struct {
    LOGPALETTE header;
    PALETTEENTRY more[255];
  } logical{{0x300, 256, {}}, {}};
  gdi.palette = CreatePalette(&logical.header);
  if (gdi.palette == nullptr) return false;
  for (int vk = 0; vk < 256; ++vk) {
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    gdi.scan_of_key[vk] = scan < 128 ? static_cast<uint8_t>(scan) : 0;
  }
  const HDC dc = GetDC(win32_window().window);
  if (GfxScreen* screen = current_screen(); screen != nullptr && dc != nullptr) {
    screen->refresh_rate = GetDeviceCaps(dc, VREFRESH);
  }
  ReleaseDC(win32_window().window, dc);
  return true;
}

void close_presentation() {
  if (gdi.display_mode_changed) ChangeDisplaySettingsA(nullptr, 0);
  gdi.display_mode_changed = false;
  gdi.picture = {};
  if (gdi.palette != nullptr) DeleteObject(gdi.palette);
  gdi.palette = nullptr;
}

constexpr Win32Presentation kGdiPresentation{open_presentation, close_presentation, paint, cycle};

int32_t init(const char* title, int32_t width, int32_t height, int32_t depth, int32_t refresh_rate,
             int32_t flags) {
  if (flags & GFX_OPENGL) return -1;
  if (depth > 8) return -1;  // the bitmap shows palette screens only
  return win32_window_init(kGdiPresentation, title, width, height, refresh_rate, flags, false);
}

}  // namespace

const GfxDriver kGdiDriver{"GDI", init, win32_window_exit, driver_lock, driver_unlock,
                           window_set_palette};
