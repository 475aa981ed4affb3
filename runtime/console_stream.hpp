#pragma once
// What the text console takes from a stream and what it says when its output cannot be
// written, the same on every platform.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The most of a line that is kept: far more than any item needs. The rest is read and dropped,
// so a line without an end takes no more memory than that.
inline constexpr size_t kLineKept = size_t{1} << 20;

// The most bytes one key poll takes, so that input that is always ready still lets the caller
// on.
inline constexpr int kPollBytes = 4096;

// Standard input when it is a stream, read in blocks; the line reader and the key poll share
// what is left over.
struct StreamBlock {
  uint8_t bytes[4096];
  size_t start = 0;
  size_t end = 0;
  bool ended = false;
};

// The line on standard error when the output cannot be written, line end included.
inline std::string output_failure_message(std::string_view program, std::string_view reason) {
  return std::string(program) + ": cannot write the output: " + std::string(reason) + "\n";
}
