#pragma once
// The print statements: strings and 64-bit numbers on a channel, ended as the print mask says.
#include <cstddef>
#include <cstdint>

#include "console/channel.hpp"
#include "console/temp_string.hpp"

// Writes the string's bytes, then its line end; always releases the descriptor and returns
// the release's result (0 when it went back to the temporary pool).
int32_t print_string(int32_t file_number, StringDescriptor* descriptor, int32_t mask);

// A blank before non-negative values, a minus sign before negative ones, then the digits;
// the number and its line end go out in one write.
int32_t print_int64(int32_t file_number, int64_t value, int32_t mask);

// The digits alone; the number and its line end go out in one write.
int32_t print_uint64(int32_t file_number, uint64_t value, int32_t mask);

// A string literal through a temporary descriptor.
template <size_t N>
int32_t print_literal(const char (&text)[N], int32_t mask) {
  return print_string(0, temp_string_from_literal(text, N - 1), mask);
}
