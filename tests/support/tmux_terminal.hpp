#pragma once
// A terminal of the test's own: a tmux session on a socket of its own, running a shell command,
// whose screen the test reads back as tmux shows it.
#include <string>
#include <vector>

namespace test_support {

class TmuxTerminal {
 public:
  TmuxTerminal(const std::string& command, int columns, int rows);
  TmuxTerminal(const TmuxTerminal&) = delete;
  ~TmuxTerminal();

  // Runs a tmux command (or several, split by " ; ") on this terminal's server: send-keys with
  // the keys as tmux names them, for one.
  void command(const std::string& command) const;

  // The screen's rows without trailing blanks; with_colours keeps the colour sequences.
  std::vector<std::string> rows(bool with_colours = false) const;

  // Waits up to timeout_ms for a row that holds text.
  bool shows(const std::string& text, int timeout_ms = 30000) const;

 private:
  std::string folder_, tmux_;
};

}  // namespace test_support
