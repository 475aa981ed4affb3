#pragma once
// The text console's input, read from standard input: a terminal (keys decoded from its bytes
// and escape sequences) or a stream such as a pipe (each byte a key).
#include <cstdint>
#include <string>

// Whether both standard input and output are the console, where the line editor runs.
bool console_edits_lines();

// One line from a stream, or from a terminal with its own line editing: up to a line feed (a
// carriage return before it dropped) or the end of input.
std::string console_read_line();

// The console key buffer: 512 slots, at most 511 keys, the oldest dropped when full.
void console_key_push(int32_t code);

// The close request that the end of input makes, pushed once however often it is reported.
void console_push_end_of_input();

// Each platform's part. The poll reads what standard input holds without waiting and pushes
// its keys; the end of input (a closed terminal or stream) and a hang-up or termination
// signal push one close request. The other tells whether input has ended, as polled last.
void console_poll_input();
bool console_stream_ended();

// The oldest key after a poll, or -1 when there is none. Not extended, a key above 255 is
// read as two keys: 255 now (nothing removed), then its code byte. With take, the key is
// removed and the key-arrived flag cleared.
int32_t console_key_read(bool extended, bool take);

// Polls, then gives the key-arrived flag and clears it; always true once input has ended.
bool console_take_key_arrived();

// 1 once standard input has ended: no key can come any more.
int32_t console_input_ended();

// The key statements on the text console.
int32_t console_key_hit();
int32_t console_inkey_code();
int32_t console_getkey();
void console_sleep(int32_t milliseconds);

// SIGHUP (the terminal closed) and SIGTERM: a close request for the console, handled.
void console_ctrl_handler(int signal_number);
