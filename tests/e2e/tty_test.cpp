// Both programs on a pseudo-terminal, read back through a model of the terminal's screen.
#include <gtest/gtest.h>

#include "process.hpp"
#include "terminal_screen.hpp"

namespace {

TerminalScreen screen_after(const ProcessResult& result, int rows = 24, int columns = 80) {
  TerminalScreen screen = make_terminal_screen(rows, columns);
  terminal_screen_feed(screen, result.output);
  return screen;
}

TEST(TerminalDialogue, ShowsTheDialogueAndEndsOnAKey) {
  const ProcessResult result =
      run_on_terminal(ZORVY_PATH, {{"? ", "10\r"}, {"faktorial:", "x"}});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0);
  const TerminalScreen screen = screen_after(result);
  const std::vector<std::string> expected = {
      "", " Zorvy Numbers", "", " Zadej do jakeho cisla pocitat", "", "? 10", "", " 1",
      " 5", " 23", "", "", " Celkovy pocet provedenych vypoctu:", "", " 15", "",
      " Nejvyssi faktorial:  4"};
  for (size_t r = 0; r < expected.size(); ++r) {
    EXPECT_EQ(terminal_screen_row(screen, static_cast<int>(r)), expected[r]) << "row " << r + 1;
  }
}

TEST(TerminalDialogue, RestoresColoursAtExit) {
  const ProcessResult result =
      run_on_terminal(PLEMO_PATH, {{"? ", "3\r"}, {"faktorial:", " "}});
  ASSERT_EQ(result.exit_code, 0);
  // The dialogue is drawn in the colours the program chose, which are reset when it leaves.
  EXPECT_NE(result.output.find("\x1b[0;34;45m"), std::string::npos);
  EXPECT_EQ(result.output.substr(result.output.rfind("\x1b[")), "\x1b[0m");
}

}  // namespace
