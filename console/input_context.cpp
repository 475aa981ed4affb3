#include "console/input_context.hpp"

#include "runtime/exit_actions.hpp"

namespace {

InputContext* context = nullptr;

void release_input_context() {
  delete context;
  context = nullptr;
}

}  // namespace

InputContext& input_context() {
  if (context == nullptr) {
    context = new InputContext{};
    at_program_exit(ExitStage::RELEASES, release_input_context);
  }
  return *context;
}

int input_next_byte() {
  InputContext& c = input_context();
  if (static_cast<size_t>(c.read_position) >= c.input_buffer.size()) return kInputEnd;
  return static_cast<uint8_t>(c.input_buffer[static_cast<size_t>(c.read_position++)]);
}

void input_unread_byte() {
  InputContext& c = input_context();
  if (c.read_position > 0) --c.read_position;
}
