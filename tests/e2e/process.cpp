#include "process.hpp"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <algorithm>
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

bool same_modes(const struct termios& a, const struct termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && a.c_cc[VMIN] == b.c_cc[VMIN] && a.c_cc[VTIME] == b.c_cc[VTIME];
}

// Plays the step; false when it hung the terminal up.
bool play(const TerminalStep& s, int master, pid_t child) {
  if (s.pause_ms > 0) usleep(static_cast<useconds_t>(s.pause_ms) * 1000);
  if (s.hang_up) return false;
  if (s.signal != 0) kill(child, s.signal);
  if (s.resize_rows > 0) {
    struct winsize resized {};
    resized.ws_row = static_cast<unsigned short>(s.resize_rows);
    resized.ws_col = static_cast<unsigned short>(s.resize_columns);
    ioctl(master, TIOCSWINSZ, &resized);  // the terminal tells the program with SIGWINCH
  }
  [[maybe_unused]] ssize_t written = write(master, s.keys.data(), s.keys.size());
  return true;
}

// Waits up to ms for the child to exit, then kills it; its exit code as ChildProcess gives it.
int finish(pid_t child, int ms) {
  int status = 0;
  for (int waited = 0; waitpid(child, &status, WNOHANG) != child; waited += 10) {
    if (waited >= ms) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      return -1;
    }
    usleep(10000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ProcessResult run_on_terminal(const char* program, const std::vector<TerminalStep>& steps,
                              int rows, int columns, int timeout_ms) {
  struct winsize size {};
  size.ws_row = static_cast<unsigned short>(rows);
  size.ws_col = static_cast<unsigned short>(columns);
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, &size);
  if (child == 0) {
    unsetenv("DISPLAY");
    setenv("LC_ALL", "C.UTF-8", 1);
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  ProcessResult result{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  const auto left = [&deadline] {
    return static_cast<int>(std::max<long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  deadline - std::chrono::steady_clock::now()).count()));
  };
  size_t step = 0, seen = 0;  // seen: output already searched for the awaited text
  bool open = true;
  while (open) {
    for (size_t found; step < steps.size() &&
         (found = result.output.find(steps[step].wait_for, seen)) != std::string::npos; ++step) {
      seen = found + steps[step].wait_for.size();
      open = play(steps[step], master, child);
      if (!open) break;
    }
    struct pollfd ready {master, POLLIN, 0};
    char block[4096];
    ssize_t n = 0;
    if (open && poll(&ready, 1, left()) > 0 && (n = read(master, block, sizeof block)) > 0) {
      result.output.append(block, static_cast<size_t>(n));
    } else {
      struct termios modes {};
      result.terminal_restored = open && tcgetattr(master, &modes) == 0 && same_modes(modes, fresh_modes());
      open = false;
    }
  }
  close(master);
  result.exit_code = finish(child, left());
  return result;
}
