#pragma once
// The input buffer: the last line the input statement took, and where the next item starts.
#include <cstdint>
#include <string>

struct InputContext {
  std::string input_buffer;
  int32_t read_position;  // index of the next byte to read
};

// Created empty on first use; released when the program ends.
InputContext& input_context();

// End mark of input_next_byte, unlike every byte value.
inline constexpr int kInputEnd = -1;

// The byte at the read position (0 to 255), advancing it; kInputEnd at the end of the buffer.
int input_next_byte();

// Steps the read position back one byte, so the byte just read is read again.
void input_unread_byte();
