#include "tmux_terminal.hpp"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "child_process.hpp"

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

void TmuxTerminal::send_keys(const std::string& keys) const {
  std::system((tmux_ + "send-keys " + keys + " > /dev/null 2>&1").c_str());
}

bool TmuxTerminal::rang() const {
  return command_output(tmux_ + "display-message -p '#{window_bell_flag}'") == "1\n";
}

std::vector<std::string> TmuxTerminal::rows(bool with_colours) const {
  const std::string screen = command_output(tmux_ + "capture-pane -p" + (with_colours ? " -e" : ""));
  std::vector<std::string> found;
  for (size_t at = 0, end; (end = screen.find('\n', at)) != std::string::npos; at = end + 1) {
    found.push_back(screen.substr(at, end - at));
  }
  return found;
}

bool TmuxTerminal::shows(const std::string& text, int timeout_ms) const {
  for (int waited = 0; waited <= timeout_ms; waited += 50, usleep(50000)) {
    for (const std::string& row : rows()) {
      if (row.find(text) != std::string::npos) return true;
    }
  }
  return false;
}

std::vector<std::string> terminal_rows(const std::string& output, int columns, int rows) {
  char path[] = "/tmp/qz-output.XXXXXX";
  const int fd = mkstemp(path);
  close(fd);
  std::ofstream(path, std::ios::binary) << output;
  const std::string file = path;
  const TmuxTerminal terminal("cat " + file + "; rm " + file + "; exec sleep 600", columns, rows);
  // Once the bytes are written, the screen settles as tmux takes them in.
  std::vector<std::string> shown, before;
  for (int waited = 0; waited < 5000 && (access(path, F_OK) == 0 || shown.empty() || shown != before);
       waited += 20) {
    usleep(20000);
    before = shown;
    shown = terminal.rows();
  }
  return shown;
}
