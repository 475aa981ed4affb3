#pragma once
// What the text console takes from a stream and what it says when its output cannot be
// written, the same on every platform.
#include <cstddef>
#include <string>
#include <string_view>

// The most of a line that is kept: far more than any item needs. The rest is read and dropped,
// so a line without an end takes no more memory than that.
inline constexpr size_t kLineKept = size_t{1} << 20;

// The most bytes one key poll takes, so that input that is always ready still lets the caller
// on.
inline constexpr int kPollBytes = 4096;

// The line on standard error when the output cannot be written, line end included.
inline std::string output_failure_message(std::string_view program, std::string_view reason) {
  return std::string(program) + ": cannot write the output: " + std::string(reason) + "\n";
}
