#include "app/program_main.hpp"

#include <cstring>

#include "app/search.hpp"
#include "app/trial_count.hpp"
#include "console/input_item.hpp"
#include "console/input_statement.hpp"
#include "console/key_statements.hpp"
#include "console/print.hpp"
#include "console/screen_statements.hpp"
#include "gfx/screen_mode.hpp"
#include "runtime/runtime_state.hpp"
#include "runtime/text_console.hpp"

void run_dialogue(const ProgramVariant& variant) {
  clear_screen_statement(CLEAR_DEFAULT);
  screen_statement(1, 8, 0, 0, 0);
  color_statement(1, 5, 0);
  print_literal("", PRINT_NEWLINE);
  print_string(0, temp_string_from_literal(variant.title, std::strlen(variant.title)),
               PRINT_NEWLINE);
  print_literal("", PRINT_NEWLINE);
  print_literal(" Zadej do jakeho cisla pocitat", PRINT_NEWLINE);
  print_literal("", PRINT_NEWLINE);
  input_line_statement(temp_string_from_literal("", 0), -1, -1);
  uint64_t limit = 0;
  input_item_u64(&limit);
  print_literal("", PRINT_NEWLINE);
  search_factorial_primes(limit, variant.offset, counted_trials);
}

void program_main(int32_t argument_count, char** argument_vector, const ProgramVariant& variant) {
  runtime_init(argument_count, argument_vector);
  run_dialogue(variant);
  sleep_statement(-1);
  end_statement(0);
}
