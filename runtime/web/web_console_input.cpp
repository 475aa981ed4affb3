// A page has no standard input: the text console's input has ended before it begins. A line
// reads as empty, and the end counts as one close request, as at the end of a pipe.
#include "runtime/console_input.hpp"

bool console_edits_lines() { return false; }

std::string console_read_line() { return {}; }

void console_poll_input() { console_push_end_of_input(); }

bool console_stream_ended() { return true; }

void console_ctrl_handler(int) {}
