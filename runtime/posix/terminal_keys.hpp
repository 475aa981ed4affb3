#pragma once
// Decoding of what a terminal sends for its keys (bytes, UTF-8 characters and the escape
// sequences of xterm, VT220, rxvt, the Linux console, screen and tmux) into console key
// events. Pure: the caller reads the bytes and says when input went quiet.
#include <cstdint>

// A key-down as the console reports it; translate_key takes exactly these fields.
struct ConsoleKeyEvent {
  int character;    // code page 437 byte, 0 for none
  int scan_code;    // PC set-1 scan code, 0 for none
  int virtual_key;  // Windows virtual-key number, 0 for none
  uint32_t state;   // key state mask: key_state::SHIFT, key_state::LEFT_CTRL, ..., key_state::ENHANCED
};

// The keys one call completes: a broken sequence and the byte that broke it give two.
struct TerminalKeys {
  ConsoleKeyEvent events[2];
  int count;
};

// What the bytes fed so far have begun.
enum class TerminalPhase : uint8_t {
  GROUND,      // nothing pending
  ESCAPE,      // ESC, or ESC ESC
  CSI,         // ESC [
  SS3,         // ESC O
  LINUX_FKEY,  // ESC [ [, the Linux console's F1 to F5
  MOUSE,       // ESC [ M, then three bytes of a mouse report
  UTF8,        // the lead byte and some continuation bytes of a UTF-8 character
};

inline constexpr int TERMINAL_KEY_PARAMS = 4;  // parameters kept; more make a sequence unknown

// Decoding state between bytes. Initialise it as is, setting utf8 as the terminal's encoding.
struct TerminalKeyDecoder {
  bool utf8 = true;  // input is UTF-8; otherwise each byte of 128 or more is a code page 437 byte
  TerminalPhase phase = TerminalPhase::GROUND;
  bool alt = false;            // an ESC prefix: the key being read comes with Alt
  int length = 0;              // bytes of the sequence after its introducer; too many drop it
  bool malformed = false;      // the sequence is dropped when it ends
  char marker = 0;             // private marker ('<', '=', '>' or '?'): a reply or report, no key
  bool intermediate = false;   // the CSI has an intermediate byte
  bool sub_parameter = false;  // digits now belong to a ':' sub-parameter, which is ignored
  int param_count = 0;
  int params[TERMINAL_KEY_PARAMS] = {};
  int remaining = 0;        // continuation bytes of the UTF-8 character, or mouse report bytes
  char32_t code_point = 0;  // the UTF-8 character so far
  uint8_t next_low = 0x80;  // range of the next valid continuation byte
  uint8_t next_high = 0xBF;
};

// Takes one byte of input and returns the keys it completes.
TerminalKeys terminal_keys_feed(TerminalKeyDecoder& decoder, uint8_t byte);

// Whether a sequence or character has begun and waits for more bytes.
bool terminal_keys_pending(const TerminalKeyDecoder& decoder);

// Input went quiet (about 100 ms without a byte) while a sequence was pending: a lone ESC is
// the Esc key, a cut UTF-8 character is character 0, any other begun sequence is dropped.
TerminalKeys terminal_keys_expire(TerminalKeyDecoder& decoder);

// The key code of a decoded key: translate_key with the terminal's own characters; -1 for no key.
int32_t terminal_key_code(const ConsoleKeyEvent& event);
