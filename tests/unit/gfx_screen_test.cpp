// The graphics screen in memory: modes, the screen record, palettes and the colour statement.
#include <gtest/gtest.h>

#include <cstdint>

#include "gfx/driver.hpp"
#include "gfx/palette.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"
#include "runtime/device_hooks.hpp"

namespace {

class GfxScreenTest : public testing::Test {
 protected:
  void TearDown() override { close_screen(); }
};

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

TEST_F(GfxScreenTest, ModeOneRecord) {
  ASSERT_EQ(screen_statement(1, 8, 0, GFX_NO_WINDOW, 0), 0);
  const GfxScreen& s = *current_screen();
  EXPECT_EQ(s.width, 320);
  EXPECT_EQ(s.height, 200);
  EXPECT_EQ(s.depth, 2);
  EXPECT_EQ(s.color_mask, 3u);
  EXPECT_EQ(s.pitch, 320);
  EXPECT_EQ(s.page_count, 8);
  EXPECT_EQ(s.text_columns, 40);
  EXPECT_EQ(s.text_rows, 25);
  EXPECT_EQ(s.font->width, 8);
  EXPECT_EQ(s.font->height, 8);
  EXPECT_FLOAT_EQ(s.aspect, 0.8333333f);
  EXPECT_EQ(s.cursor_column, 0);
  EXPECT_EQ(s.cursor_row, 0);
  EXPECT_EQ(context_get().fg_color, 3u);
  EXPECT_EQ(context_get().bg_color, 0u);
  for (const PageMemory& page : s.pages) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(page.get()) % 16, 0u);
    for (int i = 0; i < 320 * 200; ++i) ASSERT_EQ(page[i], 0) << i;
  }
  EXPECT_NE(device_hooks().text_output, nullptr);
}

TEST_F(GfxScreenTest, DepthFollowsTheModeUnlessAboveThirteen) {
  struct DepthCase {
    int32_t mode, asked, depth, bytes_per_pixel;
    uint32_t mask;
  };
  const DepthCase cases[] = {{1, 32, 2, 1, 3},         {13, 32, 8, 1, 255},
                             {14, 32, 32, 4, 0xFFFFFFFF}, {14, 15, 16, 2, 0xFFFF},
                             {14, 24, 32, 4, 0xFFFFFFFF}, {14, 12, 8, 1, 255},
                             {2, 8, 1, 1, 1},          {9, 8, 4, 1, 15}};
  for (const DepthCase& c : cases) {
    ASSERT_EQ(screen_statement(c.mode, c.asked, 1, GFX_NO_WINDOW, 0), 0) << c.mode;
    const GfxScreen& s = *current_screen();
    EXPECT_EQ(s.depth, c.depth) << c.mode << " " << c.asked;
    EXPECT_EQ(s.bytes_per_pixel, c.bytes_per_pixel) << c.mode << " " << c.asked;
    EXPECT_EQ(s.color_mask, c.mask) << c.mode << " " << c.asked;
    EXPECT_EQ(s.pitch, s.width * c.bytes_per_pixel);
  }
}

TEST_F(GfxScreenTest, ModesThatDoNotExistChangeNothing) {
  for (int32_t mode : {3, 4, 5, 6, 22, -1, 1000}) {
    EXPECT_EQ(screen_statement(mode, 8, 0, GFX_NO_WINDOW, 0), 1) << mode;
    EXPECT_EQ(current_screen(), nullptr);
  }
  ASSERT_EQ(screen_statement(1, 8, 0, GFX_NO_WINDOW, 0), 0);
  GfxScreen* open = current_screen();
  EXPECT_EQ(screen_statement(5, 8, 0, GFX_NO_WINDOW, 0), 1);
  EXPECT_EQ(current_screen(), open);
}

TEST_F(GfxScreenTest, ClosingEmptiesTheHooks) {
  ASSERT_EQ(screen_statement(13, 8, 0, GFX_NO_WINDOW, 0), 0);
  close_screen();
  EXPECT_EQ(current_screen(), nullptr);
  EXPECT_EQ(device_hooks().text_output, nullptr);
  EXPECT_EQ(device_hooks().read_line, nullptr);
}

TEST_F(GfxScreenTest, WithoutAnyPresentationTheModeSetFails) {
  const std::string display = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
  unsetenv("DISPLAY");
  unsetenv("QZGFX");
  EXPECT_EQ(screen_statement(1, 8, 0, 0, 0), 1);
  EXPECT_EQ(current_screen(), nullptr);
  setenv("QZGFX", "NuLL", 1);
  EXPECT_EQ(screen_statement(1, 8, 0, 0, 0), 0);
  EXPECT_EQ(std::string(current_screen()->driver->name), "Null");
  unsetenv("QZGFX");
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
}

TEST_F(GfxScreenTest, ModeOnePaletteAndTheColourStatement) {
  ASSERT_EQ(screen_statement(1, 8, 0, GFX_NO_WINDOW, 0), 0);
  const uint32_t* p = current_screen()->device_palette;
  EXPECT_EQ(p[0], rgb(0, 0, 0));
  EXPECT_EQ(p[1], rgb(85, 255, 255));
  EXPECT_EQ(p[2], rgb(255, 85, 255));
  EXPECT_EQ(p[3], rgb(255, 255, 255));
  EXPECT_EQ(gfx_color(1, 5, 0), 3u);
  EXPECT_EQ(p[0], rgb(0, 0, 170));
  EXPECT_EQ(p[1], rgb(0, 170, 170));
  EXPECT_EQ(p[2], rgb(170, 0, 170));
  EXPECT_EQ(p[3], rgb(170, 170, 170));
  EXPECT_EQ(gfx_color(1, 5, 0), 3u);
  EXPECT_EQ(gfx_color(9, 3, 1), 3u);  // foreground omitted: a plain reset
  EXPECT_EQ(p[0], rgb(0, 0, 0));
  EXPECT_EQ(p[1], rgb(85, 255, 255));
  EXPECT_EQ(p[3], rgb(255, 255, 255));
  gfx_color(0, 2, 0);
  EXPECT_EQ(p[1], rgb(85, 255, 85));
  EXPECT_EQ(p[2], rgb(255, 85, 85));
  EXPECT_EQ(p[3], rgb(255, 255, 85));
  EXPECT_EQ(context_get().fg_color, 3u);  // mode 1 keeps its drawing colours
}

TEST_F(GfxScreenTest, PaletteChangesMarkEveryLineDirty) {
  ASSERT_EQ(screen_statement(1, 8, 0, GFX_NO_WINDOW, 0), 0);
  GfxScreen& s = *current_screen();
  std::fill(s.dirty.begin(), s.dirty.end(), 0);
  gfx_color(1, 5, 0);
  for (uint8_t d : s.dirty) ASSERT_EQ(d, 1);
}

TEST_F(GfxScreenTest, PaletteSetInTheVgaModes) {
  ASSERT_EQ(screen_statement(13, 8, 0, GFX_NO_WINDOW, 0), 0);
  const uint32_t* p = current_screen()->device_palette;
  EXPECT_EQ(p[32], rgb(0, 0, 255));
  EXPECT_EQ(p[247], rgb(44, 48, 64));
  palette_statement(5, 0x3F2010, -1, -1);  // 6-bit blue 63, green 32, red 16
  EXPECT_EQ(p[5], rgb(16 * 255 / 63, 32 * 255 / 63, 255));
  palette_statement(300, 1, 2, 3);  // the index wraps
  EXPECT_EQ(p[44], rgb(1, 2, 3));
}

TEST_F(GfxScreenTest, WindowTitleIsTheProgramNameWithoutExtension) {
  EXPECT_EQ(std::string(window_title()), "unit_tests");
}

}  // namespace
