#include "runtime/posix/terminal_keys.hpp"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <span>

#include "runtime/cp437.hpp"
#include "runtime/key_translate.hpp"
#include "runtime/virtual_key.hpp"

namespace {

constexpr uint8_t ESC = 0x1B;
constexpr int MAX_SEQUENCE = 64;  // bytes after the introducer; a longer sequence is dropped
constexpr int MAX_PARAMETER = 65535;
constexpr int MAX_MODIFIER = 16;  // xterm's modifier parameters go up to 1 + 15

constexpr ConsoleKeyEvent NO_CHARACTER{0, 0, 0, 0};
constexpr ConsoleKeyEvent ESC_KEY{27, 1, vk::ESCAPE, 0};
constexpr ConsoleKeyEvent BACKSPACE_KEY{8, 14, vk::BACK, 0};
constexpr ConsoleKeyEvent TAB_KEY{9, 15, vk::TAB, 0};
constexpr ConsoleKeyEvent ENTER_KEY{13, 28, vk::RETURN, 0};
constexpr ConsoleKeyEvent HOME_KEY{0, 71, vk::HOME, key_state::ENHANCED};
constexpr ConsoleKeyEvent UP_KEY{0, 72, vk::UP, key_state::ENHANCED};
constexpr ConsoleKeyEvent PAGE_UP_KEY{0, 73, vk::PRIOR, key_state::ENHANCED};
constexpr ConsoleKeyEvent LEFT_KEY{0, 75, vk::LEFT, key_state::ENHANCED};
constexpr ConsoleKeyEvent RIGHT_KEY{0, 77, vk::RIGHT, key_state::ENHANCED};
constexpr ConsoleKeyEvent END_KEY{0, 79, vk::END, key_state::ENHANCED};
constexpr ConsoleKeyEvent DOWN_KEY{0, 80, vk::DOWN, key_state::ENHANCED};
constexpr ConsoleKeyEvent PAGE_DOWN_KEY{0, 81, vk::NEXT, key_state::ENHANCED};
constexpr ConsoleKeyEvent INSERT_KEY{0, 82, vk::INSERT, key_state::ENHANCED};
constexpr ConsoleKeyEvent DELETE_KEY{0, 83, vk::DEL, key_state::ENHANCED};
constexpr ConsoleKeyEvent BEGIN_KEY{0, 76, vk::CLEAR, 0};  // keypad 5 without Num Lock
constexpr ConsoleKeyEvent KEYPAD_ENTER_KEY{13, 28, vk::RETURN, key_state::ENHANCED};

constexpr ConsoleKeyEvent function_key(int number) {
  return {0, number <= 10 ? 58 + number : 76 + number, vk::F1 + number - 1, 0};
}

constexpr ConsoleKeyEvent with_state(ConsoleKeyEvent key, uint32_t state) {
  key.state |= state;
  return key;
}

// Modifiers added to a key; Ctrl turns the carriage return of Enter into a line feed.
ConsoleKeyEvent with_modifiers(ConsoleKeyEvent key, uint32_t state) {
  key = with_state(key, state);
  if ((key.state & key_state::LEFT_CTRL) && key.character == '\r') key.character = '\n';
  return key;
}

// xterm's modifier parameter: 1 plus the bits 1 Shift, 2 Alt, 4 Ctrl, 8 Meta (taken as Alt).
uint32_t modifier_state(int parameter) {
  const int bits = parameter > 1 ? parameter - 1 : 0;
  uint32_t state = 0;
  if (bits & 1) state |= key_state::SHIFT;
  if (bits & (2 | 8)) state |= key_state::LEFT_ALT;
  if (bits & 4) state |= key_state::LEFT_CTRL;
  return state;
}

// Keys of the US layout that type printable ASCII.
struct UsKey {
  char normal;
  char shifted;
  int scan_code;
  int virtual_key;
};

constexpr UsKey kUsKeys[] = {
    {'1', '!', 2, '1'},           {'2', '@', 3, '2'},
    {'3', '#', 4, '3'},           {'4', '$', 5, '4'},
    {'5', '%', 6, '5'},           {'6', '^', 7, '6'},
    {'7', '&', 8, '7'},           {'8', '*', 9, '8'},
    {'9', '(', 10, '9'},          {'0', ')', 11, '0'},
    {'-', '_', 12, vk::OEM_MINUS}, {'=', '+', 13, vk::OEM_PLUS},
    {'q', 'Q', 16, 'Q'},          {'w', 'W', 17, 'W'},
    {'e', 'E', 18, 'E'},          {'r', 'R', 19, 'R'},
    {'t', 'T', 20, 'T'},          {'y', 'Y', 21, 'Y'},
    {'u', 'U', 22, 'U'},          {'i', 'I', 23, 'I'},
    {'o', 'O', 24, 'O'},          {'p', 'P', 25, 'P'},
    {'[', '{', 26, vk::OEM_4},     {']', '}', 27, vk::OEM_6},
    {'a', 'A', 30, 'A'},          {'s', 'S', 31, 'S'},
    {'d', 'D', 32, 'D'},          {'f', 'F', 33, 'F'},
    {'g', 'G', 34, 'G'},          {'h', 'H', 35, 'H'},
    {'j', 'J', 36, 'J'},          {'k', 'K', 37, 'K'},
    {'l', 'L', 38, 'L'},          {';', ':', 39, vk::OEM_1},
    {'\'', '"', 40, vk::OEM_7},    {'`', '~', 41, vk::OEM_3},
    {'\\', '|', 43, vk::OEM_5},    {'z', 'Z', 44, 'Z'},
    {'x', 'X', 45, 'X'},          {'c', 'C', 46, 'C'},
    {'v', 'V', 47, 'V'},          {'b', 'B', 48, 'B'},
    {'n', 'N', 49, 'N'},          {'m', 'M', 50, 'M'},
    {',', '<', 51, vk::OEM_COMMA}, {'.', '>', 52, vk::OEM_PERIOD},
    {'/', '?', 53, vk::OEM_2},     {' ', ' ', 57, vk::SPACE},
};

// The key typing a printable ASCII character, with Shift where the layout needs it.
ConsoleKeyEvent printable_key(int character) {
  for (const UsKey& key : kUsKeys) {
    if (key.normal == character) return {character, key.scan_code, key.virtual_key, 0};
    if (key.shifted == character) return {character, key.scan_code, key.virtual_key, key_state::SHIFT};
  }
  return {character, 0, 0, 0};
}

// The own character of a US layout key: letters upper case, others unshifted; 0 for none.
int us_own_character(int virtual_key) {
  for (const UsKey& key : kUsKeys) {
    if (key.virtual_key != virtual_key) continue;
    return key.normal >= 'a' && key.normal <= 'z' ? key.normal - 'a' + 'A' : key.normal;
  }
  return 0;
}

// A byte below 128 other than ESC. Control bytes are Ctrl with the key of the byte plus 64
// (letters in lower case), except the keys that send them on their own.
ConsoleKeyEvent byte_key(uint8_t byte) {
  switch (byte) {
    case 8:
    case 127:
      return BACKSPACE_KEY;
    case 9:
      return TAB_KEY;
    case 10:
      return with_modifiers(ENTER_KEY, key_state::LEFT_CTRL);
    case 13:
      return ENTER_KEY;
    default:
      break;
  }
  if (byte >= 32) return printable_key(byte);
  ConsoleKeyEvent key = printable_key(byte >= 1 && byte <= 26 ? byte + 96 : byte + 64);
  key.character = byte;
  return with_state(key, key_state::LEFT_CTRL);
}

void add_key(TerminalKeys& keys, const ConsoleKeyEvent& key) { keys.events[keys.count++] = key; }

// Completes a key: with Alt when an ESC came before it; the decoder is back at rest.
void finish_key(TerminalKeyDecoder& decoder, TerminalKeys& keys, ConsoleKeyEvent key) {
  if (decoder.alt) key.state |= key_state::LEFT_ALT;
  add_key(keys, key);
  decoder.alt = false;
  decoder.phase = TerminalPhase::GROUND;
}

void drop_sequence(TerminalKeyDecoder& decoder) {
  decoder.alt = false;
  decoder.phase = TerminalPhase::GROUND;
}

// Lead bytes of UTF-8 by the number of continuation bytes, with the range the first of those
// must fall in (which excludes overlong forms, surrogates and values above U+10FFFF).
struct Utf8Lead {
  uint8_t first;
  uint8_t last;
  int continuation;
  uint8_t next_low;
  uint8_t next_high;
};

constexpr Utf8Lead kUtf8Leads[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF}, {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F}, {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F},
};

void start_utf8(TerminalKeyDecoder& decoder, uint8_t byte, TerminalKeys& keys) {
  for (const Utf8Lead& lead : kUtf8Leads) {
    if (byte < lead.first || byte > lead.last) continue;
    decoder.phase = TerminalPhase::UTF8;
    decoder.remaining = lead.continuation;
    decoder.code_point = byte & (0x7F >> (lead.continuation + 1));
    decoder.next_low = lead.next_low;
    decoder.next_high = lead.next_high;
    return;
  }
  finish_key(decoder, keys, NO_CHARACTER);  // a stray continuation byte or an invalid lead
}

void ground_byte(TerminalKeyDecoder& decoder, uint8_t byte, TerminalKeys& keys) {
  if (byte == ESC) {
    decoder.phase = TerminalPhase::ESCAPE;
    decoder.alt = false;
  } else if (byte < 0x80) {
    finish_key(decoder, keys, byte_key(byte));
  } else if (!decoder.utf8) {
    finish_key(decoder, keys, {byte, 0, 0, 0});
  } else {
    start_utf8(decoder, byte, keys);
  }
}

void utf8_byte(TerminalKeyDecoder& decoder, uint8_t byte, TerminalKeys& keys) {
  if (byte < decoder.next_low || byte > decoder.next_high) {
    finish_key(decoder, keys, NO_CHARACTER);  // cut short: the bytes so far are one bad character
    ground_byte(decoder, byte, keys);
    return;
  }
  decoder.code_point = (decoder.code_point << 6) | (byte & 0x3F);
  decoder.next_low = 0x80;
  decoder.next_high = 0xBF;
  if (--decoder.remaining == 0)
    finish_key(decoder, keys, {unicode_to_cp437(decoder.code_point), 0, 0, 0});
}

void start_sequence(TerminalKeyDecoder& decoder, TerminalPhase phase) {
  const bool alt = decoder.alt;
  decoder = TerminalKeyDecoder{.utf8 = decoder.utf8, .phase = phase, .alt = alt};
}

// After ESC: ESC ESC is Esc, or Alt with the sequence that follows it; ESC and a character is
// Alt with that character; ESC ESC and a character is Esc, then the character.
void escape_byte(TerminalKeyDecoder& decoder, uint8_t byte, TerminalKeys& keys) {
  if (byte == '[' || byte == 'O') {
    start_sequence(decoder, byte == '[' ? TerminalPhase::CSI : TerminalPhase::SS3);
    return;
  }
  const bool after_escape_escape = decoder.alt;
  if (after_escape_escape) add_key(keys, ESC_KEY);
  decoder.alt = !after_escape_escape;
  if (byte == ESC) return;
  decoder.phase = TerminalPhase::GROUND;
  ground_byte(decoder, byte, keys);
}

// Keys numbered by the parameter before '~' (VT220, rxvt, Linux console, screen, tmux).
// rxvt's F13 to F20 are its shifted F3 to F10.
struct NumberedKey {
  int number;
  ConsoleKeyEvent key;
};

constexpr NumberedKey kTildeKeys[] = {
    {1, HOME_KEY},
    {2, INSERT_KEY},
    {3, DELETE_KEY},
    {4, END_KEY},
    {5, PAGE_UP_KEY},
    {6, PAGE_DOWN_KEY},
    {7, HOME_KEY},
    {8, END_KEY},
    {11, function_key(1)},
    {12, function_key(2)},
    {13, function_key(3)},
    {14, function_key(4)},
    {15, function_key(5)},
    {17, function_key(6)},
    {18, function_key(7)},
    {19, function_key(8)},
    {20, function_key(9)},
    {21, function_key(10)},
    {23, function_key(11)},
    {24, function_key(12)},
    {25, with_state(function_key(3), key_state::SHIFT)},
    {26, with_state(function_key(4), key_state::SHIFT)},
    {28, with_state(function_key(5), key_state::SHIFT)},
    {29, with_state(function_key(6), key_state::SHIFT)},
    {31, with_state(function_key(7), key_state::SHIFT)},
    {32, with_state(function_key(8), key_state::SHIFT)},
    {33, with_state(function_key(9), key_state::SHIFT)},
    {34, with_state(function_key(10), key_state::SHIFT)},
};

// ESC [ number ; modifier ~, or rxvt's ESC [ number followed by $ (Shift), ^ (Ctrl) or
// @ (Ctrl and Shift).
bool numbered_key(const TerminalKeyDecoder& decoder, uint32_t final_state, ConsoleKeyEvent& key) {
  if (decoder.param_count < 1 || decoder.param_count > 2) return false;
  const int modifier = decoder.param_count == 2 ? decoder.params[1] : 1;
  if (modifier > MAX_MODIFIER) return false;
  for (const NumberedKey& row : kTildeKeys) {
    if (row.number != decoder.params[0]) continue;
    key = with_modifiers(row.key, final_state | modifier_state(modifier));
    return true;
  }
  return false;
}

struct FinalKey {
  char final_byte;
  ConsoleKeyEvent key;
};

// Keys that ESC [ and ESC O both name by their final byte: the cursor keys and F1 to F4.
constexpr FinalKey kCursorKeys[] = {
    {'A', UP_KEY},
    {'B', DOWN_KEY},
    {'C', RIGHT_KEY},
    {'D', LEFT_KEY},
    {'H', HOME_KEY},
    {'F', END_KEY},
    {'E', BEGIN_KEY},
    {'P', function_key(1)},
    {'Q', function_key(2)},
    {'R', function_key(3)},
    {'S', function_key(4)},
};

// Keys named by the final byte of ESC [ alone: Shift+Tab, rxvt's Shift with the arrows.
constexpr FinalKey kCsiKeys[] = {
    {'Z', with_state(TAB_KEY, key_state::SHIFT)},
    {'a', with_state(UP_KEY, key_state::SHIFT)},
    {'b', with_state(DOWN_KEY, key_state::SHIFT)},
    {'c', with_state(RIGHT_KEY, key_state::SHIFT)},
    {'d', with_state(LEFT_KEY, key_state::SHIFT)},
};

// Keys named by the final byte of ESC O alone: the keypad in application mode, rxvt's Ctrl with
// the arrows.
constexpr FinalKey kSs3Keys[] = {
    {'a', with_state(UP_KEY, key_state::LEFT_CTRL)},
    {'b', with_state(DOWN_KEY, key_state::LEFT_CTRL)},
    {'c', with_state(RIGHT_KEY, key_state::LEFT_CTRL)},
    {'d', with_state(LEFT_KEY, key_state::LEFT_CTRL)},
    {'M', KEYPAD_ENTER_KEY},
    {'j', {'*', 55, vk::MULTIPLY, 0}},
    {'k', {'+', 78, vk::ADD, 0}},
    {'l', {'+', 78, vk::ADD, 0}},  // the Linux console's keypad plus
    {'m', {'-', 74, vk::SUBTRACT, 0}},
    {'n', {'.', 83, vk::DECIMAL, 0}},
    {'o', {'/', 53, vk::DIVIDE, key_state::ENHANCED}},
    {'p', {'0', 82, vk::NUMPAD0, 0}},
    {'q', {'1', 79, vk::NUMPAD0 + 1, 0}},
    {'r', {'2', 80, vk::NUMPAD0 + 2, 0}},
    {'s', {'3', 81, vk::NUMPAD0 + 3, 0}},
    {'t', {'4', 75, vk::NUMPAD0 + 4, 0}},
    {'u', {'5', 76, vk::NUMPAD0 + 5, 0}},
    {'v', {'6', 77, vk::NUMPAD0 + 6, 0}},
    {'w', {'7', 71, vk::NUMPAD0 + 7, 0}},
    {'x', {'8', 72, vk::NUMPAD0 + 8, 0}},
    {'y', {'9', 73, vk::NUMPAD0 + 9, 0}},
};

// The modifier parameter of a lettered key: xterm's "1;m" (a lone "1" means none), and in
// ESC O also a lone "m". Other parameters (a cursor position report) are no key.
bool letter_modifier(const TerminalKeyDecoder& decoder, int& modifier) {
  const bool ss3 = decoder.phase == TerminalPhase::SS3;
  bool valid = false;
  switch (decoder.param_count) {
    case 0:
      modifier = 1;
      valid = true;
      break;
    case 1:
      modifier = ss3 ? decoder.params[0] : 1;
      valid = ss3 || decoder.params[0] <= 1;
      break;
    case 2:
      modifier = decoder.params[1];
      valid = decoder.params[0] <= 1;
      break;
    default:
      break;
  }
  return valid && modifier <= MAX_MODIFIER;
}

bool lettered_key(const TerminalKeyDecoder& decoder, uint8_t final_byte, ConsoleKeyEvent& key) {
  int modifier = 1;
  if (!letter_modifier(decoder, modifier)) return false;
  const bool ss3 = decoder.phase == TerminalPhase::SS3;
  if (!ss3 && final_byte == 'P' && decoder.param_count == 0) {
    key = DELETE_KEY;  // st's Delete with its keypad in normal mode; F1 comes as ESC O P
    return true;
  }
  for (std::span<const FinalKey> table :
       {std::span<const FinalKey>(kCursorKeys), ss3 ? std::span<const FinalKey>(kSs3Keys)
                                                    : std::span<const FinalKey>(kCsiKeys)}) {
    for (const FinalKey& row : table) {
      if (row.final_byte != final_byte) continue;
      key = with_modifiers(row.key, modifier_state(modifier));
      return true;
    }
  }
  return false;
}

// Final bytes that end a numbered key, with the modifiers rxvt puts in them.
struct NumberedFinal {
  char final_byte;
  uint32_t state;
};

constexpr NumberedFinal kNumberedFinals[] = {
    {'~', 0},
    {'$', key_state::SHIFT},
    {'^', key_state::LEFT_CTRL},
    {'@', key_state::LEFT_CTRL | key_state::SHIFT},
};

// The key of a complete ESC [ or ESC O sequence; false for anything that is no key (mouse and
// focus reports, paste markers, terminal replies, unknown keys).
bool sequence_key(const TerminalKeyDecoder& decoder, uint8_t final_byte, ConsoleKeyEvent& key) {
  if (decoder.malformed || decoder.marker != 0 || decoder.intermediate) return false;
  if (decoder.phase == TerminalPhase::CSI) {
    for (const NumberedFinal& row : kNumberedFinals)
      if (row.final_byte == final_byte) return numbered_key(decoder, row.state, key);
  }
  return lettered_key(decoder, final_byte, key);
}

void finish_sequence(TerminalKeyDecoder& decoder, uint8_t final_byte, TerminalKeys& keys) {
  const bool first = decoder.length == 1;
  if (decoder.phase == TerminalPhase::CSI && first && final_byte == '[') {
    decoder.phase = TerminalPhase::LINUX_FKEY;
  } else if (decoder.phase == TerminalPhase::CSI && first && final_byte == 'M') {
    decoder.phase = TerminalPhase::MOUSE;
    decoder.remaining = 3;
  } else if (ConsoleKeyEvent key{}; sequence_key(decoder, final_byte, key)) {
    finish_key(decoder, keys, key);
  } else {
    drop_sequence(decoder);
  }
}

// A control or non-ASCII byte inside a sequence breaks it off and counts on its own (ESC
// starts the next sequence). Returns whether it did.
bool break_off(TerminalKeyDecoder& decoder, uint8_t byte, TerminalKeys& keys) {
  if (byte >= 0x20 && byte <= 0x7E) return false;
  drop_sequence(decoder);
  ground_byte(decoder, byte, keys);
  return true;
}

// A digit, ';' or ':' of the parameters.
void parameter_byte(TerminalKeyDecoder& decoder, uint8_t byte) {
  if (decoder.param_count == 0) decoder.param_count = 1;
  if (byte == ':') {
    decoder.sub_parameter = true;
  } else if (byte == ';') {
    if (decoder.param_count == TERMINAL_KEY_PARAMS)
      decoder.malformed = true;
    else
      decoder.params[decoder.param_count++] = 0;
    decoder.sub_parameter = false;
  } else if (!decoder.sub_parameter) {
    int& value = decoder.params[decoder.param_count - 1];
    value = std::min(value * 10 + (byte - '0'), MAX_PARAMETER);
  }
}

// CSI: parameter bytes 0x30-0x3F (with a private marker '<' to '?'), intermediate bytes
// 0x20-0x2F, a final byte 0x40-0x7E or rxvt's '$'. SS3: digits and ';', then a final byte.
void sequence_byte(TerminalKeyDecoder& decoder, uint8_t byte, TerminalKeys& keys) {
  if (break_off(decoder, byte, keys)) return;
  if (++decoder.length > MAX_SEQUENCE) decoder.malformed = true;
  const bool csi = decoder.phase == TerminalPhase::CSI;
  if (byte >= 0x40 || (csi && byte == '$' && decoder.marker == 0)) {
    finish_sequence(decoder, byte, keys);
  } else if (!csi && byte != ';' && (byte < '0' || byte > '9')) {
    drop_sequence(decoder);
  } else if (byte < 0x30) {
    decoder.intermediate = true;
  } else if (decoder.intermediate) {
    decoder.malformed = true;  // parameters after an intermediate byte
  } else if (byte >= '<') {
    decoder.marker = static_cast<char>(byte);
  } else {
    parameter_byte(decoder, byte);
  }
}

// ESC [ [ and a letter: the Linux console's F1 to F5.
void linux_fkey_byte(TerminalKeyDecoder& decoder, uint8_t byte, TerminalKeys& keys) {
  if (break_off(decoder, byte, keys)) return;
  if (byte >= 'A' && byte <= 'E')
    finish_key(decoder, keys, function_key(byte - 'A' + 1));
  else
    drop_sequence(decoder);
}

// The three bytes of a mouse report (button, column, row), whatever their values.
void mouse_byte(TerminalKeyDecoder& decoder, uint8_t, TerminalKeys&) {
  if (--decoder.remaining == 0) drop_sequence(decoder);
}

using PhaseHandler = void (*)(TerminalKeyDecoder&, uint8_t, TerminalKeys&);

// Indexed by TerminalPhase.
constexpr PhaseHandler kPhaseHandlers[] = {
    ground_byte, escape_byte, sequence_byte, sequence_byte, linux_fkey_byte, mouse_byte, utf8_byte,
};
static_assert(std::size(kPhaseHandlers) == static_cast<std::size_t>(TerminalPhase::UTF8) + 1);

// Own characters of the keys outside the US layout table.
struct OwnCharacter {
  int virtual_key;
  int character;
};

constexpr OwnCharacter kOwnCharacters[] = {
    {vk::BACK, 8},          {vk::TAB, 9},           {vk::RETURN, 13},       {vk::ESCAPE, 27},
    {vk::NUMPAD0, '0'},     {vk::NUMPAD0 + 1, '1'}, {vk::NUMPAD0 + 2, '2'}, {vk::NUMPAD0 + 3, '3'},
    {vk::NUMPAD0 + 4, '4'}, {vk::NUMPAD0 + 5, '5'}, {vk::NUMPAD0 + 6, '6'}, {vk::NUMPAD0 + 7, '7'},
    {vk::NUMPAD0 + 8, '8'}, {vk::NUMPAD0 + 9, '9'}, {vk::MULTIPLY, '*'},    {vk::ADD, '+'},
    {vk::SUBTRACT, '-'},    {vk::DECIMAL, '.'},     {vk::DIVIDE, '/'},
};

// The own character of the virtual keys the decoder reports, as translate_key wants it.
int terminal_own_character(int virtual_key) {
  for (const OwnCharacter& row : kOwnCharacters)
    if (row.virtual_key == virtual_key) return row.character;
  return us_own_character(virtual_key);
}

}  // namespace

TerminalKeys terminal_keys_feed(TerminalKeyDecoder& decoder, uint8_t byte) {
  TerminalKeys keys{};
  kPhaseHandlers[static_cast<int>(decoder.phase)](decoder, byte, keys);
  return keys;
}

bool terminal_keys_pending(const TerminalKeyDecoder& decoder) {
  return decoder.phase != TerminalPhase::GROUND;
}

TerminalKeys terminal_keys_expire(TerminalKeyDecoder& decoder) {
  TerminalKeys keys{};
  if (decoder.phase == TerminalPhase::ESCAPE) {
    decoder.alt = false;
    finish_key(decoder, keys, ESC_KEY);
  } else if (decoder.phase == TerminalPhase::UTF8) {
    finish_key(decoder, keys, NO_CHARACTER);
  } else {
    drop_sequence(decoder);
  }
  return keys;
}

int32_t terminal_key_code(const ConsoleKeyEvent& event) {
  return translate_key(event.character, event.scan_code, event.virtual_key, event.state,
                       terminal_own_character);
}
