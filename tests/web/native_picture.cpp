// The picture a program's window shows after a typed session, made natively: the dialogue
// runs on the screen in memory with the key codes already in the key buffer, then the screen
// goes through its palette to standard output, red, green and blue bytes, line after line.
// Usage: native_picture zorvy|plemo CODE...
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/program_main.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/screen.hpp"
#include "runtime/runtime_state.hpp"

int main(int argc, char** argv) {
  const std::string_view name = argc > 1 ? argv[1] : "";
  if (name != "zorvy" && name != "plemo") {
    std::fprintf(stderr, "usage: native_picture zorvy|plemo CODE...\n");
    return 2;
  }
  setenv("QZGFX", "null", 1);
  runtime_init(argc, argv);
  for (int i = 2; i < argc; ++i) key_push(std::atoi(argv[i]));
  run_dialogue(name == "zorvy" ? ProgramVariant{" Zorvy Numbers", -1} : ProgramVariant{" Plemo Numbers", 1});
  const GfxScreen* screen = current_screen();
  if (screen == nullptr || screen->bytes_per_pixel != 1 || screen->pitch != screen->width) return 1;
  for (int32_t i = 0; i < screen->width * screen->height; ++i) {
    const uint32_t rgb = screen->device_palette[screen->visible_framebuffer[i]];
    const char bytes[3] = {static_cast<char>(rgb), static_cast<char>(rgb >> 8), static_cast<char>(rgb >> 16)};
    std::fwrite(bytes, 1, 3, stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
