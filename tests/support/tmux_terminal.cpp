#include "tmux_terminal.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "child_process.hpp"

namespace test_support {

TmuxTerminal::TmuxTerminal(const std::string& command, int columns, int rows) {
  char folder[] = "/tmp/qz-tmux.XXXXXX";
  folder_ = mkdtemp(folder);
  tmux_ = "tmux -u -f /dev/null -S " + folder_ + "/socket ";
  const std::string quoted = "'" + command + "'";  // commands hold no single quotes
  std::system((tmux_ + "new-session -d -x " + std::to_string(columns) + " -y " + std::to_string(rows) + " " +
               quoted + " > /dev/null 2>&1").c_str());
}

TmuxTerminal::~TmuxTerminal() {
  std::system((tmux_ + "kill-server > /dev/null 2>&1; rm -rf " + folder_).c_str());
}

void TmuxTerminal::command(const std::string& command) const {
  std::system((tmux_ + command + " > /dev/null 2>&1").c_str());
}

std::vector<std::string> TmuxTerminal::rows(bool with_colours) const {
  std::istringstream screen(command_output(tmux_ + "capture-pane -p" + (with_colours ? " -e" : "")));
  std::vector<std::string> found;
  for (std::string row; std::getline(screen, row);) found.push_back(row);
  return found;
}

bool TmuxTerminal::shows(const std::string& text, int timeout_ms) const {
  return wait_until(timeout_ms, 50, [&] {
    const std::vector<std::string> shown = rows();
    return std::ranges::any_of(shown, [&](const std::string& row) { return row.find(text) != std::string::npos; });
  });
}

namespace {

// Waits until the terminal took in the file (which its command removes) and its screen settled.
std::vector<std::string> settled_rows(const TmuxTerminal& terminal, const std::string& file) {
  std::vector<std::string> shown, before;
  for (int waited = 0; waited < 5000 && (access(file.c_str(), F_OK) == 0 || shown.empty() || shown != before);
       waited += 20) {
    usleep(20000);
    before = shown;
    shown = terminal.rows();
  }
  return shown;
}

}  // namespace

std::vector<std::string> terminal_rows(const std::string& output, int columns, int rows, EarlierSize earlier) {
  const bool resized = earlier.rows > 0;
  const std::string first = temporary_file(output.substr(0, resized ? earlier.resize_at : output.size()));
  const std::string rest = temporary_file(resized ? output.substr(earlier.resize_at) : "");
  const TmuxTerminal terminal("cat " + first + "; rm " + first + "; tmux wait-for resized; cat " + rest + "; rm " +
                                  rest + "; exec sleep 600",
                              resized ? earlier.columns : columns, resized ? earlier.rows : rows);
  settled_rows(terminal, first);
  terminal.command("resize-window -x " + std::to_string(columns) + " -y " + std::to_string(rows) +
                   " \\; wait-for -S resized");
  return settled_rows(terminal, rest);
}

}  // namespace test_support
