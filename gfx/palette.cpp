#include "gfx/palette.hpp"

#include <array>

#include "gfx/driver.hpp"
#include "gfx/screen.hpp"

namespace {

struct ModeColorMap {
  int32_t mode;
  int32_t selector;  // mode 1 has four maps; -1 for the others
  std::array<uint8_t, 16> map;
  int32_t count;
};

// The default palette entry each attribute shows after a reset, for the modes whose colours
// are attributes into a larger default palette.
constexpr ModeColorMap kModeColorMaps[] = {
    {1, 0, {0, 2, 4, 6}, 4},
    {1, 1, {0, 3, 5, 7}, 4},
    {1, 2, {0, 10, 12, 14}, 4},
    {1, 3, {0, 11, 13, 15}, 4},
    {2, -1, {0, 15}, 2},
    {7, -1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 16},
    {8, -1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 16},
    {9, -1, {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63}, 16},
};

// Mode 1 takes the map of selector 3 for -1, 2 for -2, 1 for -3 and 0 for anything lower.
const ModeColorMap* color_map_for(int32_t mode, int32_t reset_selector) {
  const int32_t selector = mode == 1 ? (reset_selector <= -4 ? 0 : 4 + reset_selector) : -1;
  for (const ModeColorMap& m : kModeColorMaps) {
    if (m.mode == mode && m.selector == selector) return &m;
  }
  return nullptr;
}

uint32_t packed(const uint8_t* rgb) {
  return rgb[0] | static_cast<uint32_t>(rgb[1]) << 8 | static_cast<uint32_t>(rgb[2]) << 16;
}

int32_t widened(uint32_t six_bits) { return static_cast<int32_t>((six_bits & 63) * 255 / 63); }

void palette_set_rgb(int32_t index, int32_t red, int32_t green, int32_t blue) {
  GfxScreen& screen = *current_screen();
  index &= screen.palette->count - 1;
  screen.device_palette[index] = static_cast<uint32_t>(red & 255) |
                                 static_cast<uint32_t>(green & 255) << 8 |
                                 static_cast<uint32_t>(blue & 255) << 16;
  if (screen.driver->set_palette != nullptr) screen.driver->set_palette(index, red, green, blue);
}

// Reloads the device palette from the default palette through the mode's colour map.
void palette_reset(int32_t selector) {
  GfxScreen& screen = *current_screen();
  const ModeColorMap* map = color_map_for(screen.mode, selector);
  const PaletteInfo& palette = *screen.palette;
  for (int32_t i = 0; i < palette.count; ++i) {
    screen.default_palette_rgb[i] = packed(palette.rgb + 3 * i);
    if (i >= (1 << screen.depth)) continue;
    int32_t entry = i;
    if (map != nullptr && i < map->count) {
      screen.color_map[i] = map->map[static_cast<size_t>(i)];
      entry = map->map[static_cast<size_t>(i)];
    }
    const uint8_t* rgb = palette.rgb + 3 * entry;
    palette_set_rgb(i, rgb[0], rgb[1], rgb[2]);
  }
}

void palette_set(int32_t index, int32_t color) {
  GfxScreen& screen = *current_screen();
  const PaletteInfo& palette = *screen.palette;
  index &= palette.count - 1;
  if (palette.count == 256) {
    const auto c = static_cast<uint32_t>(color);
    palette_set_rgb(index, widened(c), widened(c >> 8), widened(c >> 16));
    return;
  }
  const int32_t entry = color & (palette.count - 1);
  screen.color_map[index & 15] = static_cast<uint8_t>(entry);
  const uint8_t* rgb = palette.rgb + 3 * entry;
  palette_set_rgb(index, rgb[0], rgb[1], rgb[2]);
}

}  // namespace

void palette_statement(int32_t index, int32_t color, int32_t green, int32_t blue) {
  GfxScreen* screen = current_screen();
  if (screen == nullptr || screen->depth > 8) return;
  screen_lock();
  if (index < 0) {
    palette_reset(index);
  } else if (green < 0 || blue < 0) {
    palette_set(index, color);
  } else {
    palette_set_rgb(index, color, green, blue);
  }
  screen_unlock(0, -1);
}

uint32_t gfx_color(int32_t foreground, int32_t background, int32_t flags) {
  GfxScreen* screen = current_screen();
  if (screen == nullptr) return 0;
  GfxContext& context = context_get();
  const uint32_t previous = screen->depth <= 8 ? (context.bg_color << 16) | context.fg_color : 0;
  const bool has_foreground = !(flags & 1);
  const bool has_background = !(flags & 2);
  if (screen->mode == 1) {
    if (has_background) palette_statement(-4 + (background & 3), 0, 0, 0);
    if (has_foreground) palette_statement(0, foreground, -1, -1);
    return previous;
  }
  if (has_foreground) context.fg_color = static_cast<uint32_t>(foreground) & screen->color_mask;
  if (has_background) context.bg_color = static_cast<uint32_t>(background) & screen->color_mask;
  return previous;
}
