#pragma once
// The text console's input: the line of the input statement and the keys of the key wait,
// both read from standard input (a terminal or a stream such as a pipe).
#include <cstdint>
#include <string>

// One line: up to a line feed (a carriage return before it dropped) or the end of input. On a
// terminal the terminal's own line editing and echo serve.
std::string console_read_line();

// The console key buffer: 512 slots, at most 511 keys, the oldest dropped when full.
void console_key_push(int32_t code);

// Reads what standard input holds without waiting and pushes its keys. A stream pushes each
// byte as a key; its end, or a terminal that went away, pushes one close request.
void console_poll_input();

// Polls, then gives the key-arrived flag and clears it.
int32_t console_take_key_arrived();

// The sleep statement on the text console.
void console_sleep(int32_t milliseconds);
