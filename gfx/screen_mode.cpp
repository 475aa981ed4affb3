#include "gfx/screen_mode.hpp"

#include <cstring>
#include <string>

#include "console/channel.hpp"
#include "console/line_editor.hpp"
#include "gfx/driver.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/palette.hpp"
#include "gfx/pixel_ops.hpp"
#include "gfx/screen.hpp"
#include "gfx/text_draw.hpp"
#include "gfx/window.hpp"
#include "runtime/device_hooks.hpp"
#include "runtime/exit_actions.hpp"
#include "runtime/platform.hpp"
#include "runtime/program_name.hpp"
#include "runtime/runtime_state.hpp"
#include "runtime/text_console.hpp"

namespace {

struct ModeInfo {
  uint16_t width;  // 0: the mode does not exist
  uint16_t height;
  uint8_t depth;
  uint8_t scanline_multiplier;
  uint8_t default_pages;
  int8_t palette;  // index into kDefaultPalettes, -1 for none
  int8_t font;     // index into kFonts, -1 for none
  uint8_t text_columns;
  uint8_t text_rows;
};

constexpr ModeInfo kNoMode{0, 0, 0, 0, 1, -1, -1, 0, 0};

constexpr ModeInfo kModeTable[] = {
    kNoMode,
    {320, 200, 2, 1, 8, 1, 0, 40, 25},
    {640, 200, 1, 2, 1, 1, 0, 80, 25},
    kNoMode,
    kNoMode,
    kNoMode,
    kNoMode,
    {320, 200, 4, 1, 8, 1, 0, 40, 25},
    {640, 200, 4, 2, 4, 1, 0, 80, 25},
    {640, 350, 4, 1, 2, 2, 1, 80, 25},
    {640, 350, 1, 1, 2, 0, 1, 80, 25},
    {640, 480, 1, 1, 1, 0, 2, 80, 30},
    {640, 480, 4, 1, 1, 3, 2, 80, 30},
    {320, 200, 8, 1, 1, 3, 0, 40, 25},
    {320, 240, 8, 1, 1, 3, 0, 40, 30},
    {400, 300, 8, 1, 1, 3, 0, 50, 37},
    {512, 384, 8, 1, 1, 3, 2, 64, 24},
    {640, 400, 8, 1, 1, 3, 2, 80, 25},
    {640, 480, 8, 1, 1, 3, 2, 80, 30},
    {800, 600, 8, 1, 1, 3, 2, 100, 37},
    {1024, 768, 8, 1, 1, 3, 2, 128, 48},
    {1280, 1024, 8, 1, 1, 3, 2, 160, 64},
};

// A mode set as asked: the mode's row of the table, with the depth and page count chosen.
struct ModeRequest {
  int32_t mode;
  ModeInfo info;
  int32_t depth;
  int32_t page_count;
  int32_t refresh_rate;
  int32_t flags;
};

constexpr int32_t kPageAlignment = 16;

int32_t serial_counter = 0;
bool end_hook_set = false;

bool depth_selectable(int32_t depth) {
  return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

std::string read_line_with_cursor() { return edit_input_line(true); }

int32_t input_never_ends() { return 0; }

void install_device_hooks() {
  DeviceHooks& hooks = device_hooks();
  hooks.clear = gfx_cls;
  hooks.color = gfx_color;
  hooks.text_output = gfx_print;
  hooks.locate = gfx_locate;
  hooks.cursor_cell = gfx_cursor_cell;
  hooks.text_size = gfx_text_size;
  hooks.read_line = read_line_with_cursor;
  hooks.key_hit = gfx_key_hit;
  hooks.inkey_code = gfx_inkey_code;
  hooks.getkey = gfx_getkey;
  hooks.input_ended = input_never_ends;
  hooks.sleep = gfx_sleep;
  hooks.tone = gfx_tone;
}

// Normalises the depth: 15 and 16 bits are stored in 2 bytes, 24 and 32 in 4, others in
// whole bytes with a mask of their own bits.
void set_depth(GfxScreen& screen, int32_t depth) {
  if (depth == 15 || depth == 16) {
    screen.color_mask = 0xFFFF;
    screen.depth = 16;
    screen.bytes_per_pixel = 2;
  } else if (depth == 24 || depth == 32) {
    screen.color_mask = 0xFFFFFFFF;
    screen.depth = 32;
    screen.bytes_per_pixel = 4;
  } else {
    screen.color_mask = (1u << depth) - 1;
    screen.depth = depth;
    screen.bytes_per_pixel = (depth + 7) / 8;
  }
  screen.pitch = screen.width * screen.bytes_per_pixel;
}

bool allocate_pages(GfxScreen& screen, int32_t page_count) {
  const auto page_size = static_cast<size_t>(screen.pitch) * static_cast<size_t>(screen.height);
  const size_t rounded = (page_size + kPageAlignment - 1) / kPageAlignment * kPageAlignment;
  for (int32_t i = 0; i < page_count; ++i) {
    auto* bytes = static_cast<uint8_t*>(allocate_aligned(kPageAlignment, rounded));
    if (bytes == nullptr) return false;
    screen.pages.emplace_back(bytes);
  }
  screen.page_count = page_count;
  screen.visible_page = 0;
  screen.visible_framebuffer = screen.pages[0].get();
  return true;
}

void release_screen() {
  GfxScreen* screen = current_screen();
  if (screen == nullptr) return;
  if (screen->driver != nullptr && screen->driver->exit != nullptr) screen->driver->exit();
  set_current_screen(nullptr);
  delete screen;
}

// Fills the cells of the work page with blanks and every line of every page with the
// background colour.
void clear_pages(GfxScreen& screen, const GfxContext& context) {
  const auto grid = static_cast<size_t>(screen.text_columns) * static_cast<size_t>(screen.text_rows);
  screen.text_cells.assign(static_cast<size_t>(screen.page_count), std::vector<TextCell>(grid));
  for (TextCell& cell : screen.text_cells[static_cast<size_t>(context.work_page)]) {
    cell = {32, context.fg_color, context.bg_color};
  }
  for (const PageMemory& page : screen.pages) {
    for (int32_t y = 0; y < screen.height; ++y) {
      screen.pixels->fill(page.get() + y * screen.pitch, 0, screen.width, context.bg_color);
    }
  }
}

// Closes the open screen, if any, and gives the statements back to the whole text console.
void release_to_console() {
  release_screen();
  device_hooks() = DeviceHooks{};
  console_view_range() = {-1, -1};
}

// The mode-set sequence: closes an open screen, then opens the one asked for.
int32_t set_mode(const ModeRequest& request) {
  const ModeInfo& m = request.info;
  int32_t flags = request.flags;
  if (flags & GFX_SHAPED) flags |= GFX_SHAPED | GFX_NO_SWITCHING | GFX_NO_FRAME;
  release_screen();
  install_device_hooks();
  auto* screen = new GfxScreen{};
  screen->serial = ++serial_counter;
  screen->mode = request.mode;
  screen->width = m.width;
  screen->height = m.height;
  screen->palette = m.palette >= 0 ? &kDefaultPalettes[m.palette] : nullptr;
  screen->scanline_multiplier = m.scanline_multiplier;
  screen->font = m.font >= 0 ? &kFonts[m.font] : nullptr;
  screen->aspect = static_cast<float>(m.height) / static_cast<float>(m.width) * 4.0f / 3.0f;
  set_depth(*screen, request.depth);
  screen->dirty.assign(static_cast<size_t>(m.height * m.scanline_multiplier), 0);
  screen->pixels = pixel_ops_for(screen->bytes_per_pixel);
  set_current_screen(screen);
  unpack_gfx_data();
  if (!allocate_pages(*screen, request.page_count)) {
    close_screen();
    return 1;
  }
  screen->driver = select_driver(program_name(), m.width, m.height * m.scanline_multiplier,
                                 request.depth, request.refresh_rate, flags);
  if (screen->driver == nullptr) {
    close_screen();
    return 1;
  }
  palette_statement(-1, 0, 0, 0);
  screen->text_columns = m.text_columns;
  screen->text_rows = m.text_rows;
  screen_lock();  // the presentation already runs
  clear_pages(*screen, context_get());
  screen_unlock(0, -1);
  if (!end_hook_set) {
    set_end_hook([](int32_t) { close_screen(); });
    at_program_exit(ExitStage::SCREEN, close_screen);  // also for a return without the end statement
    end_hook_set = true;
  }
  reset_screen_channel(0, m.text_columns);
  reset_text_view();
  return 0;
}

}  // namespace

int32_t screen_statement(int32_t mode, int32_t depth, int32_t page_count, int32_t flags,
                         int32_t refresh_rate) {
  int32_t result = 1;
  if (mode == 0) {
    release_to_console();
    console_clear(0);
    result = 0;
  } else if (mode > 0 && mode < static_cast<int32_t>(std::size(kModeTable)) &&
             kModeTable[mode].width != 0) {
    const ModeInfo& m = kModeTable[mode];
    const int32_t chosen_depth = mode > 13 && depth_selectable(depth) ? depth : m.depth;
    result = set_mode({mode, m, chosen_depth, page_count > 0 ? page_count : m.default_pages,
                       refresh_rate, flags});
  }
  set_last_error_number(result);
  return result;
}

void close_screen() {
  if (current_screen() != nullptr) release_to_console();
}
