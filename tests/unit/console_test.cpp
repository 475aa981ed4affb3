// The console layer: print statements and zones, the control-character interpreter of a text
// view, input items and their conversion, and the line editor on the screen in memory.
#include <algorithm>
#include <string>
#include <vector>

#include "captured_output.hpp"
#include "console/input_context.hpp"
#include "console/input_item.hpp"
#include "console/input_statement.hpp"
#include "console/line_editor.hpp"
#include "console/print.hpp"
#include "console/screen_statements.hpp"
#include "memory_screen.hpp"
#include "runtime/key_code.hpp"
#include "runtime/runtime_state.hpp"
#include "runtime/text_view.hpp"

namespace {

using namespace test_support;

using PrintStatements = CapturedOutput;

// Numbers formatted as the mask says, strings, zones and the channel's column, and failures.
TEST_F(PrintStatements, FormatNumbersStringsAndZonesAndReportFailures) {
  const struct { bool is_signed; int64_t value; int32_t mask; const char* text; } kCases[] = {
      {true, 42, 0, " 42"},       {true, -42, 0, "-42"},    {true, 42, 1, " 42\r\n"},
      {true, -42, 4, "-42\r\n"},  {true, 42, 16, " 42 "},   {true, -42, 17, "-42 \r\n"},
      {true, INT64_MIN, 0, "-9223372036854775808"}, {false, 42, 20, "42 \r\n"},
      {false, -1, 0, "18446744073709551615"},
  };
  for (const auto& c : kCases) {
    bytes().clear();
    EXPECT_EQ(c.is_signed ? print_int64(0, c.value, c.mask) : print_uint64(0, static_cast<uint64_t>(c.value), c.mask), 0);
    EXPECT_EQ(bytes(), c.text) << c.value << " mask " << c.mask;
  }
  // The next zone from a column of a line so wide; a zone past the width ends the line.
  const struct { int32_t column; uint32_t width; std::string written; } kZones[] = {
      {0, 40, std::string(14, ' ')}, {13, 40, " "}, {14, 40, std::string(14, ' ')},
      {27, 40, " "}, {28, 40, "\r\n"}, {39, 40, "\r\n"}, {0, 10, "\r\n"}};
  for (const auto& z : kZones) {
    reset_screen_channel(z.column, z.width);
    bytes().clear();
    advance_print_zone(&screen_channel());
    EXPECT_EQ(bytes(), z.written) << "from column " << z.column << " of " << z.width;
  }
  reset_screen_channel(0, 40);
  bytes().clear();
  print_int64(0, 5, PRINT_NEWLINE | PRINT_NEXT_ZONE);
  print_string(0, temp_string_from_literal("ab", 2), PRINT_NEWLINE | PRINT_NEXT_ZONE);
  EXPECT_EQ(bytes(), " 5\r\n" + std::string(14, ' ') + "ab\r\n");
  print_literal("x\r\nyz", 0);
  EXPECT_EQ(screen_channel().column, 2);
  print_literal("0123456789012345678901234567890123456789ab", 0);
  EXPECT_EQ(screen_channel().column, (2 + 42) % 40);
  // Failures are reported.
  bytes().clear();
  EXPECT_EQ(print_int64(3, 1, 0), 1);
  EXPECT_EQ(last_error_number(), 1);
  EXPECT_EQ(bytes(), "");
  // An exhausted string pool: an empty string, and only the line end printed.
  std::vector<StringDescriptor*> held;
  for (int i = 0; i < kTempStringPoolSize; ++i) held.push_back(temp_string_from_literal("x", 1));
  StringDescriptor* extra = temp_string_from_literal("lost", 4);
  EXPECT_EQ(string_length(*extra), 0u);
  EXPECT_EQ(print_string(0, extra, PRINT_NEWLINE), -1);
  EXPECT_EQ(bytes(), "\r\n");
  for (StringDescriptor* d : held) EXPECT_EQ(release_temp_string(d), 0);
  EXPECT_EQ(release_temp_string(nullptr), -1);
  EXPECT_EQ(print_literal("back", 0), 0);
}

// A text view on a grid of dots that records its scrolls and tones.
struct Grid {
  std::vector<std::string> rows;
  std::vector<int> scrolls;
  int tones = 0;
  int draws_allowed = 100000;
};

int grid_draw(TextView& view, const uint8_t* bytes, int32_t count) {
  auto& grid = *static_cast<Grid*>(view.owner);
  EXPECT_LE(view.column + count - 1, view.right) << "run crosses the right edge";
  if (grid.draws_allowed-- <= 0) return 0;
  grid.rows.at(view.row).replace(view.column, count, reinterpret_cast<const char*>(bytes), count);
  return 1;
}

void grid_scroll(TextView& view, int32_t, int32_t top, int32_t right, int32_t bottom, int32_t lines) {
  auto& grid = *static_cast<Grid*>(view.owner);
  grid.scrolls.push_back(lines);
  for (int32_t r = top; r <= bottom; ++r) {
    grid.rows[r] = r + lines <= bottom ? grid.rows[r + lines] : std::string(right + 1, '.');
  }
  view.row = bottom;
}

void grid_tone(TextView& view) { ++static_cast<Grid*>(view.owner)->tones; }

void write(TextView& view, const std::string& text) {
  text_view_write(view, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(TextView, InterpretsControlsWrapsAndScrollsAndStopsOnAFailedDraw) {
  const std::string dots(10, '.');
  const struct {
    const char* name;
    int left, column, row;  // the view's left edge and the cursor before the write
    std::string text;
    std::vector<std::string> rows;  // the first rows afterwards; the rest stay dots
    int end_column, end_row;
    std::vector<int> scrolls;
  } kCases[] = {
      {"plain", 0, 0, 0, "abc", {"abc......."}, 3, 0, {}},
      {"wrap", 0, 0, 0, "0123456789ab", {"0123456789", "ab........"}, 2, 1, {}},
      {"cr returns to the left, and so does lf alone", 0, 0, 0, "ab\rX\ncd", {"Xb........", "cd........"}, 2, 1, {}},
      {"bs moves back without erasing", 0, 0, 0, "abc\bX\b\b\b\b\bY", {"YbX......."}, 1, 0, {}},
      {"tab to multiples of eight", 0, 0, 0, "a\tb\tc", {"a       b ", "      c..."}, 7, 1, {}},
      {"tab in an indented view", 2, 3, 0, "\tx", {"...       ", "..x......."}, 3, 1, {}},
      {"bel draws nothing", 0, 0, 0, "a\x07" "b\x07", {"ab........"}, 2, 0, {}},
      {"lines past the bottom scroll in one step", 0, 0, 0, "1\r\n2\r\n3\r\n4\r\n\r\n\r\n",
       {"4........."}, 0, 3, {3}},
      {"text below the bottom scrolls before drawing", 0, 0, 0, "1\n2\n3\n4\n5",
       {"2.........", "3.........", "4.........", "5........."}, 1, 3, {1}},
      {"filling the last cell owes the scroll", 0, 0, 3, "0123456789", {dots, dots, dots, "0123456789"}, 0, 4, {}},
      {"the owed scroll comes with the next byte", 0, 0, 3, "0123456789x",
       {dots, dots, "0123456789", "x........."}, 1, 3, {1}},
      {"control bytes other than the five are drawn", 0, 0, 0, "\x01\x0c\x1b", {"\x01\x0c\x1b......."}, 3, 0, {}},
  };
  for (const auto& c : kCases) {
    Grid grid{std::vector<std::string>(4, dots), {}, 0};
    TextView view{&grid, grid_scroll, grid_draw, grid_tone, c.left, 0, 9, 3, c.column, c.row};
    write(view, c.text);
    std::vector<std::string> rows = c.rows;
    rows.resize(4, dots);
    EXPECT_EQ(grid.rows, rows) << c.name;
    EXPECT_EQ(std::make_pair(view.column, view.row), std::make_pair(c.end_column, c.end_row)) << c.name;
    EXPECT_EQ(grid.scrolls, c.scrolls) << c.name;
    EXPECT_EQ(grid.tones, static_cast<int>(std::count(c.text.begin(), c.text.end(), '\x07'))) << c.name;
  }
  // A view without a bottom never scrolls; a failed draw (the third here) stops the write.
  Grid grid{std::vector<std::string>(10, dots), {}, 0, 2};
  TextView view{&grid, grid_scroll, grid_draw, nullptr, 0, 0, 9, -1, 0, 0};
  write(view, "\n\n\n\n\n\nq\r\n0123456789abc\r\nzz");
  EXPECT_TRUE(grid.scrolls.empty());
  EXPECT_EQ(std::vector<std::string>(grid.rows.begin() + 6, grid.rows.end()),
            (std::vector<std::string>{"q.........", "0123456789", dots, dots}));
}

TEST(InputItem, ConvertsTheFirstItemOfALineAndScanStopsAtSeparators) {
  const struct { std::string line; uint64_t value; } kCases[] = {
      {"", 0}, {"     ", 0}, {"abc", 0}, {"   42   ", 42}, {"42abc", 42}, {"+7", 7}, {"-5", 18446744073709551611u},
      {",5", 0}, {"1,000", 1}, {"\"1 000\"", 1}, {"\t9", 9}, {"10\r\n", 10}, {std::string(70, '9'), UINT64_MAX},
      {"&h10", 16}, {"&O17", 15}, {"&17", 15}, {"&B101", 5}, {"&B12", 1}, {"&78", 7}, {"&", 0}, {"&HG", 0},
      {"&H1E", 30}, {"&HD", 13}, {"&H10000000000000001", 1}, {"&hffffffffffffffff", UINT64_MAX},
      {"18446744073709551615", 18446744073709551615u}, {"18446744073709551616", UINT64_MAX},
      {"-99999999999999999999", UINT64_MAX}, {"1e3", 1000}, {"1D3", 1000}, {"2.5", 2}, {"3.5", 4},
      {"-0.4", 0}, {"-1.5", 18446744073709551614u}, {"1e19", 9223372036854775808u},
      {"1e400", 9223372036854775808u}, {"-9.3e18", 9223372036854775808u}, {"-9.2e18", 9246744073709551616u},
      {"0x1F", 0}, {"12.34.56", 12}, {"1e", 1}, {".", 0}, {"1&.5", 1},
  };
  for (const auto& c : kCases) {
    input_context() = {c.line, 0};  // the line, read from its start
    uint64_t value = 12345;
    input_item_u64(&value);
    EXPECT_EQ(value, c.value) << c.line;
  }
  // The scan stops at separators and leaves the rest.
  const struct {
    std::string line;
    std::string item;
    bool float_mark;
    int32_t next_position;  // where the next item starts
  } kScans[] = {
      {"12,34", "12", false, 3},      {"12 34", "12", false, 3},     {"12   ,34", "12", false, 6},
      {"12\r\n34", "12", false, 4},   {"12\r34", "12", false, 3},    {"12\n34", "12", false, 3},
      {"\"a,b c\" d", "a,b c", false, 8}, {"a\"b", "a\"b", false, 3}, {"1.5e3", "1.5e3", true, 5},
      {"2d2", "2e2", true, 3},        {"&hd", "&hd", false, 3},      {"  ", "", false, 2},
      {std::string(67, '1') + "234", std::string(67, '1'), false, 67},
      {std::string(67, '1') + " 9", std::string(67, '1'), false, 68},
  };
  for (const auto& c : kScans) {
    input_context() = {c.line, 0};
    char item[kItemLimit + 1];
    bool float_mark = !c.float_mark;
    const int32_t length = scan_input_item(item, kItemLimit, &float_mark);
    EXPECT_EQ(std::string(item, static_cast<size_t>(length)), c.item) << c.line;
    EXPECT_EQ(float_mark, c.float_mark) << c.line;
    EXPECT_EQ(input_context().read_position, c.next_position) << c.line;
  }
}

std::vector<int32_t> keys(const std::string& typed, std::vector<int32_t> then = {}) {
  then.insert(then.begin(), typed.begin(), typed.end());
  return then;
}

constexpr int32_t kEnter = 13, kEsc = 27, kBackspace = 8, kTab = 9;

std::string at(int column, const std::string& text) { return std::string(static_cast<size_t>(column - 1), ' ') + text; }

// The line editor on the screen in memory.
TEST(LineEditor, ActsOnEveryKeyOfItsTableAndServesTheInputStatement) {
  ASSERT_TRUE(open_memory_screen());
  const std::string ruler = "0123456789012345678901234567890123456789";  // one row
  const struct {
    const char* name;
    int32_t start_column, start_row;  // 1-based cell where the line starts
    std::vector<int32_t> keys;
    std::string text;                                // the line returned
    std::vector<std::pair<int, std::string>> rows;  // the rows not blank afterwards
    int32_t end_column, end_row;                     // the cursor cell afterwards
    int beeps;
  } kCases[] = {
      {"plain typing", 1, 1, keys("abc", {kEnter}), "abc", {{1, "abc"}}, 4, 1, 0},
      {"typing into the last cell of the last row scrolls at once", 39, 25, keys("abc", {kEnter}), "abc",
       {{24, at(39, "ab")}, {25, "c"}}, 2, 25, 0},
      {"filling the last cell exactly moves to a new last row", 39, 25, keys("ab", {kEnter}), "ab",
       {{24, at(39, "ab")}}, 1, 25, 0},
      {"tab after five characters inserts three", 1, 1, keys("12345", {kTab, 'x', kEnter}), "12345   x",
       {{1, "12345   x"}}, 10, 1, 0},
      {"esc clears a line", 2, 2, keys("hello", {kEsc, 'o', 'k', kEnter}), "ok", {{2, " ok"}}, 4, 2, 0},
      {"esc clears a one-character line", 2, 2, keys("h", {kEsc, 'z', kEnter}), "z", {{2, " z"}}, 3, 2, 0},
      {"backspace inside the line closes the gap", 1, 1, keys("abcd", {KEY_LEFT, KEY_LEFT, kBackspace, kEnter}),
       "acd", {{1, "acd"}}, 4, 1, 0},
      {"backspace at the start does nothing", 1, 1, keys("", {kBackspace, 'q', kEnter}), "q", {{1, "q"}}, 2, 1, 0},
      {"delete at the end beeps", 1, 1, keys("ab", {KEY_DELETE, kEnter}), "ab", {{1, "ab"}}, 3, 1, 1},
      {"delete under the cursor", 1, 1, keys("abc", {KEY_HOME, KEY_DELETE, kEnter}), "bc", {{1, "bc"}}, 3, 1, 0},
      {"line feed ends the line", 1, 1, keys("7", {10}), "7", {{1, "7"}}, 2, 1, 0},
      {"the close request is ignored", 1, 1, keys("", {KEY_WINDOW_CLOSE, '5', kEnter}), "5", {{1, "5"}}, 2, 1, 0},
      {"home then insert pushes the rest right and down", 31, 1, keys("0123456789", {KEY_HOME, 'x', kEnter}),
       "x0123456789", {{1, at(31, "x012345678")}, {2, "9"}}, 2, 2, 0},
      {"up and down move a whole row", 1, 1, keys(ruler + "ab", {KEY_UP, 'X', KEY_DOWN, KEY_DOWN, kEnter}),
       "01X" + ruler.substr(2) + "ab", {{1, "01X" + ruler.substr(2, 37)}, {2, "9ab"}}, 4, 2, 0},
      {"up with exactly one full row typed goes to the line's start", 1, 1, keys(ruler, {KEY_UP, 'X', kEnter}),
       "X" + ruler, {{1, "X" + ruler.substr(0, 39)}, {2, "9"}}, 2, 2, 0},
      {"down from a row above, a whole row before the end, goes to the end", 1, 1,
       keys(ruler + "abcde", {KEY_HOME, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_DOWN, 'X', kEnter}),
       ruler + "abcdeX", {{1, ruler}, {2, "abcdeX"}}, 7, 2, 0},
      {"down from a row above, less than a row before the end, stays", 1, 1,
       keys(ruler + "abcde", {KEY_HOME, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_DOWN, 'X', kEnter}),
       "012345X6789" + ruler.substr(10) + "abcde", {{1, "012345X6789" + ruler.substr(10, 29)}, {2, "9abcde"}}, 7, 2, 0},
      {"inserting in the middle scrolls when the end passes the last cell", 37, 25,
       keys("abcd", {KEY_LEFT, KEY_LEFT, 'X', kEnter}), "abXcd", {{24, at(37, "abXc")}, {25, "d"}}, 2, 25, 0},
      {"left from the first column continues on the row above", 39, 2, keys("abcd", {KEY_HOME, KEY_END, 'e', kEnter}),
       "abcde", {{2, at(39, "ab")}, {3, "cde"}}, 4, 3, 0},
      {"inserting so the end lands on the last cell does not scroll", 36, 25,
       keys("abcd", {KEY_LEFT, KEY_LEFT, 'X', kEnter}), "abXcd", {{24, at(36, "abXcd")}}, 1, 25, 0},
  };
  for (const auto& c : kCases) {
    clear_screen_statement(0xFFFF0000u);
    beeps = 0;
    locate(c.start_row, c.start_column);
    type_keys(c.keys);
    EXPECT_EQ(edit_input_line(true), c.text) << c.name;
    std::vector<std::string> rows(25), expected(25);
    for (int r = 1; r <= 25; ++r) rows[static_cast<size_t>(r - 1)] = screen_row(r);
    for (const auto& [r, text] : c.rows) expected[static_cast<size_t>(r - 1)] = text;
    EXPECT_EQ(rows, expected) << c.name;  // no cursor mark left behind either
    EXPECT_EQ(cursor_cell(), std::make_pair(c.end_column, c.end_row)) << c.name;
    EXPECT_EQ(beeps, c.beeps) << c.name;
  }
  // The input statement stores the line; the end of input ends a line.
  clear_screen_statement(0xFFFF0000u);
  type_keys({'4', '2', ',', '9', kEnter, '1', '2'});
  input_line_statement(temp_string_from_literal("N", 1), -1, -1);
  EXPECT_EQ(screen_row(1), "N? 42,9");
  EXPECT_EQ(cursor_cell(), std::make_pair(1, 2));
  EXPECT_EQ(input_context().input_buffer, "42,9");
  EXPECT_EQ(input_context().read_position, 0);
  EXPECT_EQ(edit_input_line(false), "12");
  close_screen();
}

}  // namespace
