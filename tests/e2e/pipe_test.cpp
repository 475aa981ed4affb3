// Both programs through pipes and files: the exact bytes of the dialogue and the report, and
// input that never ends and output that cannot be written.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "child_process.hpp"
#include "dialogue.hpp"
#include "process.hpp"

namespace {

// Through a pipe the typed line is not echoed and every row ends with CR LF.
std::string expected_output(const std::string& title, const std::vector<std::string>& listed,
                            const std::string& trials, const std::string& n) {
  std::string out;
  for (const std::string& row : dialogue_rows(title, "", listed, trials, n)) out += row + "\r\n";
  return out;
}

struct PipeCase {
  const char* name;
  const char* program;
  const char* title;
  std::string input;
  std::vector<std::string> listed;
  std::string trials;
  std::string n;
};

class PipedDialogue : public testing::TestWithParam<PipeCase> {};

TEST_P(PipedDialogue, WritesExactlyTheDialogueAndReport) {
  const PipeCase& c = GetParam();
  const ProcessResult result = run_piped(c.program, c.input);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.output, expected_output(c.title, c.listed, c.trials, c.n));
}

INSTANTIATE_TEST_SUITE_P(
    BothPrograms, PipedDialogue,
    testing::Values(
        PipeCase{"zorvy_10", ZORVY_PATH, " Zorvy Numbers", "10\n", {"1", "5", "23"}, "15", "4"},
        PipeCase{"zorvy_0", ZORVY_PATH, " Zorvy Numbers", "0\n", {"1"}, "2", "2"},
        PipeCase{"zorvy_million_crlf", ZORVY_PATH, " Zorvy Numbers", "1000000\r\n", {"1", "5", "23", "719", "5039"}, "2959", "10"},
        // Pass 66's candidate 2^64 - 1 lies above the bound: one more trial, n = 66.
        PipeCase{"zorvy_minus_5", ZORVY_PATH, " Zorvy Numbers", "-5\n",
                 {"1", "5", "23", "719", "5039", "479001599", "87178291199"}, "43828654281", "66"},
        PipeCase{"plemo_10", PLEMO_PATH, " Plemo Numbers", "10\n", {"3", "7"}, "9", "4"},
        PipeCase{"plemo_1000", PLEMO_PATH, " Plemo Numbers", "1000\n", {"3", "7"}, "95", "7"},
        // No line at all: the bound is 0 and the end of input ends the final wait.
        PipeCase{"zorvy_no_input", ZORVY_PATH, " Zorvy Numbers", "", {"1"}, "2", "2"},
        // Only the first item counts; the rest of the line and further bytes are keys.
        PipeCase{"plemo_first_item_only", PLEMO_PATH, " Plemo Numbers", "  3, 99 junk\nkey",
                 {"3", "7"}, "5", "3"},
        PipeCase{"plemo_input_ending_inside_the_line", PLEMO_PATH, " Plemo Numbers", "3", {"3", "7"}, "5", "3"},
        // The largest bound: the search ends at its last pass.
        PipeCase{"zorvy_largest", ZORVY_PATH, " Zorvy Numbers", "18446744073709551615\n",
                 {"1", "5", "23", "719", "5039", "479001599", "87178291199"}, "43828654280", "65"},
        // Its first 67 digits saturate the bound.
        PipeCase{"zorvy_one_megabyte_line", ZORVY_PATH, " Zorvy Numbers", std::string(1 << 20, '7') + "\n",
                 {"1", "5", "23", "719", "5039", "479001599", "87178291199"}, "43828654280", "65"},
        PipeCase{"plemo_largest", PLEMO_PATH, " Plemo Numbers", "18446744073709551615\n",
                 {"3", "7", "39916801"}, "19959498", "65"}),
    [](const testing::TestParamInfo<PipeCase>& info) { return std::string(info.param.name); });

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

}  // namespace
