// A program for the window tests: opens mode 1 in a window, shows a line of text, then writes
// the code of every key it reads to standard output, one line each. The key b makes it busy
// for a while before it waits for a key and reports that the wait ended; q returns from
// main with the screen still open.
#include <cstdio>

#include "console/key_statements.hpp"
#include "console/print.hpp"
#include "console/screen_statements.hpp"
#include "gfx/screen_mode.hpp"
#include "runtime/keyed_sleep.hpp"
#include "runtime/runtime_state.hpp"

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line reaches the test as it is written
  runtime_init(argc, argv);
  if (screen_statement(1, 8, 0, 0, 0) != 0) return 2;  // the test waits for "ready" in vain
  color_statement(1, 5, 0);
  print_literal(" Probe", PRINT_NEWLINE);
  std::printf("ready\n");
  for (;;) {
    const int32_t code = getkey_statement();
    std::printf("%d\n", code);
    if (code == 'q') break;
    if (code == 'b') {
      sleep_milliseconds(600);
      sleep_statement(-1);
      std::printf("waited\n");
    }
  }
  return 0;  // without the end statement: the screen still closes at exit
}
