// What the programs do when their input or terminal misbehaves: a huge line, a terminal that
// changes size, termination signals, input that ends at any moment.
#include <gtest/gtest.h>

#include <signal.h>

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

TEST(InputFaults, InputEndingInsideTheLineTakesWhatCame) {
  const ProcessResult result = run_piped(PLEMO_PATH, "3");
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_NE(result.output.find(" 3\r\n 7\r\n"), std::string::npos);
}

TEST(TerminalFaults, ResizingWhileTypingKeepsTheProgramWorking) {
  const ProcessResult result = run_on_terminal(
      ZORVY_PATH, {{"? ", "12"}, {"", "", 100, false, 0, 15, 30}, {"", "3\r", 100}, {"faktorial:", "x"}});
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0);
  // 123 was the bound; the report's number follows its label after a cursor placement.
  const size_t label = result.output.find("faktorial: ");
  ASSERT_NE(label, std::string::npos);
  EXPECT_NE(result.output.find(" 6", label), std::string::npos);
}

TEST(TerminalFaults, TerminationEndsTheProgramAtEveryStage) {
  struct Stage {
    const char* name;
    std::vector<TerminalStep> steps;
  };
  const Stage stages[] = {
      {"typing", {{"? ", "12"}, {"", "", 100, false, SIGTERM}}},
      {"final wait", {{"? ", "7\r"}, {"faktorial:", "", 0, false, SIGTERM}}},
  };
  for (const Stage& stage : stages) {
    const ProcessResult result = run_on_terminal(ZORVY_PATH, stage.steps, 24, 80, 5000);
    EXPECT_FALSE(result.timed_out) << stage.name;
    EXPECT_EQ(result.exit_code, 0) << stage.name;
    EXPECT_EQ(result.output.substr(result.output.rfind("\x1b[")), "\x1b[0m") << stage.name;
  }
}

}  // namespace
