#pragma once
// String values of the statements, and the pool of temporary descriptors that carries string
// literals to the print statements.
#include <cstdint>

struct StringDescriptor {
  uint8_t* data;      // the bytes; may be null; literals are not copied
  uint64_t length;    // low 63 bits: byte count; top bit: the descriptor owns data
  uint64_t capacity;  // bytes available at data
};

inline constexpr uint64_t STRING_OWNS_DATA = uint64_t{1} << 63;
inline constexpr int kTempStringPoolSize = 256;

inline uint64_t string_length(const StringDescriptor& s) { return s.length & ~STRING_OWNS_DATA; }

// A temporary descriptor over the text (not copied). When all 256 are in use, the one shared
// empty descriptor, so the statement prints nothing of the string.
StringDescriptor* temp_string_from_literal(const char* text, int64_t length);

// A temporary descriptor owning a copy of the bytes; the shared empty one when the pool is
// exhausted or memory is short.
StringDescriptor* temp_string_from_bytes(const uint8_t* bytes, uint64_t length);

// Frees owned data; returns a pooled descriptor to the pool (0). A null descriptor, or one not
// from the pool, gives -1.
int32_t release_temp_string(StringDescriptor* descriptor);
