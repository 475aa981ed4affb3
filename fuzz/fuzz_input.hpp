#pragma once
// The fuzzer's bytes, taken one at a time; 0 once they run out.
#include <cstddef>
#include <cstdint>

struct FuzzInput {
  const uint8_t* data;
  size_t size;

  uint8_t take() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};
