// Each program's icon as the build draws it: its form, "n!" over "-1" (zorvy) or over "+1"
// (plemo), in the screen's 8 x 8 font, light grey on the screen's blue, in a 24 x 24 design. The
// 16 x 16 block of text starts at (5, 4), where its set pixels, 14 wide and 15 high, are centred.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/gfx_data.hpp"
#include "gfx/x11/window_icon.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

// The pixels of an icon (its width, its height and its pixels 0xAARRGGBB, row by row) that differ
// from the mark's design (its two rows of two characters) sampled at each pixel's centre; -1 when
// the icon is not size x size.
int differing_pixels(const std::vector<uint32_t>& icon, const char* rows, uint32_t size) {
  if (icon.size() != 2 + size * size || icon[0] != size) return -1;
  int differing = 0;
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      // The design's column and row in the block of text; left of it or above, they wrap.
      const uint32_t column = (2 * x + 1) * 12 / size - 5, row = (2 * y + 1) * 12 / size - 4;
      const bool set = column < 16 && row < 16 && (kFonts[0].glyphs[uint8_t(rows[row / 8 * 2 + column / 8]) * 8 + row % 8] >> (column % 8) & 1);
      differing += icon[2 + y * size + x] != (set ? 0xFFAAAAAAu : 0xFF0000AAu);
    }
  }
  return differing;
}

// A PNG as _NET_WM_ICON lays out an icon: its width, its height and its pixels.
std::vector<uint32_t> png_icon(const Bytes& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  png_image_begin_read_from_memory(&image, png.data(), png.size());
  image.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB in this machine's (little-endian) byte order
  std::vector<uint32_t> icon = {image.width, image.height};
  icon.resize(2 + image.width * image.height);
  EXPECT_NE(png_image_finish_read(&image, nullptr, icon.data() + 2, 0, nullptr), 0) << image.message;
  return icon;
}

// Each program's seven PNGs show its mark, deflated to under a quarter of their pixels' bytes;
// its icon file holds them as they are, in that order; its window icons are those of 16, 32, 48
// and 64 pixels, each its width, its height and its pixels, as _NET_WM_ICON takes them.
TEST(Icon, EachProgramsIconsShowItsMark) {
  ASSERT_EQ(unpack_gfx_data(), GFX_DATA_SIZE);
  for (const auto& [program, rows] : {std::pair{"zorvy", "n!-1"}, {"plemo", "n!+1"}}) {
    const auto read = [&](const std::string& name) {
      return Bytes{std::istreambuf_iterator<char>(std::ifstream(ICON_DIR "/" + std::string(program) + "/" + name, std::ios::binary).rdbuf()), {}};
    };
    Bytes expected_ico = {0, 0, 1, 0, 7, 0}, images;
    std::vector<uint32_t> window;  // the window icons at 16, 32, 48 and 64 pixels
    for (uint32_t size : {16, 24, 32, 48, 64, 128, 256}) {
      const Bytes png = read("icon-" + std::to_string(size) + ".png");
      EXPECT_LT(png.size(), size * size) << program << " " << size;
      const std::vector<uint32_t> icon = png_icon(png);
      EXPECT_EQ(differing_pixels(icon, rows, size), 0) << program << " " << size;
      if (size % 16 == 0 && size <= 64) window.insert(window.end(), icon.begin(), icon.end());
      // The icon file's entry: width and height (0 for 256), planes, bits, length and place.
      const size_t length = png.size(), place = 6 + 7 * 16 + images.size();
      expected_ico.insert(expected_ico.end(), {uint8_t(size), uint8_t(size), 0, 0, 1, 0, 32, 0, uint8_t(length), uint8_t(length >> 8),
                                               0, 0, uint8_t(place), uint8_t(place >> 8), 0, 0});
      images.insert(images.end(), png.begin(), png.end());
    }
    expected_ico.insert(expected_ico.end(), images.begin(), images.end());
    EXPECT_EQ(read("icon.ico"), expected_ico) << program;
    const WindowIcon* own = find_window_icon(program);
    EXPECT_EQ(own == nullptr ? std::vector<uint32_t>{} : std::vector<uint32_t>(own->values, own->values + own->size), window) << program;
  }
}

}  // namespace
