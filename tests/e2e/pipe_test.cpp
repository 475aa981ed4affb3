// Both programs through pipes and files: the exact bytes of the dialogue and the report, and
// input that never ends and output that cannot be written.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <tuple>

#include "child_process.hpp"
#include "dialogue.hpp"

namespace {

using namespace test_support;

// Through a pipe the typed line is not echoed and every row ends with CR LF. Input that never
// ends or is always ready, and output that cannot be written, go by file: the program's own
// standard output then carries nothing.
TEST(Streams, ThePipedDialogueIsExactAndFaultsEndCleanly) {
  const std::string endless = temporary_file("7\n");  // then a terabyte of zeros
  ASSERT_EQ(truncate(endless.c_str(), 1LL << 40), 0);
  const struct {
    const char* program;
    std::string input = "";  // piped in, without redirect
    std::vector<std::string> listed = {};
    std::string trials = "", n = "", redirect = "";
    int exit_code = 0;  // 128 + SIGTERM: still running after 0.3 s, and stopped
    const char* says = "";
  } kCases[] = {
      {ZORVY_PATH, "1000000\r\n", {"1", "5", "23", "719", "5039"}, "2959", "10"},
      {ZORVY_PATH, "-5\n", kAllZorvy, "43828654281", "66"},  // pass 66's candidate 2^64 - 1 lies above it
      // 67 digits saturate: the bound 2^64 - 1 ends the search at the last pass.
      {ZORVY_PATH, std::string(1 << 20, '7') + "\n", kAllZorvy, "43828654280", "65"},
      {ZORVY_PATH, "", {"1"}, "2", "2"},  // no line: the bound is 0, the end of input ends the final wait
      {PLEMO_PATH, "  3, 99 junk\nkey", {"3", "7"}, "5", "3"},  // only the first item; the rest are keys
      {PLEMO_PATH, "3", {"3", "7"}, "5", "3"},  // input ending inside the line
      {PLEMO_PATH, "18446744073709551615\n", {"3", "7", "39916801"}, "19959498", "65"},
      {.program = ZORVY_PATH, .redirect = "< /dev/zero > /dev/null", .exit_code = 128 + SIGTERM},
      {.program = ZORVY_PATH, .redirect = "< " + endless + " > /dev/null"},
      {.program = PLEMO_PATH, .redirect = "< " + endless + " > /dev/full", .exit_code = 1,
       .says = "plemo: cannot write the output: No space left on device\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.redirect + c.input.substr(0, 30));
    const std::string input = temporary_file(c.input);
    ChildProcess program("sh", {"-c", c.redirect.empty() ? "cat \"$1\" | exec env -u DISPLAY -u WAYLAND_DISPLAY \"$0\""
                                                         : "exec env -u DISPLAY -u WAYLAND_DISPLAY \"$0\" " + c.redirect, c.program, input});
    const char* title = c.program == std::string(ZORVY_PATH) ? " Zorvy Numbers" : " Plemo Numbers";
    EXPECT_EQ(program.read_all(), c.redirect.empty() ? crlf_lines(dialogue_rows(title, "", c.listed, c.trials, c.n)) : "");
    int exit_code = program.wait_exit(c.exit_code == 128 + SIGTERM ? 300 : 5000);
    if (exit_code == -1) {
      EXPECT_LT(peak_memory_kib(program.pid()), 64 << 10);
      kill(program.pid(), SIGTERM);
      exit_code = program.wait_exit(2000);
    }
    EXPECT_EQ((std::tuple{exit_code, program.errors()}), (std::tuple{c.exit_code, std::string(c.says)}));
    unlink(input.c_str());
  }
  unlink(endless.c_str());
}

}  // namespace
