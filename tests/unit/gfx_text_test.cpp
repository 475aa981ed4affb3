// Text on the graphics screen: glyphs, wrap, scroll, the owed newline, controls, the cursor
// mark and the cursor statements; and the whole dialogue of zorvy on a screen in memory.
#include <gtest/gtest.h>

#include <string>

#include "app/program_main.hpp"
#include "console/channel.hpp"
#include "console/screen_statements.hpp"
#include "gfx/driver.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"
#include "gfx/text_draw.hpp"

namespace {

class GfxText : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(screen_statement(1, 8, 0, GFX_NO_WINDOW, 0), 0); }
  void TearDown() override { close_screen(); }

  static GfxScreen& screen() { return *current_screen(); }

  static void print(const std::string& text) {
    gfx_print(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0);
  }

  // Row r (from 1) of the work page's text cells, trailing blanks removed.
  static std::string row(int r) {
    std::string text;
    for (int c = 0; c < 40; ++c) {
      text += static_cast<char>(screen().text_cells[0][static_cast<size_t>((r - 1) * 40 + c)].code);
    }
    return text.erase(text.find_last_not_of(' ') + 1);
  }

  static std::pair<int32_t, int32_t> cell() {
    int32_t column = 0, row = 0;
    gfx_cursor_cell(&column, &row);
    return {column, row};
  }

  static bool pending() { return screen().flags & SCREEN_PENDING_NEWLINE; }

  // Every pixel of page 0 is the glyph of its cell's character: 3 where a bit is set, else 0.
  static void expect_pixels_match_cells() {
    const FontInfo& font = *screen().font;
    for (int r = 0; r < 25; ++r) {
      for (int c = 0; c < 40; ++c) {
        const uint16_t code = screen().text_cells[0][static_cast<size_t>(r * 40 + c)].code;
        for (int y = 0; y < 8; ++y) {
          const uint8_t bits = font.glyphs[code * 8 + y];
          for (int x = 0; x < 8; ++x) {
            const uint8_t pixel = screen().pages[0][(r * 8 + y) * 320 + c * 8 + x];
            ASSERT_EQ(pixel, (bits >> x) & 1 ? 3 : 0) << "cell " << c << "," << r;
          }
        }
      }
    }
  }
};

TEST_F(GfxText, GlyphsAreDrawnOpaqueInTheContextColours) {
  std::fill(screen().dirty.begin(), screen().dirty.end(), 0);
  print("A\x01");
  expect_pixels_match_cells();
  const uint8_t a_rows[] = {0x0C, 0x1E, 0x33, 0x33, 0x3F, 0x33, 0x33, 0x00};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(screen().pages[0][y * 320 + x], (a_rows[y] >> x) & 1 ? 3 : 0);
    }
  }
  for (int y = 0; y < 8; ++y) EXPECT_EQ(screen().dirty[static_cast<size_t>(y)], 1);
  EXPECT_EQ(screen().dirty[8], 0);
}

TEST_F(GfxText, WrapsAtTheRightEdge) {
  gfx_locate(3, 1);
  print(std::string(41, 'x'));
  EXPECT_EQ(row(3), std::string(40, 'x'));
  EXPECT_EQ(row(4), "x");
  EXPECT_EQ(cell(), std::make_pair(2, 4));
  gfx_locate(5, 1);
  print(std::string(40, 'y'));
  EXPECT_EQ(cell(), std::make_pair(1, 6));
  EXPECT_FALSE(pending());
}

TEST_F(GfxText, FillingTheLastRowOwesTheNewline) {
  gfx_locate(3, 1);
  print("top");
  gfx_locate(25, 1);
  print(std::string(40, 'z'));
  EXPECT_EQ(cell(), std::make_pair(40, 25));
  EXPECT_TRUE(pending());
  EXPECT_EQ(row(3), "top");  // nothing scrolled yet
  print("\r\n");
  EXPECT_EQ(row(1), "top");  // two scrolls: the owed one and the line end
  EXPECT_EQ(row(23), std::string(40, 'z'));
  EXPECT_EQ(row(24), "");
  EXPECT_EQ(cell(), std::make_pair(1, 25));
  expect_pixels_match_cells();
}

TEST_F(GfxText, ForcedEmptyPrintCarriesOutOnlyTheOwedNewline) {
  gfx_print(nullptr, 0, GFX_PRINT_FORCE);
  EXPECT_EQ(cell(), std::make_pair(1, 1));
  gfx_locate(25, 1);
  print(std::string(40, 'q'));
  gfx_print(nullptr, 0, 0);
  EXPECT_TRUE(pending());
  gfx_print(nullptr, 0, GFX_PRINT_FORCE);
  EXPECT_FALSE(pending());
  EXPECT_EQ(cell(), std::make_pair(1, 25));
  EXPECT_EQ(row(24), std::string(40, 'q'));
}

TEST_F(GfxText, LineEndsAtTheBottomScrollOneOrSeveralRows) {
  for (int r = 1; r <= 25; ++r) {
    gfx_locate(r, 1);
    print(std::to_string(r));
  }
  print("\r\n");
  EXPECT_EQ(row(1), "2");
  EXPECT_EQ(row(24), "25");
  EXPECT_EQ(row(25), "");
  EXPECT_EQ(cell(), std::make_pair(1, 25));
  print("\r\n\r\n\r\n");
  EXPECT_EQ(row(1), "5");
  EXPECT_EQ(row(21), "25");
  for (int r = 22; r <= 25; ++r) EXPECT_EQ(row(r), "");
  expect_pixels_match_cells();
}

TEST_F(GfxText, ControlCharacters) {
  struct ControlCase {
    const char* name;
    int32_t column;
    std::string text;
    std::string row;
    std::pair<int32_t, int32_t> cell;
  };
  const ControlCase cases[] = {
      {"tab at column 1", 1, "\tx", "        x", {10, 2}},
      {"tab at column 7", 7, "\tx", "        x", {10, 2}},
      {"tab at column 40 wraps", 40, "\t", "", {1, 3}},
      {"bs at column 1", 1, "\bq", "q", {2, 2}},
      {"bs after two letters", 1, "AB\b", "AB", {2, 2}},
      {"cr overwrites from the left", 1, "abc\rX", "Xbc", {2, 2}},
  };
  for (const ControlCase& c : cases) {
    gfx_cls(0);
    gfx_locate(2, c.column);
    print(c.text);
    EXPECT_EQ(row(2), c.row) << c.name;
    EXPECT_EQ(cell(), c.cell) << c.name;
  }
}

TEST_F(GfxText, CursorMarkIsOneLineAcrossTheBottomOfTheCell) {
  print("A");
  gfx_locate(1, 1);
  print("\xff");
  EXPECT_EQ(cell(), std::make_pair(2, 1));
  for (int x = 0; x < 8; ++x) EXPECT_EQ(screen().pages[0][7 * 320 + x], 3);
  EXPECT_EQ(screen().pages[0][4 * 320 + 0], 3);  // the glyph's own pixels stay
  EXPECT_EQ(screen().text_cells[0][0].code, 255);
  gfx_locate(1, 1);
  print("\xff\xff");  // inside a longer write 255 is its (blank) glyph
  for (int x = 0; x < 16; ++x) EXPECT_EQ(screen().pages[0][7 * 320 + x], 0);
}

TEST_F(GfxText, LocateOutsideTheViewMovesNothingButCancelsTheOwedNewline) {
  gfx_locate(25, 1);
  print(std::string(40, 'w'));
  ASSERT_TRUE(pending());
  locate(26, 1);
  EXPECT_FALSE(pending());
  EXPECT_EQ(cell(), std::make_pair(40, 25));
  locate(3, 41);
  EXPECT_EQ(cell(), std::make_pair(40, 25));
  locate(0, 5);
  EXPECT_EQ(cell(), std::make_pair(5, 25));
  EXPECT_EQ(screen_channel().column, 4);
}

TEST_F(GfxText, ClearScreenBlanksEverythingAndHomesTheCursor) {
  print("hello\r\nworld");
  clear_screen_statement(0xFFFF0000u);
  EXPECT_EQ(row(1), "");
  EXPECT_EQ(row(2), "");
  EXPECT_EQ(cell(), std::make_pair(1, 1));
  expect_pixels_match_cells();
}

TEST_F(GfxText, ZorvyDialogueOnAScreenInMemory) {
  close_screen();
  setenv("QZGFX", "null", 1);
  for (int32_t key : {int32_t{'1'}, int32_t{'0'}, int32_t{13}}) key_push(key);
  run_dialogue({" Zorvy Numbers", -1});
  unsetenv("QZGFX");
  const std::string expected[25] = {
      "", " Zorvy Numbers", "", " Zadej do jakeho cisla pocitat", "", "? 10", "", " 1", " 5",
      " 23", "", "", " Celkovy pocet provedenych vypoctu:", "", " 15", "",
      " Nejvyssi faktorial:  4"};
  for (int r = 1; r <= 25; ++r) EXPECT_EQ(row(r), expected[r - 1]) << "row " << r;
  expect_pixels_match_cells();
  const uint32_t* p = screen().device_palette;
  EXPECT_EQ(p[0], 170u << 16);                   // blue
  EXPECT_EQ(p[3], 170u | 170u << 8 | 170u << 16);  // light grey
}

}  // namespace
