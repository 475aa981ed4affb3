#pragma once
// The process-wide runtime state, its start-up before the program's first statement, and the
// end statement.
#include <cstdint>

#include "runtime/device_hooks.hpp"

struct RuntimeState {
  int32_t argument_count;
  char** argument_vector;
  DeviceHooks hooks;
  EndHook end_hook;
};

RuntimeState& runtime_state();

// The calling thread's last error number: 0, or the code the last statement reported.
int32_t last_error_number();
void set_last_error_number(int32_t code);

// Runs once, before the program's first statement, through static initialisation: zeroes the
// state, selects round-to-nearest arithmetic and the user's character-classification locale.
void runtime_startup();

// The program's first statement: records the command line.
void runtime_init(int32_t argument_count, char** argument_vector);

// Ends the program: runs the end hook (closing an open screen), then exits with the code.
[[noreturn]] void end_statement(int32_t exit_code);
