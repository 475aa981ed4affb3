#include "runtime/platform.hpp"

#include <emscripten.h>

#include <cstdlib>

#include "runtime/runtime_state.hpp"

// A wait gives the browser its turn: the program's stack is put aside until the time is up, so
// the page keeps showing, taking keys and running its animation frames meanwhile.
void sleep_milliseconds(int32_t milliseconds) { emscripten_sleep(static_cast<unsigned>(milliseconds)); }

const char kPathSeparators[] = "/";

// A page has no executable file: the program's name is the one its page runs it under.
std::string executable_path() {
  const RuntimeState& state = runtime_state();
  return state.argument_count > 0 && state.argument_vector[0] != nullptr ? state.argument_vector[0] : "";
}

void* allocate_aligned(size_t alignment, size_t size) { return std::aligned_alloc(alignment, size); }

void free_aligned(void* memory) { std::free(memory); }
