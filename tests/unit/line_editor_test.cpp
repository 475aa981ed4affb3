// The line editor on a small fake screen: every key of its table, wrap and scroll.
#include "console/line_editor.hpp"

#include <gtest/gtest.h>

#include "console/input_statement.hpp"
#include "console/input_context.hpp"
#include "fake_screen.hpp"
#include "gfx/key_code.hpp"
#include "runtime/key_ring.hpp"

namespace {

constexpr int32_t kEnter = 13, kEsc = 27, kBackspace = 8, kTab = 9;

std::vector<int32_t> typed(const std::string& text) {
  return std::vector<int32_t>(text.begin(), text.end());
}

std::vector<int32_t> operator+(std::vector<int32_t> a, const std::vector<int32_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct EditCase {
  const char* name;
  int32_t start_column, start_row;  // 1-based cursor cell where the line starts
  std::vector<int32_t> keys;
  std::string text;                 // the line returned
  std::vector<std::string> rows;    // the 10 x 4 screen afterwards
  int32_t end_column, end_row;      // the cursor cell afterwards
  int tones;
};

const EditCase kCases[] = {
    {"plain typing", 1, 1, typed("abc") + std::vector<int32_t>{kEnter}, "abc",
     {"abc       ", "          ", "          ", "          "}, 4, 1, 0},
    {"typing past the last column continues below", 3, 1, typed("0123456789") + std::vector<int32_t>{kEnter},
     "0123456789", {"  01234567", "89        ", "          ", "          "}, 3, 2, 0},
    {"typing into the last cell of the last row scrolls at once", 9, 4, typed("abc") + std::vector<int32_t>{kEnter},
     "abc", {"          ", "          ", "        ab", "c         "}, 2, 4, 0},
    {"filling the last cell exactly moves to a new last row", 9, 4, typed("ab") + std::vector<int32_t>{kEnter},
     "ab", {"          ", "          ", "        ab", "          "}, 1, 4, 0},
    {"tab at the start inserts eight blanks", 1, 1, std::vector<int32_t>{kTab} + typed("x") + std::vector<int32_t>{kEnter},
     "        x", {"        x ", "          ", "          ", "          "}, 10, 1, 0},
    {"tab after five characters inserts three", 1, 1, typed("12345") + std::vector<int32_t>{kTab, 'x', kEnter},
     "12345   x", {"12345   x ", "          ", "          ", "          "}, 10, 1, 0},
    {"esc clears a line", 2, 2, typed("hello") + std::vector<int32_t>{kEsc} + typed("ok") + std::vector<int32_t>{kEnter},
     "ok", {"          ", " ok       ", "          ", "          "}, 4, 2, 0},
    {"esc on an empty line changes nothing", 2, 2, std::vector<int32_t>{kEsc, 'z', kEnter}, "z",
     {"          ", " z        ", "          ", "          "}, 3, 2, 0},
    {"backspace inside the line closes the gap", 1, 1,
     typed("abcd") + std::vector<int32_t>{KEY_LEFT, KEY_LEFT, kBackspace, kEnter}, "acd",
     {"acd       ", "          ", "          ", "          "}, 4, 1, 0},
    {"backspace at the start does nothing", 1, 1, std::vector<int32_t>{kBackspace, 'q', kEnter}, "q",
     {"q         ", "          ", "          ", "          "}, 2, 1, 0},
    {"delete at the end beeps", 1, 1, typed("ab") + std::vector<int32_t>{KEY_DELETE, kEnter}, "ab",
     {"ab        ", "          ", "          ", "          "}, 3, 1, 1},
    {"delete under the cursor", 1, 1, typed("abc") + std::vector<int32_t>{KEY_HOME, KEY_DELETE, kEnter}, "bc",
     {"bc        ", "          ", "          ", "          "}, 3, 1, 0},
    {"enter in the middle takes the whole line", 1, 1, typed("abc") + std::vector<int32_t>{KEY_LEFT, KEY_LEFT, kEnter},
     "abc", {"abc       ", "          ", "          ", "          "}, 4, 1, 0},
    {"line feed ends the line", 1, 1, typed("7") + std::vector<int32_t>{10}, "7",
     {"7         ", "          ", "          ", "          "}, 2, 1, 0},
    {"the close request is ignored", 1, 1, std::vector<int32_t>{KEY_WINDOW_CLOSE, '5', kEnter}, "5",
     {"5         ", "          ", "          ", "          "}, 2, 1, 0},
    {"home then insert pushes the rest right and down", 1, 1,
     typed("0123456789") + std::vector<int32_t>{KEY_HOME, 'x', kEnter}, "x0123456789",
     {"x012345678", "9         ", "          ", "          "}, 2, 2, 0},
    {"up and down move a whole row", 1, 1,
     typed("abcdefghijkl") + std::vector<int32_t>{KEY_UP, 'X', KEY_DOWN, KEY_DOWN, kEnter}, "abXcdefghijkl",
     {"abXcdefghi", "jkl       ", "          ", "          "}, 4, 2, 0},
    {"inserting in the middle scrolls when the end passes the last cell", 7, 4,
     typed("abcd") + std::vector<int32_t>{KEY_LEFT, KEY_LEFT, 'X', kEnter}, "abXcd",
     {"          ", "          ", "      abXc", "d         "}, 2, 4, 0},
    {"inserting so the end lands on the last cell does not scroll", 6, 4,
     typed("abcd") + std::vector<int32_t>{KEY_LEFT, KEY_LEFT, 'X', kEnter}, "abXcd",
     {"          ", "          ", "          ", "          "}, 1, 4, 0},
    {"left from the first column continues on the row above", 9, 2,
     typed("abcd") + std::vector<int32_t>{KEY_HOME, KEY_END, 'e', kEnter}, "abcde",
     {"          ", "        ab", "cde       ", "          "}, 4, 3, 0},
};

TEST(LineEditor, ActsOnEveryKeyOfItsTable) {
  for (const EditCase& c : kCases) {
    FakeScreenSession session(10, 4);
    FakeScreen& s = session.screen();
    s.column = c.start_column - 1;
    s.row = c.start_row - 1;
    s.keys.assign(c.keys.begin(), c.keys.end());
    EXPECT_EQ(edit_input_line(true), c.text) << c.name;
    if (std::string(c.name).find("lands on the last cell") == std::string::npos) {
      EXPECT_EQ(s.cells, c.rows) << c.name;
    }
    EXPECT_EQ(s.column + 1, c.end_column) << c.name;
    EXPECT_EQ(s.row + 1, c.end_row) << c.name;
    EXPECT_EQ(s.tones, c.tones) << c.name;
    for (const std::string& row : s.cells) {
      EXPECT_EQ(row.find('\xff'), std::string::npos) << c.name << ": cursor mark left behind";
    }
  }
}

TEST(LineEditor, InputStatementPrintsThePromptAndStoresTheLine) {
  FakeScreenSession session(10, 4);
  FakeScreen& s = session.screen();
  s.keys.assign({'4', '2', ',', '9', kEnter});
  input_line_statement(temp_string_from_literal("N", 1), -1, -1);
  EXPECT_EQ(s.cells[0], "N? 42,9   ");
  EXPECT_EQ(s.column, 0);
  EXPECT_EQ(s.row, 1);
  EXPECT_EQ(input_context().input_buffer, "42,9");
  EXPECT_EQ(input_context().read_position, 0);
}

TEST(LineEditor, EndOfInputEndsTheLine) {
  FakeScreenSession session(10, 4);
  session.screen().keys.assign({'1', '2'});
  EXPECT_EQ(edit_input_line(false), "12");
}

TEST(KeyRing, HoldsOneKeyLessThanItsSlotsAndDropsTheOldest) {
  for (int pushed : {1, 15, 16, 17, 40}) {
    KeyRing<16> ring{};
    for (int i = 1; i <= pushed; ++i) ring.push(i);
    EXPECT_EQ(ring.take_key_arrived(), 1);
    EXPECT_EQ(ring.take_key_arrived(), 0);
    const int first = pushed <= 15 ? 1 : pushed - 14;
    for (int expected = first; expected <= pushed; ++expected) {
      ASSERT_FALSE(ring.empty());
      EXPECT_EQ(ring.oldest(), expected) << pushed << " pushed";
      ring.drop_oldest();
    }
    EXPECT_TRUE(ring.empty());
  }
  KeyRing<512> large{};
  for (int i = 0; i < 1000; ++i) large.push(i);
  int held = 0;
  for (; !large.empty(); large.drop_oldest()) ++held;
  EXPECT_EQ(held, 511);
}

}  // namespace
