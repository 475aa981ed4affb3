// What the programs do when their input, output or terminal misbehaves: a huge line, endless
// input, a full disk, termination signals.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "process.hpp"

namespace {

TEST(InputFaults, AOneMegabyteLineThroughAPipe) {
  const std::string line(1 << 20, '7');
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult result = run_piped(ZORVY_PATH, line + "\n");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("a 1 MiB line through the pipe took %.3f s\n", seconds);
  EXPECT_EQ(result.exit_code, 0);
  // Its first 67 digits saturate the bound: the search runs to its last pass.
  EXPECT_NE(result.output.find(" Nejvyssi faktorial:  65\r\n"), std::string::npos);
}

// Input that never ends, or is always ready, and output that cannot be written.
TEST(StreamFaults, EndlessInputAndFullOutputEndCleanly) {
  char endless[] = "/tmp/zorvy-endless-XXXXXX";  // "7" and a line end, then a terabyte of zeros
  const int fd = mkstemp(endless);
  ASSERT_TRUE(fd >= 0 && write(fd, "7\n", 2) == 2 && ftruncate(fd, 1LL << 40) == 0);
  close(fd);
  struct Case {
    const char* input;
    const char* output;
    int exit_code;  // -1: ended by SIGTERM after a second
    const char* says;
  };
  const Case cases[] = {
      {"/dev/zero", "/dev/null", -1, ""},
      {endless, "/dev/null", 0, ""},
      {endless, "/dev/full", 1, "zorvy: cannot write the output: No space left on device\n"},
  };
  for (const Case& c : cases) {
    const ProcessResult result = run_redirected(ZORVY_PATH, c.input, c.output, 1000);
    EXPECT_FALSE(result.timed_out) << c.input << " > " << c.output;
    EXPECT_EQ(result.exit_code, c.exit_code) << c.input << " > " << c.output;
    EXPECT_LT(result.peak_kib, 64 << 10) << c.input;
    EXPECT_EQ(result.errors, c.says);
  }
  unlink(endless);
}

// Every way the program can end leaves the terminal in the modes it started in.
TEST(TerminalFaults, EveryEndingRestoresTheTerminalsModes) {
  struct Ending {
    const char* name;
    std::vector<TerminalStep> steps;
    int exit_code;  // -1: ended by the signal
  };
  const Ending endings[] = {
      {"a key typed with Enter ends the final wait", {{"? ", "7\rx"}}, 0},
      {"Ctrl+C while typing", {{"? ", "12"}, {"", "\x03", 100}}, -1},
      {"SIGTERM while typing", {{"? ", "12"}, {"", "", 100, false, SIGTERM}}, 0},
      {"SIGTERM in the final wait", {{"? ", "7\r"}, {"faktorial:", "", 0, false, SIGTERM}}, 0},
      {"hang-up signal while typing", {{"? ", "12"}, {"", "", 100, false, SIGHUP}}, 0},
      {"an abort", {{"? ", "", 200, false, SIGABRT}}, -1},
  };
  for (const Ending& ending : endings) {
    const ProcessResult result = run_on_terminal(ZORVY_PATH, ending.steps, 24, 80, 5000);
    EXPECT_FALSE(result.timed_out) << ending.name;
    EXPECT_EQ(result.exit_code, ending.exit_code) << ending.name;
    EXPECT_TRUE(result.terminal_restored) << ending.name;
  }
}

}  // namespace
