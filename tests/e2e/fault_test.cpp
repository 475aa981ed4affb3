// What the programs do when their input, output or terminal misbehaves: endless input, a full
// disk, termination signals.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include "child_process.hpp"
#include "process.hpp"

namespace {

// Input that never ends, or is always ready, and output that cannot be written.
TEST(StreamFaults, EndlessInputAndFullOutputEndCleanly) {
  char endless[] = "/tmp/zorvy-endless-XXXXXX";  // "7" and a line end, then a terabyte of zeros
  const int fd = mkstemp(endless);
  ASSERT_TRUE(fd >= 0 && write(fd, "7\n", 2) == 2 && ftruncate(fd, 1LL << 40) == 0);
  close(fd);
  const struct {
    const char* input;
    const char* output;
    int exit_code;  // 128 + SIGTERM: still running after a second, and stopped
    const char* says;
  } kCases[] = {
      {"/dev/zero", "/dev/null", 128 + SIGTERM, ""},
      {endless, "/dev/null", 0, ""},
      {endless, "/dev/full", 1, "zorvy: cannot write the output: No space left on device\n"},
  };
  for (const auto& c : kCases) {
    ChildProcess zorvy("sh", {"-c", "exec env -u DISPLAY \"$0\" < \"$1\" > \"$2\"", ZORVY_PATH, c.input, c.output});
    int exit_code = zorvy.wait_exit(1000);
    if (exit_code == -1) {
      EXPECT_LT(peak_memory_kib(zorvy.pid()), 64 << 10) << c.input;
      kill(zorvy.pid(), SIGTERM);
      exit_code = zorvy.wait_exit(2000);
    }
    EXPECT_EQ(exit_code, c.exit_code) << c.input << " > " << c.output;
    EXPECT_EQ(zorvy.errors(), c.says);
  }
  unlink(endless);
}

// Every way the program can end leaves the terminal in the modes it started in.
TEST(TerminalFaults, EveryEndingRestoresTheTerminalsModes) {
  struct Ending {
    const char* name;
    std::vector<TerminalStep> steps;
    int exit_code;
  };
  const Ending endings[] = {
      {"a key typed with Enter ends the final wait", {{"? ", "7\rx"}}, 0},
      {"Ctrl+C while typing", {{"? ", "12"}, {"", "\x03", 100}}, 128 + SIGINT},
      {"SIGTERM while typing", {{"? ", "12"}, {"", "", 100, false, SIGTERM}}, 0},
      {"SIGTERM in the final wait", {{"? ", "7\r"}, {"faktorial:", "", 0, false, SIGTERM}}, 0},
      {"hang-up signal while typing", {{"? ", "12"}, {"", "", 100, false, SIGHUP}}, 0},
      {"an abort", {{"? ", "", 200, false, SIGABRT}}, 128 + SIGABRT},
  };
  for (const Ending& ending : endings) {
    const ProcessResult result = run_on_terminal(ZORVY_PATH, ending.steps, 24, 80, {}, 5000);
    EXPECT_EQ(result.exit_code, ending.exit_code) << ending.name;
    EXPECT_TRUE(result.terminal_restored) << ending.name;
  }
}

}  // namespace
