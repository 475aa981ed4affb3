#pragma once
// What the fuzz targets share: the stop on a broken invariant, and the fuzzer's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>

// Stops the run on a broken invariant: what broke, and the value or text it broke on.
template <typename About>
[[noreturn]] void fail(const char* what, const About& about) {
  std::cerr << what << ": " << about << "\n";
  std::abort();
}

// The fuzzer's bytes, taken one at a time; 0 once they run out.
struct FuzzInput {
  const uint8_t* data;
  size_t size;

  uint8_t take() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};
