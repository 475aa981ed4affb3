// The terminal's key decoder, from bytes and escape sequences to key codes, and the console's
// key buffer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "child_process.hpp"
#include "runtime/key_code.hpp"

#include "runtime/console_input.hpp"
#include "runtime/posix/terminal_keys.hpp"

namespace {

// Feeds the bytes one call per byte, then lets input go quiet. at gets the index of the byte
// each key came with (the bytes' size: with the quiet).
std::vector<int32_t> decode(const std::string& bytes, bool utf8 = true, std::vector<size_t>* at = nullptr) {
  TerminalKeyDecoder decoder{.utf8 = utf8};
  std::vector<int32_t> codes;
  for (size_t i = 0; i <= bytes.size(); ++i) {
    const TerminalKeys keys = i < bytes.size() ? terminal_keys_feed(decoder, static_cast<uint8_t>(bytes[i]))
                                               : terminal_keys_expire(decoder);
    for (int k = 0; k < keys.count; ++k) codes.push_back(terminal_key_code(keys.events[k]));
    if (at != nullptr) at->insert(at->end(), static_cast<size_t>(keys.count), i);
  }
  EXPECT_FALSE(terminal_keys_pending(decoder));
  return codes;
}

// The bytes and the keys they give; one row per form: each sequence shape and modifier
// spelling, not every key of a table.
const std::pair<std::string, std::vector<int32_t>> kKeys[] = {
    // Cursor, editing and function keys in their xterm, VT220, rxvt and Linux console forms.
    {"\x1b[A", {18687}}, {"\x1bOA", {18687}}, {"\x1b[1~", {18431}}, {"\x1b[1;1H", {18431}}, {"\x1b[3~", {21503}},
    {"\x1b[P", {21503}}, {"\x1b[E", {19711}}, {"\x1bOP", {15359}}, {"\x1b[11~", {15359}}, {"\x1b[[A", {15359}},
    {"\x1b[17~", {16639}}, {"\x1b[23~", {34303}}, {"\x1b[25~", {22271}},
    // Modifiers: xterm parameters, rxvt finals and letters, an ESC before a sequence.
    {"\x1b[1;5D", {29695}}, {"\x1b[1;3A", {39167}}, {"\x1b[1;9A", {39167}}, {"\x1b\x1b[A", {39167}},
    {"\x1b[1;2A", {18687}}, {"\x1b[3;5~", {37887}}, {"\x1b[1;5:1A", {36351}}, {"\x1b[2$", {21247}},
    {"\x1b[2^", {37631}}, {"\x1b[a", {18687}}, {"\x1bOa", {36351}}, {"\x1b[Z", {4095}}, {"\x1b[1;2P", {21759}},
    {"\x1bO5P", {24319}}, {"\x1b[1;16A", {39167}},
    // The keypad in application mode.
    {"\x1bOp", {48}}, {"\x1bOM", {13}}, {"\x1bO5M", {10}}, {"\x1bOo", {47}},
    // Single bytes.
    {"A", {65}}, {"a", {97}}, {"\x7f", {8}}, {"\x08", {8}}, {"\r", {13}}, {"\n", {10}}, {"\t", {9}},
    {"\x01", {1}}, {"\x1c", {28}}, {"\x1b", {27}}, {"\x1b\x1b", {27}}, {"\x1b\x1b\x1b", {27, 27}},
    {"\x1b\x1bx", {27, 120}},
    // ESC before a character is Alt with it.
    {"\033a", {7935}}, {"\x1b!", {33}}, {"\x1b\x7f", {57599}}, {"\x1b\t", {4095}}, {"\x1b,", {13311}},
    // UTF-8 into code page 437; characters it lacks and broken UTF-8 give no key.
    {"\xc3\xa9", {130}}, {"\xe2\x88\x9e", {236}}, {"\x1b\xc3\xa9", {130}}, {"\xe2\x82\xac", {-1}},
    {"\xc3(", {-1, 40}}, {"\xc3\xc3\xa9", {-1, 130}}, {"\xff", {-1}}, {"\xc0\xaf", {-1, -1}},
    {"\xed\xa0\x80", {-1, -1, -1}}, {"\xe2\x82", {-1}}, {"\xc3\x1b[A", {-1, 18687}},
    {"\x1b[1\xc3\xa9", {130}},
    // Begun sequences that input going quiet drops.
    {"\x1b[", {}}, {"\x1b[1;5", {}}, {"\x1bO", {}}, {"\x1b[[", {}}, {"\x1b[M", {}},
    // A control byte breaks a sequence off and counts as itself; ESC starts the next sequence.
    {"\x1b[1;\r", {13}}, {"\x1b[1\x1b[B", {20735}}, {"\x1bO\x7f", {8}},
    // Sequences that are no key vanish whole; the x after each shows the decoder is at rest.
    {"\x1b[200~x", {120}}, {"\x1b[201~x", {120}}, {"\x1b[Ix", {120}}, {"\x1b[Ox", {120}},
    {"\x1b[M #$x", {120}}, {"\x1b[M\x1b\xff\x01x", {120}}, {"\x1b[<0;10;20Mx", {120}},
    {"\x1b[<0;10;20mx", {120}}, {"\x1b[32;10;20Mx", {120}}, {"\x1b[12;40Rx", {120}}, {"\x1b[1;40Rx", {120}},
    {"\x1b[?1;2cx", {120}}, {"\x1b[>0;276;0cx", {120}}, {"\x1b[?2026;2$yx", {120}}, {"\x1b[99~x", {120}},
    {"\x1b[1;2;3Ax", {120}}, {"\x1b[5Ax", {120}}, {"\x1b[1;17Ax", {120}}, {"\x1b[1!Ax", {120}},
    {"\x1b[!1Ax", {120}}, {"\x1b[1?Ax", {120}}, {"\x1bO!x", {120}}, {"\x1bOzx", {120}}, {"\x1b[[Zx", {120}},
    {"\x1b[;5~x", {120}}, {"\x1b[1;5;1;1;1~x", {120}}, {"\x1b[" + std::string(100, '1') + "~x", {120}},
};

// Each key comes whole with the last byte of its sequence, a sequence cut anywhere giving
// nothing before; so do the keys of a run sent back to back without a pause.
TEST(TerminalKeys, DecodesKeysToTheirCodesAtTheLastByte) {
  std::string run;
  std::vector<int32_t> run_codes;
  for (const auto& [bytes, codes] : kKeys) {
    std::vector<size_t> at;
    EXPECT_EQ(decode(bytes, true, &at), codes) << testing::PrintToString(bytes);
    const bool ends_on_expiry = bytes.back() == '\x1b' || bytes == "\xe2\x82" || codes.empty();
    if (ends_on_expiry || bytes == "\x1b\x1b\x1b" || bytes == "\x1b\x1bx") continue;
    if (codes.size() == 1) {
      EXPECT_EQ(at, std::vector<size_t>{bytes.size() - 1}) << testing::PrintToString(bytes);
    }
    run += bytes;
    run_codes.insert(run_codes.end(), codes.begin(), codes.end());
  }
  EXPECT_EQ(decode(run), run_codes);
  // Without UTF-8 the high bytes are code page 437's.
  EXPECT_EQ(decode("\x82\xe9", false), (std::vector<int32_t>{130, 233}));
  EXPECT_EQ(decode("\x1b\x82", false), (std::vector<int32_t>{130}));
}

// A terminal description's key strings (capabilities named k...), as infocmp prints them,
// unescaped (the descriptions below escape nothing else); empty when one is missing.
std::map<std::string, std::string> key_strings(const std::string& terminal) {
  std::map<std::string, std::string> keys;
  std::istringstream listing(test_support::command_output("infocmp -1 -x " + terminal + " 2>/dev/null || true"));
  for (std::string line; std::getline(listing, line);) {
    const size_t start = line.find_first_not_of('\t'), equals = line.find('=');
    if (start == std::string::npos || line[start] != 'k' || equals == std::string::npos) continue;
    std::string& bytes = keys[line.substr(start, equals - start)];
    for (size_t i = equals + 1; i < line.size() && line[i] != ','; ++i) {  // \E, \x for x, ^x
      const char escape = line[i] == '^' || line[i] == '\\' ? line[i++] : 0, c = line[i];
      if (escape == '^') bytes += c == '?' ? '\x7f' : static_cast<char>(c & 31);
      if (escape == '\\') bytes += c == 'E' ? '\x1b' : c;
      if (escape == 0) bytes += c;
    }
  }
  return keys;
}

// The descriptions' own key strings, as the terminal sends them once the program has put its
// keypad in application mode: each editing key decodes to its key, and no other key string
// types a character into the line but the keypad's (ESC O and a letter) their own.
TEST(TerminalKeys, KeyStringsOfCommonTerminalDescriptionsGiveTheirKeys) {
  const std::map<std::string, int32_t> kEditingKeys = {
      {"kbs", 8},          {"kdch1", KEY_DELETE}, {"kcub1", KEY_LEFT}, {"kcuf1", KEY_RIGHT},
      {"kcuu1", KEY_UP},   {"kcud1", KEY_DOWN},   {"khome", KEY_HOME}, {"kend", KEY_END},
  };
  const std::string kKeypadCharacters = "0123456789+-*/.,";
  for (const char* terminal : {"xterm", "screen", "tmux", "rxvt-unicode", "st", "linux", "putty", "konsole",
                               "alacritty", "foot+base", "kitty"}) {
    const std::map<std::string, std::string> keys = key_strings(terminal);
    ASSERT_FALSE(keys.empty()) << terminal << ": no description (Debian's ncurses-term has it)";
    for (const auto& [name, code] : kEditingKeys) {
      ASSERT_EQ(keys.count(name), 1u) << terminal << " " << name;
      EXPECT_EQ(decode(keys.at(name)), std::vector<int32_t>{code}) << terminal << " " << name;
    }
    for (const auto& [name, bytes] : keys) {
      if (kEditingKeys.count(name) != 0) continue;
      const bool keypad = bytes.size() == 3 && bytes.starts_with("\x1bO");
      for (int32_t code : decode(bytes)) {
        const bool character = code >= 32 && code <= 255;
        const bool allowed = !character || (keypad && kKeypadCharacters.find(static_cast<char>(code)) != std::string::npos);
        EXPECT_TRUE(allowed) << terminal << " " << name << " types " << code;
      }
    }
  }
}

// The console key buffer holds 511 keys and drops the oldest. Standard input is an empty
// pipe meanwhile, so that polling finds neither keys nor the end of input, until the pipe's
// writer closes: the end of input is then seen by asking for it alone.
TEST(ConsoleKeys, BufferHoldsTheNewest511Keys) {
  int quiet[2];
  ASSERT_EQ(pipe(quiet), 0);
  const int saved_input = dup(STDIN_FILENO);
  ASSERT_EQ(dup2(quiet[0], STDIN_FILENO), STDIN_FILENO);
  for (int32_t code = 1; code <= 600; ++code) console_key_push(code % 200 + 1);
  std::vector<int32_t> read;
  for (int32_t code; (code = console_key_read(1, 1)) != -1 && read.size() < 1000;) read.push_back(code);
  const int32_t ended_before = console_input_ended();
  close(quiet[1]);
  EXPECT_EQ(std::pair(ended_before, console_input_ended()), std::pair(0, 1));
  dup2(saved_input, STDIN_FILENO);
  for (int fd : {saved_input, quiet[0]}) close(fd);
  std::vector<int32_t> newest;
  for (int32_t code = 600 - 511 + 1; code <= 600; ++code) newest.push_back(code % 200 + 1);
  EXPECT_EQ(read, newest);
}

}  // namespace
