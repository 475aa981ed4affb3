#pragma once
// Runs a built program as a user would, with DISPLAY unset: through pipes or on a
// pseudo-terminal.
#include <string>
#include <vector>

struct ProcessResult {
  std::string output;  // standard output (on a pseudo-terminal, everything the terminal got)
  std::string errors;  // standard error (empty on a pseudo-terminal)
  int exit_code;       // 128 + the signal that ended it; -1 when the time ran out
  bool terminal_restored = false;  // the terminal's modes at the end are those it started with
};

// Feeds input to the program's standard input through a pipe, closes it and collects the
// output until the program exits or timeout_ms passes.
ProcessResult run_piped(const char* program, const std::string& input, int timeout_ms = 20000);

// A step of a terminal session: wait for text to appear in the output (empty: none), pause,
// then type keys, or hang the terminal up.
struct TerminalStep {
  std::string wait_for;
  std::string keys;
  int pause_ms = 0;
  bool hang_up = false;
  int signal = 0;                      // sent to the program instead of typing
  int resize_rows = 0, resize_columns = 0;  // the terminal's new size, before typing
};

// Starts program on a rows x columns pseudo-terminal with the environment's settings added
// ("NAME=value"), plays the steps and collects what the terminal received until the program
// exits or timeout_ms passes.
ProcessResult run_on_terminal(const char* program, const std::vector<TerminalStep>& steps, int rows = 24,
                              int columns = 80, const std::vector<std::string>& environment = {},
                              int timeout_ms = 20000);
