#pragma once
// The input statement: asks for one line and keeps it as the input buffer for the item reads.
#include <cstdint>

#include "console/temp_string.hpp"

// Prints the prompt (may be null) and, with question_mark on, "? "; takes the line from the
// screen's line reader; with line_end on ends the screen line. Releases the prompt.
void input_line_statement(StringDescriptor* prompt, int32_t question_mark, int32_t line_end);
