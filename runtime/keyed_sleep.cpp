#include "runtime/keyed_sleep.hpp"

namespace {

constexpr int32_t kKeyPollMs = 50;

}  // namespace

void keyed_sleep(int32_t ms, int32_t (*take_key_arrived)(), bool zero_sleeps) {
  if (ms == -1) {
    while (take_key_arrived() != 1) pause_for_keys(kKeyPollMs);
  } else if (ms >= 100) {
    do {
      if (take_key_arrived() == 1) return;
      sleep_milliseconds(kKeyPollMs);
      ms -= kKeyPollMs;
    } while (ms > kKeyPollMs);
    sleep_milliseconds(ms);
  } else if (ms >= 1 || (ms == 0 && zero_sleeps)) {
    sleep_milliseconds(ms);
  }
}
