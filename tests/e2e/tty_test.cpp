// Both programs on a pseudo-terminal, read back through a model of the terminal's screen.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "process.hpp"
#include "terminal_screen.hpp"

namespace {

// Keys as an xterm sends them.
const std::string kLeft = "\x1b[D", kRight = "\x1b[C", kUp = "\x1b[A", kDown = "\x1b[B";
const std::string kHome = "\x1b[H", kEnd = "\x1b[F", kDelete = "\x1b[3~", kBackspace = "\x7f";

TerminalScreen screen_after(const ProcessResult& result, int rows = 24, int columns = 80) {
  TerminalScreen screen = make_terminal_screen(rows, columns);
  terminal_screen_feed(screen, result.output);
  return screen;
}

// Types the keys at the prompt, then ends the final wait with a key.
ProcessResult type_bound(const std::vector<TerminalStep>& typing, int columns = 80) {
  std::vector<TerminalStep> steps = typing;
  steps.front().wait_for = "? ";
  steps.push_back({"faktorial:", "x"});
  return run_on_terminal(ZORVY_PATH, steps, 24, columns);
}

TEST(TerminalDialogue, ShowsTheRowsOfTheDialogueAndEndsOnAKey) {
  const ProcessResult result = type_bound({{"", "1"}, {"", "0"}, {"", "\r"}});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0);
  const TerminalScreen screen = screen_after(result);
  const std::vector<std::string> expected = {
      "", " Zorvy Numbers", "", " Zadej do jakeho cisla pocitat", "", "? 10", "", " 1",
      " 5", " 23", "", "", " Celkovy pocet provedenych vypoctu:", "", " 15", "",
      " Nejvyssi faktorial:  4", ""};
  for (size_t r = 0; r < expected.size(); ++r) {
    EXPECT_EQ(terminal_screen_row(screen, static_cast<int>(r)), expected[r]) << "row " << r + 1;
  }
}

struct EditCase {
  const char* name;
  std::vector<TerminalStep> typing;
  std::string input_row;   // row 6 after the line ends
  std::string next_row;    // row 7
};

class TerminalEditing : public testing::TestWithParam<EditCase> {};

TEST_P(TerminalEditing, EditsTheLineInPlace) {
  const ProcessResult result = type_bound(GetParam().typing);
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0);
  const TerminalScreen screen = screen_after(result);
  EXPECT_EQ(terminal_screen_row(screen, 5), GetParam().input_row);
  EXPECT_EQ(terminal_screen_row(screen, 6), GetParam().next_row);
}

const std::string k85Digits = std::string(78, '1') + "2345678";

INSTANTIATE_TEST_SUITE_P(
    Keys, TerminalEditing,
    testing::Values(
        EditCase{"left_backspace_end", {{"", "12" + kLeft + kBackspace + "5" + kEnd + "0\r"}}, "? 520", ""},
        EditCase{"home_inserts_at_the_start", {{"", "23" + kHome + "1\r"}}, "? 123", ""},
        EditCase{"delete_under_the_cursor", {{"", "123" + kHome + kDelete + "\r"}}, "? 23", ""},
        EditCase{"delete_at_the_end_changes_nothing", {{"", "45" + kDelete + "\r"}}, "? 45", ""},
        EditCase{"backspace_inside_closes_the_gap", {{"", "1234" + kLeft + kLeft + kBackspace + "\r"}}, "? 134", ""},
        EditCase{"tab_stops_count_from_the_line_start", {{"", "\t7\r"}}, "?         7", ""},
        EditCase{"tab_after_five_characters", {{"", "12345\t6\r"}}, "? 12345   6", ""},
        EditCase{"esc_clears_the_line", {{"", "999"}, {"", "\x1b", 0}, {"", "8\r", 120}}, "? 8", ""},
        EditCase{"enter_in_the_middle_takes_the_whole_line", {{"", "321" + kLeft + kLeft + "\r"}}, "? 321", ""},
        EditCase{"right_at_the_end_and_left_at_the_start", {{"", kLeft + "7" + kRight + kRight + "\r"}}, "? 7", ""},
        EditCase{"typing_past_the_last_column_wraps", {{"", k85Digits + "\r"}},
                 "? " + k85Digits.substr(0, 78), "2345678"},
        EditCase{"up_and_down_move_by_a_row", {{"", k85Digits + kUp + "9" + kDown + kEnd + "\r"}},
                 "? 11111" + std::string(1, '9') + std::string(72, '1'), "12345678"}),
    [](const testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST(TerminalDialogue, DeleteAtTheEndBeeps) {
  const ProcessResult result = type_bound({{"", "5" + kDelete + "\r"}});
  EXPECT_NE(result.output.find('\a'), std::string::npos);
}

TEST(TerminalDialogue, RestoresColoursAtExit) {
  const ProcessResult result =
      run_on_terminal(PLEMO_PATH, {{"? ", "3\r"}, {"faktorial:", " "}});
  ASSERT_EQ(result.exit_code, 0);
  // The dialogue is drawn in the colours the program chose, which are reset when it leaves.
  EXPECT_NE(result.output.find("\x1b[0;34;45m"), std::string::npos);
  EXPECT_EQ(result.output.substr(result.output.rfind("\x1b[")), "\x1b[0m");
}

// The program's own colour sequences (SGR), in the order it wrote them.
std::vector<std::string> color_sequences(const std::string& output) {
  std::vector<std::string> found;
  for (size_t at = output.find("\x1b["); at != std::string::npos; at = output.find("\x1b[", at + 1)) {
    const size_t end = output.find_first_not_of("0123456789;", at + 2);
    if (end != std::string::npos && output[end] == 'm') found.push_back(output.substr(at, end - at + 1));
  }
  return found;
}

TEST(TerminalDialogue, KeepsTheTerminalsOwnColoursAndHonoursTermAndNoColor) {
  struct Row {
    const char* variable;
    const char* value;
    std::vector<std::string> sequences;  // the colour sequences written
    bool escapes;                        // any escape sequence at all
  } rows[] = {
      {"NO_COLOR", "", {"\x1b[0;34;45m", "\x1b[0m"}, true},  // cleared in the terminal's colours
      {"NO_COLOR", "1", {}, true},
      {"TERM", "dumb", {}, false},
  };
  for (const Row& row : rows) {
    const char* saved = std::getenv(row.variable);
    const std::string kept = saved != nullptr ? saved : "";
    setenv(row.variable, row.value, 1);
    const ProcessResult result = run_on_terminal(PLEMO_PATH, {{"? ", "3\r"}, {"faktorial:", " "}});
    saved != nullptr ? setenv(row.variable, kept.c_str(), 1) : unsetenv(row.variable);
    EXPECT_EQ(result.exit_code, 0) << row.variable << "=" << row.value;
    std::vector<std::string> sequences = color_sequences(result.output);
    sequences.erase(std::unique(sequences.begin(), sequences.end()), sequences.end());
    EXPECT_EQ(sequences, row.sequences) << row.variable << "=" << row.value;
    EXPECT_EQ(result.output.find('\x1b') != std::string::npos, row.escapes) << row.variable;
    EXPECT_NE(result.output.find(" Nejvyssi faktorial:"), std::string::npos) << row.variable;
  }
}

TEST(TerminalDialogue, ShrunkWhileTypingKeepsTheReportsLastRows) {
  const ProcessResult result =
      run_on_terminal(ZORVY_PATH, {{"? ", "1"}, {"", "0\r", 100, false, 0, 8, 80}, {"faktorial:", "x"}});
  ASSERT_EQ(result.exit_code, 0);
  const TerminalScreen screen = screen_after(result, 8);
  const std::vector<std::string> last_rows = {" Celkovy pocet provedenych vypoctu:", "", " 15", "",
                                              " Nejvyssi faktorial:  4", ""};
  for (size_t r = 0; r < last_rows.size(); ++r) {
    EXPECT_EQ(terminal_screen_row(screen, static_cast<int>(r + 2)), last_rows[r]) << "row " << r + 3;
  }
}

TEST(TerminalDialogue, ContinuedAfterAStopDrawsTheScreenAgain) {
  const ProcessResult result = run_on_terminal(
      ZORVY_PATH, {{"? ", "4"}, {"", "", 100, false, SIGTSTP}, {"", "", 100, false, SIGCONT},
                   {"", "2\r", 200}, {"faktorial:", "x"}});
  ASSERT_EQ(result.exit_code, 0);
  const size_t first = result.output.find(" Zorvy Numbers");
  ASSERT_NE(first, std::string::npos);
  const size_t again = result.output.find(" Zorvy Numbers", first + 1);
  ASSERT_NE(again, std::string::npos);  // drawn again after continuing
  EXPECT_LT(again, result.output.find(" Nejvyssi"));
  EXPECT_EQ(terminal_screen_row(screen_after(result), 5), "? 42");
}

TEST(TerminalDialogue, EndsWhenTheTerminalClosesAtAnyStage) {
  const std::vector<TerminalStep> stages[] = {
      {{"? ", "5\r", 0, false}, {"faktorial:", "", 0, true}},  // during the final wait
      {{"? ", "12", 0, false}, {"", "", 200, true}},  // while the line is typed
      {{"", "", 0, true}},                            // at once
  };
  for (const auto& steps : stages) {
    const ProcessResult result = run_on_terminal(ZORVY_PATH, steps, 24, 80, 5000);
    EXPECT_FALSE(result.timed_out) << "after " << steps.size() << " steps";
  }
  const ProcessResult waiting = run_on_terminal(ZORVY_PATH, {{"? ", "7\r"}, {"faktorial:", "", 0, true}});
  EXPECT_EQ(waiting.exit_code, 0);
}

}  // namespace
