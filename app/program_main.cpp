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

namespace {

// The dialogue's screen: 320 x 200 pixels, 40 x 25 text cells.
constexpr int32_t kDialogueMode = 1;

// Two of the 16 text colours. A terminal draws the text blue on magenta; mode 1 makes the
// foreground its background colour and takes the background's palette, whose text colour
// is light grey.
constexpr int32_t kBlue = 1;
constexpr int32_t kMagenta = 5;

}  // namespace

void run_dialogue(const ProgramVariant& variant) {
  clear_screen_statement(CLEAR_DEFAULT);
  screen_statement(kDialogueMode, /*depth=*/8, /*page_count=*/0, /*flags=*/0, /*refresh_rate=*/0);
  color_statement(kBlue, kMagenta, /*flags=*/0);
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
