// The graphics layer in memory: the mode set and the screen record, palettes and the colour
// statement, text drawing with wrap, scroll and the owed newline, the key buffers, key
// translation and the packed fonts and palettes.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "console/channel.hpp"
#include "console/screen_statements.hpp"
#include "gfx/desktop_scale.hpp"
#include "gfx/driver.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/palette.hpp"
#include "gfx/pixel_convert.hpp"
#include "gfx/present.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"
#include "gfx/text_draw.hpp"
#include "gfx/window.hpp"
#include "memory_screen.hpp"
#include "runtime/device_hooks.hpp"
#include "runtime/key_translate.hpp"
#include "runtime/virtual_key.hpp"
#include <gtest/gtest.h>

namespace {

using namespace test_support;

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// Mode 1 and its palettes, chosen by the colour statement, which marks every line; the modes
// that do not exist are refused.
TEST(ScreenMode, SetsModeOneWithItsPalettesAndRefusesModesThatDoNotExist) {
  for (int32_t mode : {3, 4, 5, 6, 22, -1, 1000}) {
    EXPECT_EQ(screen_statement(mode, 8, 0, GFX_NO_WINDOW, 0), 1) << mode;
    EXPECT_EQ(current_screen(), nullptr);
  }
  ASSERT_EQ(screen_statement(1, 8, 0, GFX_NO_WINDOW, 0), 0);
  GfxScreen& s = *current_screen();
  EXPECT_EQ(screen_statement(5, 8, 0, GFX_NO_WINDOW, 0), 1);
  EXPECT_EQ(current_screen(), &s);
  const std::vector<int> shape{s.width, s.height, s.text_columns, s.text_rows, s.cursor_column, s.cursor_row};
  EXPECT_EQ(shape, std::vector<int>({320, 200, 40, 25, 0, 0}));
  EXPECT_EQ(std::make_pair(context_get().fg_color, context_get().bg_color), std::make_pair(3u, 0u));
  for (const PageMemory& page : s.pages) EXPECT_EQ(std::count(page.get(), page.get() + 320 * 200, 0), 320 * 200);
  const uint32_t* const p = s.device_palette;
  // The colour statement's arguments, and the four entries afterwards.
  const struct { int32_t background, palette, flags; uint32_t entries[4]; } kRows[] = {
      {-1, -1, -1, {rgb(0, 0, 0), rgb(85, 255, 255), rgb(255, 85, 255), rgb(255, 255, 255)}},
      {1, 5, 0, {rgb(0, 0, 170), rgb(0, 170, 170), rgb(170, 0, 170), rgb(170, 170, 170)}},
      {9, 3, 1, {rgb(0, 0, 0), rgb(85, 255, 255), rgb(255, 85, 255), rgb(255, 255, 255)}},  // a plain reset
      {0, 2, 0, {rgb(0, 0, 0), rgb(85, 255, 85), rgb(255, 85, 85), rgb(255, 255, 85)}},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(testing::Message() << "colour " << row.background << ", " << row.palette << ", " << row.flags);
    std::fill(s.dirty.begin(), s.dirty.end(), 0);
    if (row.palette >= 0) {
      EXPECT_EQ(gfx_color(row.background, row.palette, row.flags), 3u);
      EXPECT_EQ(std::count(s.dirty.begin(), s.dirty.end(), 1), static_cast<ptrdiff_t>(s.dirty.size()));
    }
    EXPECT_EQ(std::vector<uint32_t>(p, p + 4), std::vector<uint32_t>(row.entries, row.entries + 4));
  }
  palette_statement(258, 1, 2, 3);  // an entry past the palette's end wraps round
  EXPECT_EQ(std::vector<uint32_t>(p, p + 4), std::vector<uint32_t>({rgb(0, 0, 0), rgb(85, 255, 85), rgb(1, 2, 3), rgb(255, 255, 85)}));
  EXPECT_EQ(context_get().fg_color, 3u);  // mode 1 keeps its drawing colours
  close_screen();
  EXPECT_FALSE(device_hooks().text_output || device_hooks().read_line);  // no hook left behind
}

GfxScreen& screen() { return *current_screen(); }

void print(const std::string& text) { gfx_print(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0); }

bool pending() { return screen().flags & SCREEN_PENDING_NEWLINE; }

void clear_dirty() { std::fill(screen().dirty.begin(), screen().dirty.end(), 0); }

// Every pixel of page 0 is the glyph of its cell's character: 3 where a bit is set, else 0.
void expect_pixels_match_cells() {
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      const uint16_t code = screen().text_cells[0][static_cast<size_t>(y / 8 * 40 + x / 8)].code;
      const bool set = (screen().font->glyphs[code * 8 + y % 8] >> (x % 8)) & 1;
      ASSERT_EQ(screen().pages[0][y * 320 + x], set ? 3 : 0) << "pixel " << x << "," << y;
    }
  }
}

// Glyphs drawn opaque, marking their lines, and the cursor mark; wrapping, the owed newline,
// locate, clear and scrolls, each marking the lines it changed.
TEST(GfxText, DrawsWrapsLocatesClearsAndScrolls) {
  ASSERT_EQ(screen_statement(1, 8, 0, GFX_NO_WINDOW, 0), 0);
  clear_dirty();
  print("A\x01");
  expect_pixels_match_cells();
  const uint8_t* a_rows = screen().font->glyphs + 'A' * 8;  // leftmost pixel in bit 0
  EXPECT_EQ(std::vector<uint8_t>(a_rows, a_rows + 8),
            std::vector<uint8_t>({0x0C, 0x1E, 0x33, 0x33, 0x3F, 0x33, 0x33, 0x00}));
  EXPECT_EQ(std::vector<uint8_t>(screen().dirty.begin(), screen().dirty.begin() + 9),
            std::vector<uint8_t>({1, 1, 1, 1, 1, 1, 1, 1, 0}));
  gfx_locate(1, 1);
  print("\xff");  // alone, 255 is the cursor mark: one line across the bottom of the cell
  EXPECT_EQ(cursor_cell(), std::make_pair(2, 1));
  for (int x = 0; x < 8; ++x) EXPECT_EQ(screen().pages[0][7 * 320 + x], 3);
  EXPECT_EQ(screen().pages[0][4 * 320 + 0], 3);  // the glyph's own pixels stay
  EXPECT_EQ(screen().text_cells[0][0].code, 255);
  gfx_locate(1, 1);
  print("\xff\xff");  // inside a longer write 255 is its (blank) glyph
  for (int x = 0; x < 16; ++x) EXPECT_EQ(screen().pages[0][7 * 320 + x], 0);
  // Text wraps and owes the newline after the last cell.
  const struct { int row; size_t length; char c; std::pair<int, int> end; bool owed; } kWrites[] = {
      {3, 41, 'x', {2, 4}, false}, {5, 40, 'y', {1, 6}, false}, {25, 40, 'z', {40, 25}, true}};
  for (const auto& w : kWrites) {
    gfx_locate(w.row, 1);
    print(std::string(w.length, w.c));
    EXPECT_EQ(cursor_cell(), w.end) << w.c;
    EXPECT_EQ(pending(), w.owed) << w.c;
  }
  gfx_print(nullptr, 0, TEXT_OUTPUT_FORCE);  // carries out only the owed newline
  EXPECT_FALSE(pending());
  gfx_print(nullptr, 0, TEXT_OUTPUT_FORCE);  // nothing owed: nothing moves
  EXPECT_EQ(cursor_cell(), std::make_pair(1, 25));
  const std::vector<std::string> scrolled{std::string(40, 'x'), "x", std::string(40, 'y'), ""};
  EXPECT_EQ(std::vector<std::string>({screen_row(2), screen_row(3), screen_row(4), screen_row(5)}), scrolled);
  EXPECT_EQ(screen_row(24), std::string(40, 'z'));
  expect_pixels_match_cells();
  print(std::string(40, 'w'));
  locate(26, 1);  // outside the view: nothing moves, but the owed newline is cancelled
  EXPECT_FALSE(pending());
  EXPECT_EQ(cursor_cell(), std::make_pair(40, 25));
  locate(3, 41);
  EXPECT_EQ(cursor_cell(), std::make_pair(40, 25));
  locate(0, 5);
  EXPECT_EQ(cursor_cell(), std::make_pair(5, 25));
  EXPECT_EQ(screen_channel().column, 4);
  clear_screen_statement(0xFFFF0000u);
  EXPECT_EQ(screen_row(25), "");
  EXPECT_EQ(cursor_cell(), std::make_pair(1, 1));
  expect_pixels_match_cells();
  // Line ends at the bottom scroll and mark every line of the view.
  for (int r = 1; r <= 25; ++r) {
    gfx_locate(r, 1);
    print(std::to_string(r));
  }
  for (const int scrolled : {1, 4}) {  // one line end, then three more
    clear_dirty();
    print(scrolled == 1 ? "\r\n" : "\r\n\r\n\r\n");
    EXPECT_EQ(std::count(screen().dirty.begin(), screen().dirty.end(), 1), 200);
    EXPECT_EQ(screen_row(1), std::to_string(1 + scrolled));
    EXPECT_EQ(screen_row(25 - scrolled), "25");
    for (int r = 26 - scrolled; r <= 25; ++r) EXPECT_EQ(screen_row(r), "") << r;
  }
  EXPECT_EQ(cursor_cell(), std::make_pair(1, 25));
  expect_pixels_match_cells();
  close_screen();
}

// Every display format the window drivers meet, with a colour whose three channels differ, so
// that swapped channels, a lost top bit or a wrong byte order show.
TEST(PixelConvert, PaletteScreenInEveryDisplayFormat) {
  PaletteEntry palette[256]{};
  palette[7] = {0x12, 0x56, 0x9A, 0};
  const uint8_t indices[] = {7, 3};
  const struct { DisplayFormat format; std::vector<uint8_t> pixel; } kRows[] = {
      {{0, 0, 0, 1}, {7}},                                             // palette indices
      {{0x7C00, 0x03E0, 0x001F, 2}, {0x53, 0x09}},                     // 15 bits
      {{0xF800, 0x07E0, 0x001F, 2}, {0xB3, 0x12}},                     // 16 bits
      {{0x001F, 0x07E0, 0xF800, 2}, {0xA2, 0x9A}},                     // 16 bits, blue on top
      {{0xFF0000, 0xFF00, 0xFF, 3}, {0x9A, 0x56, 0x12}},               // 24 bits
      {{0xFF, 0xFF00, 0xFF0000, 4}, {0x12, 0x56, 0x9A, 0}},            // 32 bits, red at bit 0
      {{0x3FF00000, 0xFFC00, 0x3FF, 4}, {0x68, 0x62, 0x85, 0x04}},     // 10 bits a channel
  };
  for (const auto& row : kRows) {
    uint32_t table[256];
    fill_pixel_table(row.format, palette, table);
    std::vector<uint8_t> out(4 * static_cast<size_t>(row.format.bytes_per_pixel), 0xEE);
    convert_pixel_line(row.format, table, indices, 1, 2, 2, out.data());
    std::vector<uint8_t> expected = row.pixel;  // each pixel twice across: scale 2
    expected.insert(expected.end(), row.pixel.begin(), row.pixel.end());
    for (size_t i = 0; i < 2 * row.pixel.size(); ++i) expected.push_back(row.format.bytes_per_pixel == 1 ? 3 : 0);
    EXPECT_EQ(out, expected) << "red mask " << row.format.red_mask;
  }
}

// A palette change with no line dirty shows every line again in the new colours, once; a key
// typed and read then shows none.
TEST(PresentStep, APaletteChangeAloneShowsEveryLine) {
  ASSERT_EQ(screen_statement(1, 8, 0, GFX_NO_WINDOW, 0), 0);
  screen().visible_framebuffer[150 * screen().pitch + 3] = 1;
  clear_dirty();
  window_set_palette(0, 0x10, 0x20, 0x30);
  window_set_palette(1, 0x12, 0x56, 0x9A);
  uint32_t table[256];
  std::vector<uint32_t> picture(320 * 200, 0xEEEEEEEE);
  std::vector<std::pair<int32_t, int32_t>> shown;
  int palettes_taken = 0;
  const Presenter presenter{{0xFF, 0xFF00, 0xFF0000, 4}, &table, 1, [&](const PaletteEntry*) { ++palettes_taken; },
                            [&] { return PictureLines{reinterpret_cast<uint8_t*>(picture.data()), 320 * 4}; },
                            [&](int32_t first, int32_t last) { shown.emplace_back(first, last); }};
  for (int step = 0; step < 2; ++step, key_push(13), key_read()) present_dirty_lines(screen(), presenter);
  std::vector<uint32_t> expected(320 * 200, 0x302010);
  expected[150 * 320 + 3] = 0x9A5612;
  EXPECT_EQ(picture, expected);
  EXPECT_EQ(shown, (std::vector<std::pair<int32_t, int32_t>>{{0, 199}}));
  EXPECT_EQ(palettes_taken, 1);
  close_screen();
}

// A desktop's scale to the nearest whole factor, halves up; what is no usable scale gives 1; the
// factor lowered until the 320 x 200 picture fits the work area.
TEST(DesktopScale, NearestWholeFactorThatFitsTheWorkArea) {
  const double kInfinity = std::numeric_limits<double>::infinity();
  const struct { double desktop_scale; int whole; } kScales[] = {{1.25, 1}, {1.49, 1}, {1.5, 2}, {1.75, 2}, {2.5, 3},
      {0.4, 1}, {64, 64}, {64.5, 1}, {0, 1}, {-2, 1}, {kInfinity, 1}, {std::nan(""), 1}};
  for (const auto& [desktop_scale, whole] : kScales) EXPECT_EQ(whole_scale(desktop_scale), whole) << desktop_scale;
  const struct { int scale, area_width, area_height, fitting; } kAreas[] = {
      {4, 1024, 768, 3}, {4, 1280, 800, 4}, {4, 1279, 800, 3}, {3, 1000, 450, 2}, {2, 319, 199, 1}, {1, 1, 1, 1}};
  for (const auto& [scale, area_width, area_height, fitting] : kAreas) {
    EXPECT_EQ(fitting_scale(scale, 320, 200, area_width, area_height), fitting) << scale << " in " << area_width << " x " << area_height;
  }
  // A fractional scale in 120ths: the logical size shown on the picture's device pixels, or on
  // the fewest more where none is (1.5 maps 427 onto 640.5, which rounds away to 641).
  const struct { int device, scale_120ths, logical, shown_on; } kFractions[] = {
      {320, 120, 320, 320}, {640, 180, 427, 641}, {400, 180, 267, 401}, {320, 150, 256, 320}, {640, 210, 366, 641},
      {600, 144, 500, 600}, {960, 300, 384, 960}};
  for (const auto& [device, scale_120ths, logical, shown_on] : kFractions) {
    EXPECT_EQ(covering_logical_size(device, scale_120ths), logical) << device << " at " << scale_120ths;
    EXPECT_EQ(device_pixels(logical, scale_120ths), shown_on) << device << " at " << scale_120ths;
  }
}

TEST(KeyBuffers, HoldOneKeyLessThanTheirSlotsAndDropTheOldest) {
  while (key_read() != 0) {}
  for (const int32_t pushed : {1, 15, 16, 17, 10000}) {
    for (int32_t code = 1; code <= pushed; ++code) key_push(code);
    std::vector<int32_t> read, newest(static_cast<size_t>(std::min(pushed, 15)));
    std::iota(newest.begin(), newest.end(), pushed - static_cast<int32_t>(newest.size()) + 1);
    for (int32_t code; (code = key_read()) != 0;) read.push_back(code);
    // The read of the last key cleared the flag.
    EXPECT_EQ((std::pair{read, take_key_arrived()}), (std::pair{newest, false})) << pushed << " pushed";
  }
  for (const int32_t code : {13, int{'x'}}) key_push(code);
  // The key typed right after Enter still ends a key wait.
  EXPECT_EQ((std::vector<int32_t>{take_key_arrived(), key_read(), take_key_arrived(), key_read(), take_key_arrived()}),
            (std::vector<int32_t>{1, 13, 1, 'x', 0}));
}

constexpr uint32_t ALT = key_state::LEFT_ALT, CTRL = key_state::LEFT_CTRL, SHIFT = key_state::SHIFT, ENH = key_state::ENHANCED;

// A US keyboard's own characters: letters upper case, digits, a few keys with characters.
int us_own_character(int vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
  return vk == vk::TAB ? 9 : vk == vk::ESCAPE ? 27 : vk == vk::NUMPAD8 ? '8' : 0;
}

// One row per rule: each modifier column, the keys with and without the enhanced flag, and the
// characters that stand for themselves.
TEST(KeyTranslate, TranslatesEachKeyAndModifierCombination) {
  const struct {
    const char* name;
    int character, scan_code, virtual_key;
    uint32_t state;
    int32_t expected;
  } kCases[] = {
      {"F1", 0, 59, vk::F1, 0, 15359}, {"Shift+F1", 0, 59, vk::F1, SHIFT, 21759},
      {"Ctrl+F1", 0, 59, vk::F1, CTRL, 24319}, {"Alt+F1", 0, 59, vk::F1, ALT, 26879},
      {"Ctrl+Alt+F1 takes the Alt column", 0, 59, vk::F1, CTRL | ALT, 26879},
      {"right Alt+F4 is the close code", 0, 62, vk::F4, key_state::RIGHT_ALT, 27647},
      {"right Ctrl+F12", 0, 88, vk::F12, key_state::RIGHT_CTRL, 35583}, {"Up", 0, 72, vk::UP, ENH, 18687},
      {"Shift+Up", 0, 72, vk::UP, ENH | SHIFT, 18687}, {"Alt+Up", 0, 72, vk::UP, ENH | ALT, 39167},
      {"Ctrl+Left", 0, 75, vk::LEFT, ENH | CTRL, 29695}, {"Delete", 0, 83, vk::DEL, ENH, 21503},
      {"keypad 8, Num Lock off", 0, 72, vk::UP, 0, 18687}, {"keypad 8, Num Lock on", '8', 72, vk::NUMPAD8, 0, 56},
      {"Ctrl+keypad 8 typing its own character", '8', 72, vk::NUMPAD8, CTRL, 36351},
      {"Alt+keypad 5", 0, 76, vk::CLEAR, ALT, 19711}, {"Shift+keypad 8 has no Shift entry", 0, 72, vk::UP, SHIFT, -1},
      {"Shift+Tab", 9, 15, vk::TAB, SHIFT, 4095}, {"Alt+Esc", 27, 1, vk::ESCAPE, ALT, 511},
      {"keypad Enter without a character", 0, 28, vk::RETURN, ENH, 13},
      {"Ctrl+keypad Enter without a character", 0, 28, vk::RETURN, ENH | CTRL, 10},
      {"Shift+keypad slash without a character", 0, 53, vk::DIVIDE, ENH | SHIFT, 63},
      {"Alt+a", 'a', 30, 'A', ALT, 7935}, {"Alt+A typing no character", 0, 30, 'A', ALT, -1},
      {"Alt with a letter of another layout", 0xE9, 30, 'A', ALT, 0xE9}, {"Ctrl+A", 1, 30, 'A', CTRL, 1},
      {"Alt+1", '1', 2, '1', ALT, 30975}, {"Alt+Shift+1 types !, not its own character", '!', 2, '1', ALT | SHIFT, 33},
      {"only the low byte of the character counts", 0x141, 30, 'A', SHIFT, 65},
      {"Shift alone", 0, 42, vk::SHIFT, SHIFT, -1}, {"scan code beyond the table", 0, 100, 0, 0, -1},
      {"scan code beyond the table, a character", 'x', 100, 0, ALT, 'x'},
      {"enhanced key missing from its table", 0, 29, 0, ENH, -1},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(translate_key(c.character, c.scan_code, c.virtual_key, c.state, us_own_character), c.expected) << c.name;
  }
}

}  // namespace
