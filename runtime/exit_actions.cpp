#include "runtime/exit_actions.hpp"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>

#include "runtime/platform.hpp"
#include "runtime/program_name.hpp"

namespace {

struct ExitEntry {
  ExitStage stage;
  ExitAction action;
};

// Each action is registered once; this leaves room to spare.
constexpr int kCapacity = 16;

// Plain data behind a spin lock: nothing to construct or destroy, so it serves from static
// initialisation to the last exit handler, whichever thread calls exit.
ExitEntry entries[kCapacity];
int entry_count = 0;
std::atomic_flag busy = ATOMIC_FLAG_INIT;

void acquire() {
  while (busy.test_and_set(std::memory_order_acquire)) {
  }
}

void release() { busy.clear(std::memory_order_release); }

// Removes the action to run next, the latest of the earliest stage; null when none is left.
ExitAction take_next_action() {
  acquire();
  int next = -1;
  for (int i = 0; i < entry_count; ++i) {
    if (next < 0 || entries[i].stage <= entries[next].stage) next = i;
  }
  ExitAction action = nullptr;
  if (next >= 0) {
    action = entries[next].action;
    std::copy(entries + next + 1, entries + entry_count, entries + next);
    --entry_count;
  }
  release();
  return action;
}

}  // namespace

// Runs each action without the lock, so that an action may register another.
void runtime_shutdown() {
  while (ExitAction action = take_next_action()) action();
}

void at_program_exit(ExitStage stage, ExitAction action) {
  acquire();
  const bool room = entry_count < kCapacity;
  if (room) entries[entry_count++] = {stage, action};
  release();
  // runtime_shutdown goes to std::atexit again with every action: its first run, the one of
  // the latest action, empties the registry before the destructor of any static object that an
  // action registered so far may use; the runs after it find the registry empty.
  if (!room || std::atexit(runtime_shutdown) != 0) {
    fatal_exit((std::string(program_name()) + ": too many exit-time actions\n").c_str());
  }
}
