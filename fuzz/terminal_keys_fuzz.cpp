// Feeds the terminal key decoder fuzzed byte runs, quiet spells and complete ESC [ and ESC O
// sequences built from the input. Every key must translate to a valid key code, and a
// complete sequence must come out as at most one key, at its final byte, never as the
// characters it was written with.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_input.hpp"
#include "runtime/terminal_keys.hpp"

namespace {

constexpr uint8_t ESC = 0x1B;

// What each segment of the input is, by the low two bits of its first byte.
enum Segment : uint8_t { RAW_BYTES, QUIET, CSI_SEQUENCE, SS3_SEQUENCE };

[[noreturn]] void fail(const char* what, int value) {
  std::fprintf(stderr, "%s: %d\n", what, value);
  std::abort();
}

bool valid_key_code(int32_t code) {
  if (code >= -1 && code <= 255) return true;
  const int32_t k = (code - 255) / 256;
  return code > 255 && (code - 255) % 256 == 0 && k >= 1 && k <= 255;
}

void check_keys(const TerminalKeys& keys) {
  if (keys.count < 0 || keys.count > 2) fail("key count", keys.count);
  for (int i = 0; i < keys.count; ++i) {
    const int32_t code = terminal_key_code(keys.events[i]);
    if (!valid_key_code(code)) fail("key code", code);
  }
}

TerminalKeys feed(TerminalKeyDecoder& decoder, uint8_t byte) {
  const TerminalKeys keys = terminal_keys_feed(decoder, byte);
  check_keys(keys);
  return keys;
}

void expire(TerminalKeyDecoder& decoder) {
  const TerminalKeys keys = terminal_keys_expire(decoder);
  check_keys(keys);
  if (keys.count > 1) fail("keys from one quiet spell", keys.count);
  if (terminal_keys_pending(decoder)) fail("still pending after a quiet spell", 0);
}

// A parameter byte of ESC [: '0' to '?', or with the top bit of b an intermediate byte (' ' to
// '/', without '$', which ends rxvt's shifted keys).
uint8_t csi_body_byte(uint8_t b) {
  if (!(b & 0x80)) return static_cast<uint8_t>(0x30 + b % 16);
  const auto intermediate = static_cast<uint8_t>(0x20 + b % 16);
  return intermediate == '$' ? ' ' : intermediate;
}

// A parameter byte of ESC O: a digit or ';'.
uint8_t ss3_body_byte(uint8_t b) { return b % 11 == 10 ? ';' : static_cast<uint8_t>('0' + b % 11); }

void sequence(TerminalKeyDecoder& decoder, FuzzInput& in, bool csi, int body_length) {
  // A mouse report takes its three bytes whatever they are: start the sequence after it.
  if (decoder.phase == TerminalPhase::MOUSE) expire(decoder);
  feed(decoder, ESC);  // may finish what was pending before
  const uint8_t introducer = csi ? '[' : 'O';
  if (feed(decoder, introducer).count != 0) fail("key from a sequence's introducer", introducer);
  for (int i = 0; i < body_length; ++i) {
    const uint8_t b = csi ? csi_body_byte(in.take()) : ss3_body_byte(in.take());
    if (feed(decoder, b).count != 0) fail("key from a sequence's parameter byte", b);
  }
  const auto final_byte = static_cast<uint8_t>(0x40 + in.take() % 63);
  const TerminalKeys keys = feed(decoder, final_byte);
  if (keys.count > 1) fail("keys from one sequence", keys.count);
  if (keys.count == 1) {
    const int character = keys.events[0].character;
    if (character == introducer || character == final_byte) fail("sequence byte as a key", character);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  TerminalKeyDecoder decoder{.utf8 = (in.take() & 1) == 0};
  while (in.size > 0) {
    const uint8_t head = in.take();
    const int length = head >> 2;
    switch (head & 3) {
      case RAW_BYTES:
        for (int i = 0; i <= length && in.size > 0; ++i) feed(decoder, in.take());
        break;
      case QUIET:
        expire(decoder);
        break;
      case CSI_SEQUENCE:
        sequence(decoder, in, true, length);
        break;
      case SS3_SEQUENCE:
        sequence(decoder, in, false, length % 8);
        break;
    }
  }
  expire(decoder);
  return 0;
}
