#include "runtime/platform.hpp"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/runtime_state.hpp"
#include "runtime/web/web_platform.hpp"

// A wait gives the browser its turn: the program's stack is put aside until the time is up, so
// the page keeps showing, taking keys and running its animation frames meanwhile.
void sleep_milliseconds(int32_t milliseconds) { emscripten_sleep(static_cast<unsigned>(milliseconds)); }

// The page's side of a pause for keys.
extern "C" {
void page_pause_for_keys(int milliseconds);
void page_key_arrived();
}

namespace {

constexpr int kLongestKeyPauseMs = 1000;

}  // namespace

// The browser hands over keys only while the program waits: a pause needs no poll's interval.
void pause_for_keys(int32_t) { page_pause_for_keys(kLongestKeyPauseMs); }

void web_key_arrived() { page_key_arrived(); }

const char kPathSeparators[] = "/";

// A page has no executable file: the program's name is the one its page runs it under.
std::string executable_path() {
  const RuntimeState& state = runtime_state();
  return state.argument_count > 0 && state.argument_vector[0] != nullptr ? state.argument_vector[0] : "";
}

void* allocate_aligned(size_t alignment, size_t size) { return std::aligned_alloc(alignment, size); }

void free_aligned(void* memory) { std::free(memory); }

void fatal_exit(const char* message) {
  std::fputs(message, stderr);
  std::_Exit(1);
}
