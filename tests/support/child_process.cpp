#include <gtest/gtest.h>

#include "child_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace test_support {

// The programs the tests start get the environment the tests mean, whatever the caller's: a
// terminal that takes escape sequences, colours allowed, the default presentation driver, the
// desktop's scale from the X server alone, no Wayland compositor but a test's own.
// A session that means otherwise says so in its own command.
static const bool session_environment = [] {
  setenv("TERM", "xterm-256color", 1);
  for (const char* name : {"NO_COLOR", "QZGFX", "GDK_SCALE", "WAYLAND_DISPLAY"}) unsetenv(name);
  return true;
}();

int milliseconds_until(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return std::max(0, static_cast<int>(left.count()));
}

ChildProcess::ChildProcess(const char* program, const std::vector<std::string>& arguments,
                           const std::string& display, bool on_terminal) {
  int out[2] = {-1, -1}, err[2];
  if (pipe(err) != 0 || (!on_terminal && pipe(out) != 0)) std::abort();
  struct winsize size {24, 80, 0, 0};
  pid_ = on_terminal ? forkpty(&out_, nullptr, nullptr, &size) : fork();
  if (pid_ == 0) {
    // The child leads a process group of its own, which the test ends as a whole (a shell's
    // pipeline included), and it is killed should the test process die first.
    if (!on_terminal) {
      close(0);
      open("/dev/null", O_RDONLY);  // the lowest free descriptor: standard input
      dup2(out[1], 1);
      setpgid(0, 0);  // a pseudo-terminal's child already leads a session of its own
    }
    dup2(err[1], 2);
    for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(program, argv.data());
    _exit(127);
  }
  if (!on_terminal) setpgid(pid_, pid_);  // whichever of the two runs first; the other leads a session
  group_ = pid_;
  for (const int fd : {out[1], err[1]}) close(fd);
  if (!on_terminal) out_ = out[0];
  err_ = err[0];
  fcntl(err_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  stop();
  for (const int fd : {out_, err_}) close(fd);
}

void ChildProcess::stop() {
  if (group_ > 0) kill(-group_, SIGKILL);  // the program, its leader, and whatever it started, ended or not
  if (pid_ <= 0) return;
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

bool ChildProcess::read_more(int timeout_ms) {
  struct pollfd ready {out_, POLLIN, 0};
  if (poll(&ready, 1, timeout_ms) <= 0) return false;
  char block[4096];
  const ssize_t n = read(out_, block, sizeof block);
  if (n <= 0) return false;
  pending_.append(block, static_cast<size_t>(n));
  return true;
}

std::string ChildProcess::read_line(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  size_t end;
  while ((end = pending_.find('\n')) == std::string::npos) {
    if (!read_more(milliseconds_until(deadline))) return "";
  }
  std::string line = pending_.substr(0, end > 0 && pending_[end - 1] == '\r' ? end - 1 : end);
  pending_.erase(0, end + 1);
  return line;
}

std::string ChildProcess::read_all(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (read_more(milliseconds_until(deadline))) {}
  return std::exchange(pending_, {});
}

int ChildProcess::wait_exit(int timeout_ms) {
  int status = 0;
  if (!wait_until(timeout_ms, 10, [&] { return waitpid(pid_, &status, WNOHANG) == pid_; })) return -1;
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ChildProcess::errors() {
  std::string text;
  char block[256];
  for (ssize_t n; (n = read(err_, block, sizeof block)) > 0;) text.append(block, static_cast<size_t>(n));
  return text;
}

long peak_memory_kib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  long kib = 0;
  for (std::string line; std::getline(status, line);) std::sscanf(line.c_str(), "VmHWM: %ld", &kib);
  return kib;
}

long idle_cpu_ms(pid_t pid) {
  const auto cpu_time_ms = [pid] {  // the process's threads' included
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    std::getline(stat, field, ')');  // the process's name may hold blanks
    for (int i = 3; i < 14; ++i) stat >> field;  // on to utime and stime, fields 14 and 15
    long user = 0, system = 0;
    stat >> user >> system;
    return (user + system) * 1000 / sysconf(_SC_CLK_TCK);
  };
  const long before = cpu_time_ms();
  usleep(2000000);
  return cpu_time_ms() - before;
}

std::string command_output(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  char block[4096];
  for (size_t n; pipe != nullptr && (n = fread(block, 1, sizeof block, pipe)) > 0;) output.append(block, n);
  EXPECT_EQ(pipe != nullptr ? pclose(pipe) : -1, 0) << command;
  return output;
}

std::string temporary_file(const std::string& bytes) {
  char path[] = "/tmp/qz-test.XXXXXX";
  close(mkstemp(path));
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace test_support
