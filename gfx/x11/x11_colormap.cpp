// Displays with a colour map (8-bit PseudoColor): the palette's colours are allocated in the
// screen's colour map, and the pixel table holds the cells they got.
#include <algorithm>
#include <vector>

#include "gfx/window.hpp"
#include "gfx/x11/x11_window.hpp"

namespace {

unsigned short wide(uint8_t channel) { return static_cast<unsigned short>(channel * 257); }

long distance(const XColor& a, const PaletteEntry& b) {
  const auto d = [](unsigned short x, uint8_t y) { return static_cast<long>(x >> 8) - y; };
  return d(a.red, b.red) * d(a.red, b.red) + d(a.green, b.green) * d(a.green, b.green) +
         d(a.blue, b.blue) * d(a.blue, b.blue);
}

// The cell of the colour map nearest to the colour: for a map with no free cell left.
unsigned long nearest_cell(X11Window& x, std::vector<XColor>& cells, const PaletteEntry& color) {
  if (cells.empty()) {
    cells.resize(static_cast<size_t>(x.visual->map_entries));
    for (size_t i = 0; i < cells.size(); ++i) cells[i].pixel = i;
    XQueryColors(x.display, x.colormap, cells.data(), static_cast<int>(cells.size()));
  }
  return std::min_element(cells.begin(), cells.end(), [&color](const XColor& a, const XColor& b) {
           return distance(a, color) < distance(b, color);
         })->pixel;
}

void free_cells(X11Window& x) {
  if (x.allocated_count > 0) XFreeColors(x.display, x.colormap, x.allocated, x.allocated_count, 0);
  x.allocated_count = 0;
}

}  // namespace

void x11_allocate_colors(X11Window& x, const PaletteEntry palette[256]) {
  if (x.colormap == None) return;
  free_cells(x);
  std::vector<XColor> cells;  // the whole map, read once when a colour finds no free cell
  for (int i = 0; i < 256; ++i) {
    const PaletteEntry& color = palette[i];
    const auto same = [&color](const PaletteEntry& other) {
      return other.red == color.red && other.green == color.green && other.blue == color.blue;
    };
    const PaletteEntry* earlier = std::find_if(palette, palette + i, same);
    if (earlier != palette + i) {
      x.lut[i] = x.lut[earlier - palette];
      continue;
    }
    XColor wanted{0, wide(color.red), wide(color.green), wide(color.blue), DoRed | DoGreen | DoBlue, 0};
    if (XAllocColor(x.display, x.colormap, &wanted)) {
      x.allocated[x.allocated_count++] = wanted.pixel;
      x.lut[i] = static_cast<uint32_t>(wanted.pixel);
    } else {
      x.lut[i] = static_cast<uint32_t>(nearest_cell(x, cells, color));
    }
  }
}

void x11_free_colors(X11Window& x) {
  if (x.colormap != None) free_cells(x);
}
