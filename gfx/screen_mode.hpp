#pragma once
// Screen modes: opening a graphics screen and closing it.
#include <cstdint>

// Opens the graphics screen of a mode. Returns 0 on success, 1 for a bad argument or when no
// presentation can be opened; the text console then stays in use.
int32_t screen_statement(int32_t mode, int32_t depth, int32_t page_count, int32_t flags,
                         int32_t refresh_rate);
