#include "gfx/present.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "gfx/screen.hpp"
#include "gfx/window.hpp"

void present_dirty_lines(GfxScreen& screen, const Presenter& presenter) {
  GfxWindow& w = gfx_window();
  if (w.palette_changed) {
    fill_pixel_table(presenter.format, w.palette, *presenter.table);
    if (presenter.take_palette) presenter.take_palette(w.palette);
    w.palette_changed = false;
    mark_all_dirty(screen);
  }
  const auto begin = screen.dirty.begin(), end = begin + screen.height;
  const auto first = std::find(begin, end, 1);
  if (first == end) return;
  const auto last = std::find(std::make_reverse_iterator(end), std::make_reverse_iterator(first), 1);
  const PictureLines picture = presenter.open();
  if (picture.pixels == nullptr) return;
  const auto first_line = static_cast<int32_t>(first - begin);
  const auto last_line = static_cast<int32_t>(last.base() - begin) - 1;
  convert_lines(screen, presenter, picture, first_line, last_line);
  std::fill(screen.dirty.begin(), screen.dirty.end(), 0);
  const int32_t repeat = presenter.scale * screen.scanline_multiplier;
  presenter.show(first_line * repeat, (last_line + 1) * repeat - 1);
}

void convert_lines(const GfxScreen& screen, const Presenter& presenter, const PictureLines& picture,
                   int32_t first, int32_t last) {
  const int32_t repeat = presenter.scale * screen.scanline_multiplier;
  const auto row_bytes = static_cast<size_t>(screen.width) * static_cast<size_t>(presenter.scale) *
                         static_cast<size_t>(presenter.format.bytes_per_pixel);
  for (int32_t y = first; y <= last; ++y) {
    const uint8_t* source = screen.visible_framebuffer + static_cast<ptrdiff_t>(y) * screen.pitch;
    uint8_t* row = picture.pixels + static_cast<ptrdiff_t>(y) * repeat * picture.pitch;
    convert_pixel_line(presenter.format, *presenter.table, source, screen.bytes_per_pixel, screen.width,
                       presenter.scale, row);
    for (int32_t r = 1; r < repeat; ++r) std::memcpy(row + r * picture.pitch, row, row_bytes);
  }
}
