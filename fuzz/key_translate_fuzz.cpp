// Translates keys whose character, scan code, virtual key and state come from the fuzzed
// bytes. The result must be a valid key code; only the character's low byte may count; a key
// that typed a character gives that character or an extended code, and without modifiers
// always the character itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/key_translate.hpp"

namespace {

constexpr uint32_t kModifiers =
    RIGHT_ALT_PRESSED | LEFT_ALT_PRESSED | RIGHT_CTRL_PRESSED | LEFT_CTRL_PRESSED | SHIFT_PRESSED;

// Virtual keys of letters and digits are their own characters, letters in upper case.
int own_character(int virtual_key) {
  const bool letter = virtual_key >= 'A' && virtual_key <= 'Z';
  const bool digit = virtual_key >= '0' && virtual_key <= '9';
  return letter || digit ? virtual_key : 0;
}

bool extended(int32_t code) {
  const int32_t k = (code - 255) / 256;
  return code > 255 && (code - 255) % 256 == 0 && k >= 1 && k <= 255;
}

[[noreturn]] void fail(const char* what, int character, int scan_code, int virtual_key,
                       uint32_t state, int32_t code) {
  std::fprintf(stderr, "%s: character %d, scan code %d, virtual key %d, state 0x%x gave %d\n",
               what, character, scan_code, virtual_key, state, code);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t fields[4] = {};
  std::memcpy(fields, data, size < sizeof fields ? size : sizeof fields);
  const int character = fields[0];
  // Mostly scan codes and virtual keys near the tables, sometimes anything.
  const int scan_code = fields[1] & 0x100 ? fields[1] : fields[1] & 0x7F;
  const int virtual_key = fields[2] & 0x100 ? fields[2] : fields[2] & 0xFF;
  const auto state = static_cast<uint32_t>(fields[3]);

  const int32_t code = translate_key(character, scan_code, virtual_key, state, own_character);
  const int byte = character & 0xFF;
  if (!(code >= -1 && code <= 255) && !extended(code)) {
    fail("no key code", character, scan_code, virtual_key, state, code);
  }
  if (translate_key(byte, scan_code, virtual_key, state, own_character) != code) {
    fail("more than the low byte counted", character, scan_code, virtual_key, state, code);
  }
  if (byte != 0 && code != byte && !extended(code)) {
    fail("typed character lost", character, scan_code, virtual_key, state, code);
  }
  if (byte != 0 && !(state & kModifiers) && code != byte) {
    fail("plain character not itself", character, scan_code, virtual_key, state, code);
  }
  return 0;
}
