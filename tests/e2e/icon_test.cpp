// The icon the build draws: each PNG size is "n!" of the screen's 8 x 8 font, light grey on the
// screen's blue, in rows 4 to 11 of a 16 x 16 design, deflated (read with zlib's inflate).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/gfx_data.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t be32(const Bytes& data, size_t at) {
  return uint32_t{data[at]} << 24 | data[at + 1] << 16 | data[at + 2] << 8 | data[at + 3];
}

struct Picture {
  uint32_t width = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row
};

// An 8-bit RGBA PNG of unfiltered rows, its chunks' CRCs checked and its pixels inflated by zlib.
Picture read_png(const Bytes& png) {
  Picture picture;
  Bytes zlib;
  for (size_t at = 8, length; at + 12 <= png.size(); at += 12 + length) {
    const auto chunk = png.begin() + static_cast<long>(at);
    length = be32(png, at);
    EXPECT_EQ(crc32(0, &png[at + 4], static_cast<uInt>(length + 4)), be32(png, at + 8 + length));
    if (std::string(chunk + 4, chunk + 8) == "IHDR") picture.width = be32(png, at + 8);
    if (std::string(chunk + 4, chunk + 8) == "IDAT") zlib.insert(zlib.end(), chunk + 8, chunk + 8 + static_cast<long>(length));
  }
  Bytes rows(picture.width * (4 * picture.width + 1));
  uLongf length = rows.size();
  EXPECT_EQ(uncompress(rows.data(), &length, zlib.data(), zlib.size()), Z_OK);
  EXPECT_EQ(length, rows.size());
  for (size_t i = 0; i + 4 <= rows.size(); i += 4) {
    if (i % (picture.width * 4 + 1) == 0) ++i;  // the row's filter byte
    picture.pixels.push_back(uint32_t{rows[i]} << 16 | rows[i + 1] << 8 | rows[i + 2]);
  }
  return picture;
}

// Each pixel of each size is the design's cell at the pixel's centre.
TEST(Icon, EachSizeIsTheFontsNOnBlue) {
  ASSERT_EQ(unpack_gfx_data(), GFX_DATA_SIZE);
  for (uint32_t size : {16, 24, 32, 48, 64, 128, 256}) {
    std::ifstream file(ICON_DIR "/program-" + std::to_string(size) + ".png", std::ios::binary);
    const Bytes png{std::istreambuf_iterator<char>(file), {}};
    EXPECT_LT(png.size(), size * size) << "deflated to under a quarter of the pixels' bytes";
    const Picture icon = read_png(png);
    ASSERT_EQ(icon.pixels.size(), size * size);
    int differing = 0;
    for (uint32_t y = 0; y < size; ++y) {
      for (uint32_t x = 0; x < size; ++x) {
        const uint32_t column = (2 * x + 1) * 8 / size, row = (2 * y + 1) * 8 / size;
        const uint8_t bits = row >= 4 && row < 12 ? kFonts[0].glyphs["n!"[column / 8] * 8 + row - 4] : 0;
        differing += icon.pixels[y * size + x] != (bits >> (column % 8) & 1 ? 0xAAAAAAu : 0x0000AAu);
      }
    }
    EXPECT_EQ(differing, 0) << size;
  }
}

}  // namespace
