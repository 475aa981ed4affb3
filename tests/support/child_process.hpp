#pragma once
// A program started by a test, whose output is read while it runs.
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace test_support {

class ChildProcess {
 public:
  // Starts program (looked up in PATH) with its arguments, the test's environment and standard
  // input closed; display, when given, replaces DISPLAY. On a terminal, the program runs on a
  // pseudo-terminal of 24 x 80 instead, whose other side is terminal(); standard error goes to
  // errors() either way.
  explicit ChildProcess(const char* program, const std::vector<std::string>& arguments = {},
                        const std::string& display = "", bool on_terminal = false);
  ChildProcess(const ChildProcess&) = delete;
  ~ChildProcess();

  pid_t pid() const { return pid_; }
  int terminal() const { return out_; }
  void hang_up() { close(out_), out_ = -1; }  // closes the terminal's other side

  // Adds what the program writes to output(), waiting up to timeout_ms; false at the output's
  // end or the timeout.
  bool read_more(int timeout_ms);
  const std::string& output() const { return pending_; }

  // The next line of output without its line end (LF or CR LF), waiting up to timeout_ms;
  // empty at the end or timeout.
  std::string read_line(int timeout_ms = 5000);

  // The output up to its end, waiting up to timeout_ms for it.
  std::string read_all(int timeout_ms = 20000);

  // The exit code once the program ended within timeout_ms, 128 + the signal that ended it, or
  // -1 while it still runs.
  int wait_exit(int timeout_ms = 5000);

  // Everything the program wrote to standard error so far.
  std::string errors();

  // Kills the program now, with every process it started.
  void stop();

 private:
  pid_t pid_ = -1, group_ = -1;  // the program and its process group
  int out_ = -1, err_ = -1;
  std::string pending_;
};

// The most memory the process has held so far, in KiB.
long peak_memory_kib(pid_t pid);

// The processor time the program takes over two seconds of waiting: next to none for a program
// that waits as it should, most of them for a busy loop, however loaded the machine is.
long idle_cpu_ms(pid_t pid);

// The milliseconds left until the deadline, 0 once it passed.
int milliseconds_until(std::chrono::steady_clock::time_point deadline);

// Asks done() every step_ms until it answers true, for up to timeout_ms; its last answer.
template <typename Done>
bool wait_until(int timeout_ms, int step_ms, Done done) {
  for (int waited = 0; !done(); waited += step_ms, usleep(static_cast<useconds_t>(step_ms) * 1000)) {
    if (waited >= timeout_ms) return false;
  }
  return true;
}

// What a shell command writes to standard output; the test fails when it fails.
std::string command_output(const std::string& command);

// Writes bytes to a new file of /tmp and returns its name; the caller removes it.
std::string temporary_file(const std::string& bytes);

}  // namespace test_support
