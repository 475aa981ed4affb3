#include "picture.hpp"

#include <algorithm>
#include <functional>
#include <numeric>

#include "child_process.hpp"
#include "gfx/gfx_data.hpp"

namespace test_support {

Grab text_picture(const std::vector<std::string>& rows, Cell cursor, uint32_t background, uint32_t text) {
  unpack_gfx_data();
  Grab picture{320, 200, std::vector<uint32_t>(320 * 200, background)};
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) {
      const auto code = static_cast<uint8_t>(rows[r][c]);
      for (int y = 0; y < 8; ++y) {
        const uint8_t bits = kFonts[0].glyphs[code * 8 + y];
        for (int x = 0; x < 8; ++x) {
          if ((bits >> x) & 1) picture.pixels[(r * 8 + y) * 320 + c * 8 + x] = text;
        }
      }
    }
  }
  if (cursor.row >= 0) std::fill_n(picture.pixels.begin() + (cursor.row * 8 + 7) * 320 + cursor.column * 8, 8, text);
  return picture;
}

Grab scaled_picture(const Grab& picture, int width, int height) {
  const int scale = std::min(width / picture.width, height / picture.height);
  const int left = (width - picture.width * scale) / 2, top = (height - picture.height * scale) / 2;
  Grab scaled{width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), 0)};
  for (int y = 0; y < picture.height * scale; ++y) {
    for (int x = 0; x < picture.width * scale; ++x) {
      scaled.pixels[static_cast<size_t>((top + y) * width + left + x)] =
          picture.pixels[static_cast<size_t>((y / scale) * picture.width + x / scale)];
    }
  }
  return scaled;
}

Cell find_picture(const Grab& picture, const Grab& part) {
  for (int y = 0; y + part.height <= picture.height; ++y) {
    for (int x = 0; x + part.width <= picture.width; ++x) {
      int row = 0;
      while (row < part.height && std::equal(part.pixels.begin() + row * part.width, part.pixels.begin() + (row + 1) * part.width,
                                             picture.pixels.begin() + (y + row) * picture.width + x)) ++row;
      if (row == part.height) return Cell{x, y};
    }
  }
  return Cell{-1, -1};
}

int differing_pixels(const Grab& shown, const Grab& expected) {
  if (shown.width != expected.width || shown.height != expected.height) return -1;
  return std::inner_product(shown.pixels.begin(), shown.pixels.end(), expected.pixels.begin(), 0, std::plus<>(),
                            std::not_equal_to<>());
}

int differing_pixels(const std::function<Grab()>& grab, const Grab& expected, int timeout_ms) {
  int differing = -1;
  wait_until(timeout_ms, 50, [&] { return (differing = differing_pixels(grab(), expected)) == 0; });
  return differing;
}

}  // namespace test_support
