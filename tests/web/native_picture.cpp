// The picture a program's window shows after a typed session, made natively: the dialogue
// runs on the screen in memory with the key codes already in the key buffer, then the screen
// is written through its palette as a binary PPM file (320 x 200, red, green and blue bytes).
// Usage: native_picture OUTPUT zorvy|plemo CODE...
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/program_main.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/screen.hpp"
#include "runtime/runtime_state.hpp"

namespace {

struct NamedVariant {
  const char* name;
  ProgramVariant variant;
};

constexpr NamedVariant kVariants[] = {{"zorvy", {" Zorvy Numbers", -1}}, {"plemo", {" Plemo Numbers", 1}}};

bool write_picture(const char* path, const GfxScreen& screen) {
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", screen.width, screen.height);
  for (int32_t y = 0; y < screen.height; ++y) {
    for (int32_t x = 0; x < screen.width; ++x) {
      const uint32_t rgb = screen.device_palette[screen.visible_framebuffer[y * screen.pitch + x]];
      const unsigned char bytes[3] = {static_cast<unsigned char>(rgb), static_cast<unsigned char>(rgb >> 8),
                                      static_cast<unsigned char>(rgb >> 16)};
      std::fwrite(bytes, 1, 3, out);
    }
  }
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const NamedVariant* chosen = nullptr;
  for (const NamedVariant& v : kVariants) {
    if (argc > 2 && std::strcmp(argv[2], v.name) == 0) chosen = &v;
  }
  if (chosen == nullptr) {
    std::fprintf(stderr, "usage: native_picture OUTPUT zorvy|plemo CODE...\n");
    return 2;
  }
  setenv("QZGFX", "null", 1);
  runtime_init(argc, argv);
  for (int i = 3; i < argc; ++i) key_push(std::atoi(argv[i]));
  run_dialogue(chosen->variant);
  const GfxScreen* screen = current_screen();
  return screen != nullptr && screen->bytes_per_pixel == 1 && write_picture(argv[1], *screen) ? 0 : 1;
}
