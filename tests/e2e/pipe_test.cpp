// Both programs through pipes and files: the exact bytes of the dialogue and the report, and
// input that never ends and output that cannot be written.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>

#include "child_process.hpp"
#include "dialogue.hpp"

namespace {

// Through a pipe the typed line is not echoed and every row ends with CR LF.
TEST(PipedDialogue, WritesExactlyTheDialogueAndReport) {
  const std::vector<std::string> kAllZorvy = {"1", "5", "23", "719", "5039", "479001599", "87178291199"};
  const struct {
    const char* program;
    std::string input;
    std::vector<std::string> listed;
    std::string trials, n;
  } kCases[] = {
      {ZORVY_PATH, "10\n", {"1", "5", "23"}, "15", "4"},
      {ZORVY_PATH, "1000000\r\n", {"1", "5", "23", "719", "5039"}, "2959", "10"},
      {ZORVY_PATH, "-5\n", kAllZorvy, "43828654281", "66"},  // pass 66's candidate 2^64 - 1 lies above it
      // 67 digits saturate: the bound 2^64 - 1 ends the search at the last pass.
      {ZORVY_PATH, std::string(1 << 20, '7') + "\n", kAllZorvy, "43828654280", "65"},
      {ZORVY_PATH, "", {"1"}, "2", "2"},  // no line: the bound is 0, the end of input ends the final wait
      {PLEMO_PATH, "1000\n", {"3", "7"}, "95", "7"},
      {PLEMO_PATH, "  3, 99 junk\nkey", {"3", "7"}, "5", "3"},  // only the first item; the rest are keys
      {PLEMO_PATH, "3", {"3", "7"}, "5", "3"},  // input ending inside the line
      {PLEMO_PATH, "18446744073709551615\n", {"3", "7", "39916801"}, "19959498", "65"},
  };
  char path[] = "/tmp/qz-input.XXXXXX";
  close(mkstemp(path));
  for (const auto& c : kCases) {
    std::ofstream(path, std::ios::binary) << c.input;
    ChildProcess program("sh", {"-c", "cat \"$1\" | exec env -u DISPLAY \"$0\"", c.program, path});
    std::string expected;
    const char* title = c.program == std::string(ZORVY_PATH) ? " Zorvy Numbers" : " Plemo Numbers";
    for (const std::string& row : dialogue_rows(title, "", c.listed, c.trials, c.n)) expected += row + "\r\n";
    EXPECT_EQ(program.read_all(), expected) << c.program << " " << c.input.substr(0, 30);
    EXPECT_EQ(program.wait_exit(), 0) << c.input.substr(0, 30);
    EXPECT_EQ(program.errors(), "") << c.input.substr(0, 30);
  }
  unlink(path);
}

// Input that never ends, or is always ready, and output that cannot be written.
TEST(StreamFaults, EndlessInputAndFullOutputEndCleanly) {
  char endless[] = "/tmp/zorvy-endless-XXXXXX";  // "7" and a line end, then a terabyte of zeros
  const int fd = mkstemp(endless);
  ASSERT_TRUE(fd >= 0 && write(fd, "7\n", 2) == 2 && ftruncate(fd, 1LL << 40) == 0);
  close(fd);
  const struct {
    const char* program;
    const char* input;
    const char* output;
    int exit_code;  // 128 + SIGTERM: still running after 0.3 s, and stopped
    const char* says;
  } kCases[] = {
      {ZORVY_PATH, "/dev/zero", "/dev/null", 128 + SIGTERM, ""},
      {ZORVY_PATH, endless, "/dev/null", 0, ""},
      {PLEMO_PATH, endless, "/dev/full", 1, "plemo: cannot write the output: No space left on device\n"},
  };
  for (const auto& c : kCases) {
    ChildProcess zorvy("sh", {"-c", "exec env -u DISPLAY \"$0\" < \"$1\" > \"$2\"", c.program, c.input, c.output});
    int exit_code = zorvy.wait_exit(300);
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

}  // namespace
