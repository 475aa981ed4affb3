#pragma once
// Screen modes: opening a graphics screen, and closing it.
#include <cstdint>

// Opens the screen of a mode (1 to 21) from the mode table; mode 0 closes an open one and
// clears the text console. The depth argument counts only for modes above 13 (8, 15, 16, 24
// or 32); a page count of 0 or less takes the mode's own.
// Returns 0 on success, 1 for a mode that does not exist or when no presentation opens (the
// text console then stays in use); the result is also the thread's last error number.
int32_t screen_statement(int32_t mode, int32_t depth, int32_t page_count, int32_t flags,
                         int32_t refresh_rate);

// Closes an open screen without touching the text console; nothing when none is open.
void close_screen();
