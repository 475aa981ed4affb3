#include "console/print.hpp"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr size_t kNumberBufferSize = 80;

bool ends_line(int32_t mask) { return (mask & (PRINT_NEWLINE | PRINT_NEWLINE_END)) != 0; }

// Writes the formatted number, then moves to the next zone when bit 2 asks for it, even after
// a line end.
int32_t write_number(int32_t file_number, const char* text, int length, int32_t mask) {
  PrintChannel* channel = channel_for(file_number);
  const int32_t result =
      channel_write(channel, reinterpret_cast<const uint8_t*>(text), static_cast<uint64_t>(length));
  if (mask & PRINT_NEXT_ZONE) advance_print_zone(channel);
  return result;
}

const char* number_ending(int32_t mask) {
  static constexpr const char* kEndings[] = {"", "\r\n", " ", " \r\n"};
  return kEndings[((mask & PRINT_TRAILING_BLANK) ? 2 : 0) + (ends_line(mask) ? 1 : 0)];
}

}  // namespace

int32_t print_string(int32_t file_number, StringDescriptor* descriptor, int32_t mask) {
  PrintChannel* channel = channel_for(file_number);
  if (descriptor != nullptr && descriptor->data != nullptr && string_length(*descriptor) != 0) {
    channel_write(channel, descriptor->data, string_length(*descriptor));
  }
  print_line_end(channel, mask);
  return release_temp_string(descriptor);
}

int32_t print_int64(int32_t file_number, int64_t value, int32_t mask) {
  char text[kNumberBufferSize];
  const int length = std::snprintf(text, sizeof text, "% " PRId64 "%s", value, number_ending(mask));
  return write_number(file_number, text, length, mask);
}

int32_t print_uint64(int32_t file_number, uint64_t value, int32_t mask) {
  char text[kNumberBufferSize];
  const int length = std::snprintf(text, sizeof text, "%" PRIu64 "%s", value, number_ending(mask));
  return write_number(file_number, text, length, mask);
}
