#pragma once
// Output channels addressed by file numbers, and the screen channel (file number 0) that the
// print statements write to.
#include <cstdint>

struct PrintChannel;
using ChannelWriteOp = int32_t (*)(PrintChannel& channel, const uint8_t* bytes, uint64_t length);

struct PrintChannel {
  int32_t column;   // characters written since the last CR or LF, folded by width
  uint32_t width;   // the line width that folds column; 0: no limit
  ChannelWriteOp write;
};

// Bits of a print mask: how a print statement ends.
inline constexpr int32_t PRINT_NEWLINE = 1;
inline constexpr int32_t PRINT_NEXT_ZONE = 2;
inline constexpr int32_t PRINT_NEWLINE_END = 4;
inline constexpr int32_t PRINT_TRAILING_BLANK = 16;

inline constexpr int32_t kPrintZoneWidth = 14;

// The channel of a file number; null for the numbers that address none (only 0 exists here).
PrintChannel* channel_for(int32_t file_number);

// The screen's channel, created on first use with the current screen's cursor column and width.
PrintChannel& screen_channel();

// Sets the screen channel's column and width, as a new screen or a cursor placement does.
void reset_screen_channel(int32_t column, uint32_t width);

// Writes through the channel's operation and follows its column. Returns the operation's
// result, or 1 when there is no channel; the result is also the thread's last error number.
int32_t channel_write(PrintChannel* channel, const uint8_t* bytes, uint64_t length);

// Moves to the next 14-column print zone with blanks, or ends the line past the width.
void advance_print_zone(PrintChannel* channel);

// Ends a statement as its mask says: CR LF for bits 1 or 4, else the next zone for bit 2.
void print_line_end(PrintChannel* channel, int32_t mask);
