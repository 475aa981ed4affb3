#pragma once
// The key statements: reading keys and waiting for them, on the graphics screen while one is
// open (through the device hooks), on the text console otherwise.
#include <cstdint>

#include "console/temp_string.hpp"

// The key a key string stands for: its byte, or for two bytes second * 256 + 255.
int32_t key_string_value(const StringDescriptor& key);

// The oldest key as a string, removed; the empty string when there is none.
StringDescriptor* inkey_statement();

// 1 when a key waits; nothing is removed.
int32_t key_hit_statement();

// The oldest key, removed, waiting for one if necessary.
int32_t getkey_statement();

// 1 once no key can come any more (the text console's input has ended).
int32_t input_ended_statement();

// Waits ms milliseconds, or with -1 until a key arrives; the key stays for a later read.
void sleep_statement(int32_t milliseconds);
