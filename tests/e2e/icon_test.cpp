// The icon the build draws: each PNG size is "n!" of the screen's 8 x 8 font, light grey on the
// screen's blue, in rows 4 to 11 of a 16 x 16 design.
#include <gtest/gtest.h>

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

// The checksums a decoder verifies: CRC-32 of each chunk, Adler-32 of the pixel stream.
uint32_t crc32(Bytes::const_iterator begin, Bytes::const_iterator end) {
  uint32_t crc = 0xFFFFFFFF;
  for (; begin != end; ++begin) {
    crc ^= *begin;
    for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (crc & 1 ? 0xEDB88320 : 0);
  }
  return ~crc;
}

uint32_t adler32(const Bytes& data) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : data) b = (b + (a = (a + byte) % 65521)) % 65521;
  return b << 16 | a;
}

struct Picture {
  uint32_t width = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row
};

// An 8-bit RGBA PNG of unfiltered rows in stored deflate blocks, as the icon tool writes it.
Picture read_png(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const Bytes png{std::istreambuf_iterator<char>(file), {}};
  Picture picture;
  Bytes zlib;
  for (size_t at = 8, length; at + 12 <= png.size(); at += 12 + length) {
    const auto chunk = png.begin() + static_cast<long>(at);
    length = be32(png, at);
    EXPECT_EQ(crc32(chunk + 4, chunk + 8 + static_cast<long>(length)), be32(png, at + 8 + length)) << path;
    if (std::string(chunk + 4, chunk + 8) == "IHDR") picture.width = be32(png, at + 8);
    if (std::string(chunk + 4, chunk + 8) == "IDAT") zlib.insert(zlib.end(), chunk + 8, chunk + 8 + static_cast<long>(length));
  }
  Bytes rows;
  for (size_t at = 2; at + 5 <= zlib.size();) {
    const size_t length = zlib[at + 1] | zlib[at + 2] << 8;
    rows.insert(rows.end(), zlib.begin() + static_cast<long>(at) + 5, zlib.begin() + static_cast<long>(at + 5 + length));
    if (zlib[at] & 1) break;
    at += 5 + length;
  }
  EXPECT_EQ(adler32(rows), be32(zlib, zlib.size() - 4)) << path;
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
    const Picture icon = read_png(ICON_DIR "/program-" + std::to_string(size) + ".png");
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
