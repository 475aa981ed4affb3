// Feeds the terminal key decoder fuzzed byte runs, quiet spells and complete ESC [ and ESC O
// sequences built from the input. Every key must be a valid key code, a quiet spell must
// leave nothing pending, and a complete sequence must come out as at most one key, at its
// final byte, never as the characters it was written with.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_input.hpp"
#include "runtime/posix/terminal_keys.hpp"

namespace {

TerminalKeys checked(const TerminalKeys& keys) {
  if (keys.count < 0 || keys.count > 2) fail("key count", keys.count);
  for (int i = 0; i < keys.count; ++i) {
    const int32_t code = terminal_key_code(keys.events[i]), k = (code - 255) / 256;
    if (!(code >= -1 && code <= 255) && !(code > 255 && (code - 255) % 256 == 0 && k >= 1 && k <= 255)) {
      fail("key code", code);
    }
  }
  return keys;
}

void expire(TerminalKeyDecoder& decoder) {
  if (checked(terminal_keys_expire(decoder)).count > 1) fail("keys from one quiet spell", 2);
  if (terminal_keys_pending(decoder)) fail("still pending after a quiet spell", 0);
}

// ESC, the introducer, parameter bytes ('0' to '?', or intermediates ' ' to '/' but '$',
// which ends rxvt's shifted keys; digits and ';' after ESC O) and a final byte.
void sequence(TerminalKeyDecoder& decoder, FuzzInput& in, bool csi, int body_length) {
  if (decoder.phase == TerminalPhase::MOUSE) expire(decoder);  // a mouse report takes any 3 bytes
  checked(terminal_keys_feed(decoder, 0x1B));                   // may finish what was pending
  const uint8_t introducer = csi ? '[' : 'O';
  if (checked(terminal_keys_feed(decoder, introducer)).count != 0) fail("key from an introducer", introducer);
  for (int i = 0; i < body_length; ++i) {
    const uint8_t b = in.take();
    uint8_t body = b % 11 == 10 ? ';' : static_cast<uint8_t>('0' + b % 11);
    if (csi) body = static_cast<uint8_t>(b & 0x80 ? (0x20 + b % 16 == '$' ? ' ' : 0x20 + b % 16) : 0x30 + b % 16);
    if (checked(terminal_keys_feed(decoder, body)).count != 0) fail("key from a parameter byte", body);
  }
  const auto final_byte = static_cast<uint8_t>(0x40 + in.take() % 63);
  const TerminalKeys keys = checked(terminal_keys_feed(decoder, final_byte));
  if (keys.count > 1) fail("keys from one sequence", keys.count);
  if (keys.count == 1 && (keys.events[0].character == introducer || keys.events[0].character == final_byte)) {
    fail("sequence byte as a key", keys.events[0].character);
  }
}

}  // namespace

// Each segment's first byte: the low two bits say raw bytes, a quiet spell, ESC [ or ESC O;
// the rest its length.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  TerminalKeyDecoder decoder{.utf8 = (in.take() & 1) == 0};
  while (in.size > 0) {
    const uint8_t head = in.take();
    const int length = head >> 2;
    if ((head & 3) == 0) {
      for (int i = 0; i <= length && in.size > 0; ++i) checked(terminal_keys_feed(decoder, in.take()));
    } else if ((head & 3) == 1) {
      expire(decoder);
    } else {
      sequence(decoder, in, (head & 3) == 2, (head & 3) == 2 ? length : length % 8);
    }
  }
  expire(decoder);
  return 0;
}
