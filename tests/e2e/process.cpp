#include "process.hpp"

#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "child_process.hpp"

ProcessResult run_piped(const char* program, const std::string& input, int timeout_ms) {
  char path[] = "/tmp/qz-input.XXXXXX";
  close(mkstemp(path));
  std::ofstream(path, std::ios::binary) << input;
  ChildProcess child("sh", {"-c", "cat \"$1\" | exec env -u DISPLAY \"$0\"", program, path});
  ProcessResult result{child.read_all(timeout_ms), "", child.wait_exit(timeout_ms)};
  result.errors = child.errors();
  unlink(path);
  return result;
}

namespace {

// The modes every new pseudo-terminal starts with.
struct termios fresh_modes() {
  int master = -1, slave = -1;
  struct termios modes {};
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) == 0) tcgetattr(slave, &modes);
  close(master);
  close(slave);
  return modes;
}

bool restored(int terminal) {
  struct termios now {}, fresh = fresh_modes();
  return tcgetattr(terminal, &now) == 0 && now.c_iflag == fresh.c_iflag && now.c_oflag == fresh.c_oflag &&
         now.c_cflag == fresh.c_cflag && now.c_lflag == fresh.c_lflag && now.c_cc[VMIN] == fresh.c_cc[VMIN] &&
         now.c_cc[VTIME] == fresh.c_cc[VTIME];
}

// Plays the step; false when it hung the terminal up.
bool play(const TerminalStep& s, ChildProcess& child) {
  if (s.pause_ms > 0) usleep(static_cast<useconds_t>(s.pause_ms) * 1000);
  if (s.hang_up) return false;
  if (s.signal != 0) kill(child.pid(), s.signal);
  if (s.resize_rows > 0) {
    struct winsize resized {};
    resized.ws_row = static_cast<unsigned short>(s.resize_rows);
    resized.ws_col = static_cast<unsigned short>(s.resize_columns);
    ioctl(child.terminal(), TIOCSWINSZ, &resized);  // the terminal tells the program with SIGWINCH
  }
  [[maybe_unused]] ssize_t written = write(child.terminal(), s.keys.data(), s.keys.size());
  return true;
}

}  // namespace

ProcessResult run_on_terminal(const char* program, const std::vector<TerminalStep>& steps, int rows,
                              int columns, const std::vector<std::string>& environment, int timeout_ms) {
  std::vector<std::string> arguments = {"-u", "DISPLAY", "LC_ALL=C.UTF-8"};
  arguments.insert(arguments.end(), environment.begin(), environment.end());
  arguments.push_back(program);
  ChildProcess child("env", arguments, "", {rows, columns});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  const auto left = [&deadline] {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return std::max(0, static_cast<int>(ms.count()));
  };
  ProcessResult result{};
  size_t step = 0, seen = 0;  // seen: output already searched for the awaited text
  bool open = true;
  do {
    for (size_t found; open && step < steps.size() &&
         (found = child.output().find(steps[step].wait_for, seen)) != std::string::npos; ++step) {
      seen = found + steps[step].wait_for.size();
      open = play(steps[step], child);
    }
  } while (open && child.read_more(left()));
  result.output = child.output();
  if (open) {
    result.terminal_restored = restored(child.terminal());
  } else {
    child.hang_up();
  }
  result.exit_code = child.wait_exit(left());
  return result;
}
