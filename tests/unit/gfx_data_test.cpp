#include "gfx/gfx_data.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const uint8_t* glyph(int font, int code) {
  unpack_gfx_data();
  return kFonts[font].glyphs + code * kFonts[font].height;
}

std::vector<uint8_t> glyph_rows(int font, int code) {
  const uint8_t* rows = glyph(font, code);
  return {rows, rows + kFonts[font].height};
}

uint8_t mirrored(uint8_t row) {
  uint8_t result = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (row & 1 << bit) result |= 0x80 >> bit;
  }
  return result;
}

TEST(GfxData, UnpacksToExactlyTheWholeArea) {
  std::vector<uint8_t> out(GFX_DATA_SIZE + 100);
  EXPECT_EQ(lzw_unpack(kGfxDataPacked, kGfxDataPackedSize, out.data(), out.size()), GFX_DATA_SIZE);
  EXPECT_EQ(unpack_gfx_data(), GFX_DATA_SIZE);
  EXPECT_EQ(unpack_gfx_data(), GFX_DATA_SIZE);
  EXPECT_EQ(std::memcmp(out.data(), kFonts[0].glyphs, GFX_DATA_SIZE), 0);
}

TEST(GfxData, TablesLieBackToBackInTheArea) {
  const uint8_t* area = kFonts[0].glyphs;
  const struct {
    const uint8_t* table;
    size_t offset;
  } kCases[] = {
      {kFonts[1].glyphs, 2048},        {kFonts[2].glyphs, 5632},
      {kDefaultPalettes[0].rgb, 9728}, {kDefaultPalettes[1].rgb, 9734},
      {kDefaultPalettes[2].rgb, 9782}, {kDefaultPalettes[3].rgb, 9974},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.table - area, static_cast<ptrdiff_t>(c.offset));
  EXPECT_EQ(kDefaultPalettes[3].rgb + 3 * 256, area + GFX_DATA_SIZE);
}

TEST(Font, SizesAreEightWideAndEightFourteenSixteenHigh) {
  const int kHeights[] = {8, 14, 16};
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(kFonts[f].width, 8);
    EXPECT_EQ(kFonts[f].height, kHeights[f]);
  }
}

TEST(Font, GlyphRowsHoldTheLeftmostPixelInBitZero) {
  struct Case {
    const char* what;
    int font;
    int code;
    std::vector<uint8_t> rows;
  };
  const std::vector<Case> kCases = {
      {"8x8 A", 0, 65, {0x0C, 0x1E, 0x33, 0x33, 0x3F, 0x33, 0x33, 0x00}},
      {"8x8 smiling face", 0, 1, {0x7E, 0x81, 0xA5, 0x81, 0xBD, 0x99, 0x81, 0x7E}},
  };
  for (const Case& c : kCases) EXPECT_EQ(glyph_rows(c.font, c.code), c.rows) << c.what;

  // Full block, left half block, right half block: the same row from top to bottom.
  const struct {
    int code;
    uint8_t row;
  } kBlocks[] = {{0xDB, 0xFF}, {0xDD, 0x0F}, {0xDE, 0xF0}};
  for (int f = 0; f < 3; ++f) {
    for (const auto& b : kBlocks) {
      EXPECT_EQ(glyph_rows(f, b.code), std::vector<uint8_t>(kFonts[f].height, b.row))
          << "font " << f << " code " << b.code;
    }
  }
}

TEST(Font, OnlyCodesZeroThirtyTwoAndTwoFiftyFiveAreBlank) {
  for (int f = 0; f < 3; ++f) {
    for (int code = 0; code < 256; ++code) {
      const std::vector<uint8_t> rows = glyph_rows(f, code);
      const bool blank = rows == std::vector<uint8_t>(rows.size(), 0);
      EXPECT_EQ(blank, code == 0 || code == 32 || code == 255) << "font " << f << " code " << code;
    }
  }
}

TEST(Font, EightByFourteenHasTheCodePage437Yen) {
  // The slashed O that a code page 865 font holds at 0x9D is not mirror-symmetric.
  for (const uint8_t row : glyph_rows(1, 0x9D)) EXPECT_EQ(mirrored(row), row);
  EXPECT_NE(glyph_rows(1, 0x9D), std::vector<uint8_t>(14, 0));
}

TEST(Palette, CountsAndCheckEntries) {
  const int kCounts[] = {2, 16, 64, 256};
  for (int p = 0; p < 4; ++p) EXPECT_EQ(kDefaultPalettes[p].count, kCounts[p]);

  const struct {
    int palette, entry, red, green, blue;
  } kCases[] = {
      {0, 0, 0, 0, 0},       {0, 1, 255, 255, 255},  {1, 0, 0, 0, 0},        {1, 1, 0, 0, 170},
      {1, 6, 170, 85, 0},    {1, 7, 170, 170, 170},  {1, 8, 85, 85, 85},     {1, 9, 85, 85, 255},
      {1, 14, 255, 255, 85}, {1, 15, 255, 255, 255}, {2, 1, 0, 0, 170},      {2, 8, 0, 0, 85},
      {2, 20, 170, 85, 0},   {2, 36, 255, 0, 0},     {2, 42, 85, 170, 85},   {2, 63, 255, 255, 255},
      {3, 16, 0, 0, 0},      {3, 17, 20, 20, 20},    {3, 31, 255, 255, 255}, {3, 32, 0, 0, 255},
      {3, 40, 255, 0, 0},    {3, 56, 125, 125, 255}, {3, 80, 182, 182, 255}, {3, 104, 0, 0, 113},
      {3, 176, 0, 0, 64},    {3, 247, 44, 48, 64},
  };
  unpack_gfx_data();
  for (const auto& c : kCases) {
    const uint8_t* rgb = kDefaultPalettes[c.palette].rgb + 3 * c.entry;
    EXPECT_EQ(std::vector<int>(rgb, rgb + 3), (std::vector<int>{c.red, c.green, c.blue}))
        << "palette " << c.palette << " entry " << c.entry;
  }
}

TEST(Palette, TwoFiftySixColoursStartWithTheSixteenAndEndBlack) {
  unpack_gfx_data();
  const uint8_t* vga = kDefaultPalettes[3].rgb;
  EXPECT_EQ(std::memcmp(vga, kDefaultPalettes[1].rgb, 16 * 3), 0);
  for (int entry = 248; entry < 256; ++entry) {
    EXPECT_EQ(vga[3 * entry] | vga[3 * entry + 1] | vga[3 * entry + 2], 0) << entry;
  }
}

// Two 12-bit codes per three bytes, the low code first; a last single code in two bytes.
std::vector<uint8_t> packed(const std::vector<uint16_t>& codes) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < codes.size(); i += 2) {
    const int high = i + 1 < codes.size() ? codes[i + 1] : 0;
    bytes.push_back(codes[i] & 0xFF);
    bytes.push_back(static_cast<uint8_t>(codes[i] >> 8 | (high & 0x0F) << 4));
    if (i + 1 < codes.size()) bytes.push_back(static_cast<uint8_t>(high >> 4));
  }
  return bytes;
}

std::string unpacked(const std::vector<uint8_t>& in, size_t capacity) {
  std::string out(capacity, '\0');
  const size_t size =
      lzw_unpack(in.data(), in.size(), reinterpret_cast<uint8_t*>(out.data()), capacity);
  out.resize(size);
  return out;
}

TEST(Lzw, UnpacksHandMadeCodeStreams) {
  struct Case {
    const char* what;
    std::vector<uint16_t> codes;
    size_t dropped_bytes;
    size_t capacity;
    std::string expected;
  };
  const std::vector<Case> kCases = {
      {"literal bytes", {65, 66, 67, 4095}, 0, 100, "ABC"},
      {"first code stands for its low byte", {0x141, 66, 4095}, 0, 100, "AB"},
      {"entry 256 is the first pair", {65, 66, 256, 4095}, 0, 100, "ABAB"},
      {"code naming the entry about to be made", {65, 256, 4095}, 0, 100, "AAA"},
      {"that case twice in a row", {65, 256, 257, 4095}, 0, 100, "AAAAAA"},
      {"that case on a longer string", {65, 66, 256, 258, 4095}, 0, 100, "ABABABA"},
      {"end code stops before later codes", {65, 4095, 66, 67}, 0, 100, "A"},
      {"end code first", {4095, 65}, 0, 100, ""},
      {"input runs out after a pair", {65, 66}, 0, 100, "AB"},
      {"last single code in two bytes", {65, 66, 67}, 0, 100, "ABC"},
      {"input cut inside a high code", {65, 66, 67, 68}, 1, 100, "ABC"},
      {"input cut inside a low code", {65, 66, 67, 68}, 2, 100, "AB"},
      {"input cut before the first code", {65}, 1, 100, ""},
      {"code beyond the next free index", {65, 66, 300, 67}, 0, 100, "AB"},
      {"output limit", {65, 66, 67, 4095}, 0, 2, "AB"},
      {"string cut at the output limit", {65, 66, 256, 4095}, 0, 3, "ABA"},
      {"no room at all", {65, 4095}, 0, 0, ""},
  };
  for (const Case& c : kCases) {
    std::vector<uint8_t> in = packed(c.codes);
    in.resize(in.size() - c.dropped_bytes);
    EXPECT_EQ(unpacked(in, c.capacity), c.expected) << c.what;
  }
}

TEST(Lzw, FullDictionaryKeepsItsEntries) {
  // 3839 codes after the first fill entries 256 to 4094: 256 is "AB", the others "BB".
  std::vector<uint16_t> codes = {65};
  codes.insert(codes.end(), 3839, 66);
  codes.insert(codes.end(), {256, 4094, 256, 4095});
  const std::string expected = "A" + std::string(3839, 'B') + "ABBBAB";
  EXPECT_EQ(unpacked(packed(codes), 10000), expected);
}

}  // namespace
