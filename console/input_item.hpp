#pragma once
// Items of the input buffer and their conversion to numbers. No text is rejected: every item,
// empty or not, gives a number.
#include <cstdint>

// The longest item; the rest of a longer one stays in the buffer for the next item.
inline constexpr int32_t kItemLimit = 67;

// Splits the next item off the input buffer into item (room for limit + 1 bytes, zero
// terminated) and returns its length. Blanks before it are skipped; a blank, comma or line end
// ends it; double quotes keep blanks and commas in; float_mark tells whether it looks like a
// floating-point number (a full stop, E, e, D or d outside an &-radix item).
int32_t scan_input_item(char* item, int32_t limit, bool* float_mark);

// Reads the next item as an unsigned 64-bit number into target.
void input_item_u64(uint64_t* target);
