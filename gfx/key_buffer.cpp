#include "gfx/key_buffer.hpp"

#include "gfx/screen.hpp"
#include "runtime/key_ring.hpp"
#include "runtime/keyed_sleep.hpp"

namespace {

constexpr int32_t kGetkeyPollMs = 20;

KeyRing<16> key_buffer;

}  // namespace

void key_push(int32_t code) { key_buffer.push(code); }

int32_t key_read() {
  screen_lock();
  int32_t code = 0;
  if (!key_buffer.empty()) {
    code = key_buffer.oldest();
    key_buffer.drop_oldest();
  }
  key_buffer.settle_key_arrived();
  screen_unlock_unmarked();
  return code;
}

bool take_key_arrived() {
  screen_lock();
  const bool arrived = key_buffer.take_key_arrived();
  screen_unlock_unmarked();
  return arrived;
}

int32_t gfx_key_hit() {
  screen_lock();
  const int32_t hit = key_buffer.empty() ? 0 : 1;
  screen_unlock_unmarked();
  return hit;
}

int32_t gfx_inkey_code() {
  if (current_screen() == nullptr) return -1;
  const int32_t code = key_read();
  return code == 0 ? -1 : code;
}

int32_t gfx_getkey() {
  while (current_screen() != nullptr) {
    const int32_t code = key_read();
    if (code != 0) return code;
    pause_for_keys(kGetkeyPollMs);
  }
  return 0;
}

void gfx_sleep(int32_t milliseconds) { keyed_sleep(milliseconds, take_key_arrived, false); }
