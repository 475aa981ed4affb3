#include "runtime/runtime_state.hpp"

#include <cfenv>
#include <clocale>
#include <cstdlib>

namespace {

RuntimeState state;

// Static initialisation runs the start-up before main.
[[maybe_unused]] const bool started = [] {
  runtime_startup();
  return true;
}();

}  // namespace

RuntimeState& runtime_state() { return state; }

namespace {

thread_local int32_t last_error = 0;

}  // namespace

int32_t last_error_number() { return last_error; }

void set_last_error_number(int32_t code) { last_error = code; }

DeviceHooks& device_hooks() { return state.hooks; }

void set_end_hook(EndHook hook) { state.end_hook = hook; }

void runtime_startup() {
  state = RuntimeState{};
  // Doubles on this machine always carry a 53-bit mantissa; only the rounding is chosen.
  std::fesetround(FE_TONEAREST);
  std::setlocale(LC_CTYPE, "");
}

void runtime_init(int32_t argument_count, char** argument_vector) {
  state.argument_count = argument_count;
  state.argument_vector = argument_vector;
}

void end_statement(int32_t exit_code) {
  if (state.end_hook != nullptr) state.end_hook(exit_code);
  std::exit(exit_code);
}
