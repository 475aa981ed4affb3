#pragma once
// A program started for a window test, whose output is read line by line while it runs.
#include <sys/types.h>

#include <string>

class ChildProcess {
 public:
  // Starts program with the test's environment and standard input closed; display, when
  // given, replaces DISPLAY; argument, when given, is the program's one argument.
  explicit ChildProcess(const char* program, const char* display = nullptr,
                        const char* argument = nullptr);

  pid_t pid() const { return pid_; }
  ~ChildProcess();

  // The next line of standard output, waiting up to timeout_ms; empty at the end or timeout.
  std::string read_line(int timeout_ms = 5000);

  // The exit code once the program ended by itself within timeout_ms; -1 otherwise (it is
  // then killed).
  int wait_exit(int timeout_ms = 5000);

  // Everything the program wrote to standard error so far.
  std::string errors();

 private:
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  std::string pending_;
};

// The most memory the process has held so far, in KiB.
long peak_memory_kib(pid_t pid);
