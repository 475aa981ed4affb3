// Each program's icon as the build draws it: its form, "n!" over "-1" (zorvy) or over "+1"
// (plemo), in the screen's 8 x 8 font, light grey on the screen's blue, in a 24 x 24 design. The
// 16 x 16 block of text starts at (5, 4), where its set pixels, 14 wide and 15 high, are centred.
// The PNGs are read with zlib's inflate.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/gfx_data.hpp"
#include "gfx/x11/window_icon.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t be32(const Bytes& data, size_t at) {
  return uint32_t{data[at]} << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
}

// The pixels of a size x size icon (0xAARRGGBB, row by row) that differ from the mark's design
// (its two rows of two characters) sampled at each pixel's centre.
int differing_pixels(const uint32_t* pixels, const char* rows, uint32_t size) {
  int differing = 0;
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      // The design's column and row in the block of text; left of it or above, they wrap.
      const uint32_t column = (2 * x + 1) * 12 / size - 5, row = (2 * y + 1) * 12 / size - 4;
      const bool set = column < 16 && row < 16 && (kFonts[0].glyphs[uint8_t(rows[row / 8 * 2 + column / 8]) * 8 + row % 8] >> (column % 8) & 1);
      differing += pixels[y * size + x] != (set ? 0xFFAAAAAAu : 0xFF0000AAu);
    }
  }
  return differing;
}

// An 8-bit RGBA PNG of unfiltered rows, its chunks' CRCs checked, as _NET_WM_ICON lays out an
// icon: its width, its height and its pixels.
std::vector<uint32_t> png_icon(const Bytes& png, uint32_t size) {
  EXPECT_EQ(Bytes(png.begin() + 16, png.begin() + 29), (Bytes{0, 0, uint8_t(size >> 8), uint8_t(size), 0, 0, uint8_t(size >> 8), uint8_t(size), 8, 6, 0, 0, 0}));
  Bytes zlib, rows(size * (4 * size + 1));
  for (size_t at = 8, length; at + 12 <= png.size(); at += 12 + length) {
    length = be32(png, at);
    EXPECT_EQ(crc32(0, &png[at + 4], static_cast<uInt>(length + 4)), be32(png, at + 8 + length));
    if (std::string(&png[at + 4], &png[at + 8]) == "IDAT") zlib.insert(zlib.end(), &png[at + 8], &png[at + 8 + length]);
  }
  uLongf length = rows.size();
  EXPECT_EQ(uncompress(rows.data(), &length, zlib.data(), zlib.size()), Z_OK);
  std::vector<uint32_t> pixels = {size, size};
  for (size_t i = 0; i < rows.size(); i += 4) {
    if (i % (4 * size + 1) == 0) ++i;  // the row's filter byte (none)
    pixels.push_back(uint32_t{rows[i + 3]} << 24 | rows[i] << 16 | rows[i + 1] << 8 | rows[i + 2]);
  }
  return pixels;
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
    const Bytes ico = read("icon.ico");
    Bytes expected_ico = {0, 0, 1, 0, 7, 0}, images;
    std::vector<uint32_t> window;  // the window icons at 16, 32, 48 and 64 pixels
    for (uint32_t size : {16, 24, 32, 48, 64, 128, 256}) {
      const Bytes png = read("icon-" + std::to_string(size) + ".png");
      EXPECT_LT(png.size(), size * size) << program << " " << size;
      const std::vector<uint32_t> icon = png_icon(png, size);
      EXPECT_EQ(differing_pixels(icon.data() + 2, rows, size), 0) << program << " " << size;
      if (size % 16 == 0 && size <= 64) window.insert(window.end(), icon.begin(), icon.end());
      // The icon file's entry: width and height (0 for 256), planes, bits, length and place.
      const size_t length = png.size(), place = 6 + 7 * 16 + images.size();
      expected_ico.insert(expected_ico.end(), {uint8_t(size), uint8_t(size), 0, 0, 1, 0, 32, 0, uint8_t(length), uint8_t(length >> 8),
                                               0, 0, uint8_t(place), uint8_t(place >> 8), 0, 0});
      images.insert(images.end(), png.begin(), png.end());
    }
    expected_ico.insert(expected_ico.end(), images.begin(), images.end());
    EXPECT_EQ(ico, expected_ico) << program;
    const WindowIcon* own = find_window_icon(program);
    EXPECT_EQ(own == nullptr ? std::vector<uint32_t>{} : std::vector<uint32_t>(own->values, own->values + own->size), window) << program;
  }
}

}  // namespace
