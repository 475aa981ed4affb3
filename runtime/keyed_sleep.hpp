#pragma once
// The wait of the sleep statement, shared by the text console and the graphics screen.
#include <cstdint>

#include "runtime/platform.hpp"

// Waits ms milliseconds, or with -1 until a key arrives, testing take_key_arrived every 50 ms:
// -1 tests before the first sleep and has no time limit; 100 ms or more tests, then sleeps
// 50 ms at a time while more than 50 remain, then sleeps the rest untested; 1 to 99 only
// sleeps; 0 returns at once unless zero_sleeps; below -1 returns at once. No key is removed.
void keyed_sleep(int32_t ms, bool (*take_key_arrived)(), bool zero_sleeps);
