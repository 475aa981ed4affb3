#include "runtime/keyed_sleep.hpp"

namespace {

// How often a sleep looks for a key that arrived.
constexpr int32_t kSleepPollMs = 50;

}  // namespace

void keyed_sleep(int32_t ms, bool (*take_key_arrived)(), bool zero_sleeps) {
  if (ms == -1) {
    while (!take_key_arrived()) pause_for_keys(kSleepPollMs);
  } else if (ms >= 100) {
    do {
      if (take_key_arrived()) return;
      sleep_milliseconds(kSleepPollMs);
      ms -= kSleepPollMs;
    } while (ms > kSleepPollMs);
    sleep_milliseconds(ms);
  } else if (ms >= 1 || (ms == 0 && zero_sleeps)) {
    sleep_milliseconds(ms);
  }
}
