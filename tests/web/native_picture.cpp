// The picture a program's window shows after a typed session, made natively: the dialogue
// runs on the screen in memory with the key codes already in the key buffer, then the screen
// goes through its palette to standard output, red, green and blue bytes, line after line,
// followed by the code of each text cell, row after row.
// Usage: native_picture zorvy|plemo CODE...
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/program_main.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/screen.hpp"
#include "runtime/runtime_state.hpp"

int main(int argc, char** argv) {
  setenv("QZGFX", "null", 1);
  runtime_init(argc, argv);
  for (int i = 2; i < argc; ++i) key_push(std::atoi(argv[i]));
  run_dialogue(argc > 1 && std::string_view(argv[1]) == "zorvy" ? ProgramVariant{" Zorvy Numbers", -1} : ProgramVariant{" Plemo Numbers", 1});
  const GfxScreen* screen = current_screen();  // mode 1: a byte per pixel, lines without padding
  for (int32_t i = 0; i < screen->width * screen->height; ++i) {
    const uint32_t rgb = screen->device_palette[screen->visible_framebuffer[i]];
    const char bytes[3] = {static_cast<char>(rgb), static_cast<char>(rgb >> 8), static_cast<char>(rgb >> 16)};
    std::fwrite(bytes, 1, 3, stdout);
  }
  for (const TextCell& cell : screen->text_cells[static_cast<size_t>(screen->visible_page)]) std::fputc(cell.code, stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
