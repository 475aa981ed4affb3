#include "console/channel.hpp"

#include <cstring>

#include "console/screen_statements.hpp"
#include "runtime/runtime_state.hpp"

namespace {

constexpr uint8_t kLineEnd[] = {'\r', '\n'};

// Hands the bytes to the open screen's text output, or to the text console.
int32_t screen_write(PrintChannel&, const uint8_t* bytes, uint64_t length) {
  screen_text_output(bytes, length, 0);
  return 0;
}

}  // namespace

PrintChannel& screen_channel() {
  static PrintChannel channel = [] {
    int32_t column = 1, columns = 0;
    screen_cursor_cell(&column, nullptr);
    screen_text_size(&columns, nullptr);
    return PrintChannel{column - 1, static_cast<uint32_t>(columns), screen_write};
  }();
  return channel;
}

PrintChannel* channel_for(int32_t file_number) {
  return file_number == 0 ? &screen_channel() : nullptr;
}

void reset_screen_channel(int32_t column, uint32_t width) {
  PrintChannel& channel = screen_channel();
  channel.column = column;
  channel.width = width;
}

int32_t channel_write(PrintChannel* channel, const uint8_t* bytes, uint64_t length) {
  int32_t result = 1;
  if (channel != nullptr && channel->write != nullptr) {
    result = channel->write(*channel, bytes, length);
    if (result == 0) {
      uint64_t k = length;
      while (k > 0 && bytes[k - 1] != '\r' && bytes[k - 1] != '\n') --k;
      if (k > 0) {
        channel->column = static_cast<int32_t>(length - k);
      } else {
        channel->column += static_cast<int32_t>(length);
      }
      if (channel->width != 0) {
        channel->column = static_cast<int32_t>(static_cast<uint32_t>(channel->column) %
                                               channel->width);
      }
    }
  }
  set_last_error_number(result);
  return result;
}

void advance_print_zone(PrintChannel* channel) {
  if (channel == nullptr) return;
  const int32_t c = channel->column;
  int32_t target = (c + kPrintZoneWidth) / kPrintZoneWidth * kPrintZoneWidth + 1;
  if (channel->width != 0 && static_cast<uint32_t>(target) > channel->width) target = 1;
  if (c + 1 >= target) {
    channel_write(channel, kLineEnd, 2);
    return;
  }
  uint8_t blanks[kPrintZoneWidth];
  std::memset(blanks, ' ', sizeof blanks);
  channel_write(channel, blanks, static_cast<uint64_t>(target - c - 1));
}

void print_line_end(PrintChannel* channel, int32_t mask) {
  if (mask & (PRINT_NEWLINE | PRINT_NEWLINE_END)) {
    channel_write(channel, kLineEnd, 2);
  } else if (mask & PRINT_NEXT_ZONE) {
    advance_print_zone(channel);
  }
}
