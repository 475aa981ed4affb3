#pragma once
// A program started by a test, whose output is read line by line while it runs.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

class ChildProcess {
 public:
  // Starts program (looked up in PATH) with its arguments, the test's environment and standard
  // input closed; display, when given, replaces DISPLAY.
  explicit ChildProcess(const char* program, const std::vector<std::string>& arguments = {},
                        const std::string& display = "");
  ChildProcess(const ChildProcess&) = delete;
  ~ChildProcess();

  pid_t pid() const { return pid_; }

  // The next line of standard output without its line end (LF or CR LF), waiting up to
  // timeout_ms; empty at the end or timeout.
  std::string read_line(int timeout_ms = 5000);

  // Standard output up to its end, waiting up to timeout_ms for it.
  std::string read_all(int timeout_ms = 20000);

  // The exit code once the program ended within timeout_ms, 128 + the signal that ended it, or
  // -1 while it still runs.
  int wait_exit(int timeout_ms = 5000);

  // Everything the program wrote to standard error so far.
  std::string errors();

  // Kills the program now.
  void stop();

 private:
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  std::string pending_;

  // Reads what standard output has into pending_, waiting until the deadline; false at its end
  // or the deadline.
  bool fill(std::chrono::steady_clock::time_point deadline);
};

// The most memory the process has held so far, in KiB.
long peak_memory_kib(pid_t pid);
