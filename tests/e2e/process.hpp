#pragma once
// Runs a built program as a user would: through pipes or on a pseudo-terminal.
#include <string>
#include <vector>

struct ProcessResult {
  std::string output;  // standard output (on a pseudo-terminal, everything the terminal got)
  std::string errors;  // standard error (empty on a pseudo-terminal)
  int exit_code;       // -1 when killed by a signal or the time ran out
  bool timed_out;
  long peak_kib;       // the most memory the program held (run_redirected only)
  bool terminal_restored;  // the terminal's modes at the end are those it started with
};

// Starts program with DISPLAY unset, feeds input to its standard input and closes it, and
// collects its output until it exits or timeout_ms passes.
ProcessResult run_piped(const char* program, const std::string& input, int timeout_ms = 20000);

// Starts program with DISPLAY unset and standard input and output on the files named. If it
// still runs after watch_ms, notes its peak memory and sends it SIGTERM; it must then end
// within 2 s. Collects standard error.
ProcessResult run_redirected(const char* program, const char* input, const char* output,
                             int watch_ms);

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

// Starts program on a rows x columns pseudo-terminal with DISPLAY unset, plays the steps and
// collects what the terminal received until the program exits or timeout_ms passes.
ProcessResult run_on_terminal(const char* program, const std::vector<TerminalStep>& steps,
                              int rows = 24, int columns = 80, int timeout_ms = 20000);
