#include "console/input_statement.hpp"

#include "console/channel.hpp"
#include "console/input_context.hpp"
#include "console/line_editor.hpp"
#include "console/print.hpp"
#include "console/screen_statements.hpp"
#include "runtime/console_input.hpp"
#include "runtime/device_hooks.hpp"

namespace {

// On a console the line editor runs with the terminal's own cursor; a stream gives its next
// line, and so does a terminal whose output goes elsewhere (its own echo then shows the line).
std::string read_console_line() {
  if (console_edits_lines()) return edit_input_line(false);
  return console_read_line();
}

}  // namespace

void input_line_statement(StringDescriptor* prompt, int32_t question_mark, int32_t line_end) {
  InputContext& context = input_context();
  context.input_buffer.clear();
  context.input_buffer.shrink_to_fit();
  context.read_position = 0;
  screen_text_output(nullptr, 0, TEXT_OUTPUT_FORCE);
  if (prompt != nullptr) {
    print_string(0, prompt, 0);
    if (question_mark) {
      static const uint8_t kQuestion[] = {'?', ' '};
      channel_write(&screen_channel(), kQuestion, sizeof kQuestion);
    }
  }
  std::string line = device_hooks().read_line != nullptr ? device_hooks().read_line()
                                                         : read_console_line();
  if (line_end) print_line_end(&screen_channel(), PRINT_NEWLINE);
  context.input_buffer = std::move(line);
}
