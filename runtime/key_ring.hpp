#pragma once
// A ring of key codes: keys are read in the order they were pushed; a push into a full ring
// drops the oldest key. One slot always stays free, so N slots hold N - 1 keys.
#include <cstdint>

template <int N>
struct KeyRing {
  int32_t codes[N];
  int64_t read_index;
  int64_t write_index;
  bool key_arrived;  // set by every push; cleared by reads and by taking the flag

  bool empty() const { return read_index == write_index; }

  void push(int32_t code) {
    codes[write_index] = code;
    const int64_t next = (write_index + 1) % N;
    if (next == read_index) read_index = (next + 1) % N;
    write_index = next;
    key_arrived = true;
  }

  // The oldest key, left in place; the ring must not be empty.
  int32_t& oldest() { return codes[read_index]; }

  void drop_oldest() { read_index = (read_index + 1) % N; }

  // After a read the flag stays set while keys wait: they came after the key just read.
  void settle_key_arrived() { key_arrived = !empty(); }

  // The text console's key read: the oldest key, or -1 with none. An extended key read as not
  // extended gives 255 and leaves its code byte for the next read. A key taken leaves the ring;
  // poll then brings in what came meanwhile, so the flag settles on every key still waiting.
  int32_t read(bool extended, bool take, void (*poll)()) {
    if (empty()) return -1;
    int32_t& slot = oldest();
    const int32_t code = slot;
    if (!extended && code > 255) {
      slot = code >> 8;
      return 255;
    }
    if (take) {
      drop_oldest();
      poll();
      settle_key_arrived();
    }
    return code;
  }

  bool take_key_arrived() {
    const bool arrived = key_arrived;
    key_arrived = false;
    return arrived;
  }
};
