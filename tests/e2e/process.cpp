#include "process.hpp"

#include "child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

int milliseconds_left(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void exec_program(const char* program) {
  unsetenv("DISPLAY");
  execl(program, program, static_cast<char*>(nullptr));
  _exit(127);
}

// Reads what fd has into out; false at its end.
bool drain(int fd, std::string& out) {
  char block[4096];
  const ssize_t n = read(fd, block, sizeof block);
  if (n <= 0) return false;
  out.append(block, static_cast<size_t>(n));
  return true;
}

// Whether the child exited within ms; its exit code (-1 after a signal) goes to the result.
bool exited_within(pid_t child, int ms, ProcessResult& result) {
  int status = 0;
  for (int waited = 0; waitpid(child, &status, WNOHANG) != child; waited += 10) {
    if (waited >= ms) return false;
    usleep(10000);
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return true;
}

// Waits up to ms for the child to exit by itself, then kills it.
void finish(pid_t child, int ms, ProcessResult& result) {
  if (exited_within(child, ms, result)) return;
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  result.timed_out = true;
  result.exit_code = -1;
}

}  // namespace

ProcessResult run_piped(const char* program, const std::string& input, int timeout_ms) {
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) std::abort();
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    exec_program(program);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);
  if (!input.empty()) {
    [[maybe_unused]] ssize_t written = write(in[1], input.data(), input.size());
  }
  close(in[1]);
  ProcessResult result{};
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  bool out_open = true, err_open = true;
  while ((out_open || err_open) && !result.timed_out) {
    struct pollfd fds[2] = {{out_open ? out[0] : -1, POLLIN, 0}, {err_open ? err[0] : -1, POLLIN, 0}};
    if (poll(fds, 2, milliseconds_left(deadline)) <= 0) {
      result.timed_out = true;
      break;
    }
    if (fds[0].revents) out_open = drain(out[0], result.output);
    if (fds[1].revents) err_open = drain(err[0], result.errors);
  }
  close(out[0]);
  close(err[0]);
  finish(child, milliseconds_left(deadline), result);
  return result;
}

ProcessResult run_redirected(const char* program, const char* input, const char* output,
                             int watch_ms) {
  int err[2];
  if (pipe(err) != 0) std::abort();
  const pid_t child = fork();
  if (child == 0) {
    dup2(open(input, O_RDONLY), 0);
    dup2(open(output, O_WRONLY), 1);
    dup2(err[1], 2);
    exec_program(program);
  }
  close(err[1]);
  ProcessResult result{};
  if (!exited_within(child, watch_ms, result)) {  // still running: stopped, it must then end
    result.peak_kib = peak_memory_kib(child);
    kill(child, SIGTERM);
    finish(child, 2000, result);
  }
  while (drain(err[0], result.errors)) {
  }
  close(err[0]);
  return result;
}

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

ProcessResult run_on_terminal(const char* program, const std::vector<TerminalStep>& steps,
                              int rows, int columns, int timeout_ms) {
  struct winsize size {};
  size.ws_row = static_cast<unsigned short>(rows);
  size.ws_col = static_cast<unsigned short>(columns);
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, &size);
  if (child == 0) {
    setenv("LANG", "C.UTF-8", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    exec_program(program);
  }
  ProcessResult result{};
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  size_t step = 0;
  size_t seen = 0;  // output already searched for the awaited text
  for (;;) {
    while (step < steps.size() &&
           (steps[step].wait_for.empty() ||
            result.output.find(steps[step].wait_for, seen) != std::string::npos)) {
      const TerminalStep& s = steps[step++];
      if (!s.wait_for.empty()) seen = result.output.find(s.wait_for, seen) + s.wait_for.size();
      if (s.pause_ms > 0) usleep(static_cast<useconds_t>(s.pause_ms) * 1000);
      if (s.hang_up) {
        close(master);
        finish(child, milliseconds_left(deadline), result);
        return result;
      }
      if (s.signal != 0) kill(child, s.signal);
      if (s.resize_rows > 0) {
        struct winsize resized {};
        resized.ws_row = static_cast<unsigned short>(s.resize_rows);
        resized.ws_col = static_cast<unsigned short>(s.resize_columns);
        ioctl(master, TIOCSWINSZ, &resized);  // the terminal tells the program with SIGWINCH
      }
      [[maybe_unused]] ssize_t written = write(master, s.keys.data(), s.keys.size());
    }
    struct pollfd ready {master, POLLIN, 0};
    if (poll(&ready, 1, milliseconds_left(deadline)) <= 0) {
      result.timed_out = true;
      break;
    }
    if (!drain(master, result.output)) break;
  }
  struct termios modes {};
  result.terminal_restored = tcgetattr(master, &modes) == 0 && same_modes(modes, fresh_modes());
  close(master);
  finish(child, milliseconds_left(deadline), result);
  return result;
}
