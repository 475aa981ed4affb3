#include "tmux_terminal.hpp"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "child_process.hpp"

namespace test_support {

TmuxTerminal::TmuxTerminal(const std::string& command, int columns, int rows) {
  char folder[] = "/tmp/qz-tmux.XXXXXX";
  folder_ = mkdtemp(folder);
  tmux_ = "tmux -u -f /dev/null -S " + folder_ + "/socket ";
  std::system((tmux_ + "new-session -d -x " + std::to_string(columns) + " -y " + std::to_string(rows) + " '" +
               command + "' > /dev/null 2>&1").c_str());  // commands hold no single quotes
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
    return std::ranges::any_of(rows(), [&](const std::string& row) { return row.find(text) != std::string::npos; });
  });
}

}  // namespace test_support
