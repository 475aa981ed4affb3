#pragma once
// The window's key buffer: 16 slots (15 keys, the oldest dropped when full), filled by the
// presentation thread under the driver lock and read by the statements under the screen lock.
// It outlives every screen.
#include <cstdint>

// Called only on the presentation thread, which holds the driver lock.
void key_push(int32_t code);

// The oldest key, removed; 0 when there is none. Clears the key-arrived flag.
int32_t key_read();

// The key-arrived flag, cleared.
bool take_key_arrived();

// The key statements on the graphics screen.
int32_t gfx_key_hit();
int32_t gfx_inkey_code();  // the oldest key, removed; -1 for none (a pushed 0 included)
int32_t gfx_getkey();      // waits, polling every 20 ms; 0 without a screen
void gfx_sleep(int32_t milliseconds);
