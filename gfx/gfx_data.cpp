#include "gfx/gfx_data.hpp"

namespace {

// The unpacked fonts and palettes; kFonts and kDefaultPalettes point into it.
uint8_t gfx_area[GFX_DATA_SIZE];

struct UnpackState {
  bool unpacked;
  size_t size;
};
UnpackState unpack_state;

constexpr int LZW_FIRST_ENTRY = 256;
constexpr int LZW_CODE_COUNT = 4096;
// Longest run of entries a string may chain through; more means a damaged dictionary.
constexpr size_t LZW_MAX_CHAIN = 4094;

// Entries 256 up to next_free - 1 are defined: each is an earlier code's string plus one byte.
struct LzwDictionary {
  uint16_t prefix[LZW_CODE_COUNT];
  uint8_t last[LZW_CODE_COUNT];
  int next_free;
};

// The index-th 12-bit code of the stream, or -1 when the input ends before it. Each pair of
// codes takes three bytes: the low code holds byte 0 and the low half of byte 1, the high code
// the high half of byte 1 and byte 2.
int code_at(const uint8_t* in, size_t in_size, size_t index) {
  const size_t base = index / 2 * 3;
  if (index % 2 == 0) {
    if (base + 1 >= in_size) return -1;
    return in[base] | (in[base + 1] & 0x0F) << 8;
  }
  if (base + 2 >= in_size) return -1;
  return in[base + 1] >> 4 | in[base + 2] << 4;
}

// Writes the string of code back to front into reversed and returns its length; 0 when the
// chain of entries is longer than LZW_MAX_CHAIN.
size_t spell_reversed(const LzwDictionary& dictionary, int code, uint8_t* reversed) {
  size_t length = 0;
  while (code >= LZW_FIRST_ENTRY) {
    if (length == LZW_MAX_CHAIN) return 0;
    reversed[length++] = dictionary.last[code];
    code = dictionary.prefix[code];
  }
  reversed[length++] = static_cast<uint8_t>(code);
  return length;
}

// The string of a code that follows previous, back to front. A code equal to the next free
// index names the entry about to be made: the previous string followed by its own first byte.
size_t decode_reversed(const LzwDictionary& dictionary, int code, int previous, uint8_t* reversed) {
  if (code != dictionary.next_free) return spell_reversed(dictionary, code, reversed);
  const size_t length = spell_reversed(dictionary, previous, reversed + 1);
  if (length == 0) return 0;
  reversed[0] = reversed[length];
  return length + 1;
}

}  // namespace

const FontInfo kFonts[3] = {
    {8, 8, gfx_area},
    {8, 14, gfx_area + 2048},
    {8, 16, gfx_area + 5632},
};

const PaletteInfo kDefaultPalettes[4] = {
    {2, gfx_area + 9728},
    {16, gfx_area + 9734},
    {64, gfx_area + 9782},
    {256, gfx_area + 9974},
};

size_t lzw_unpack(const uint8_t* in, size_t in_size, uint8_t* out, size_t out_capacity) {
  const int first = code_at(in, in_size, 0);
  if (first < 0 || first == LZW_END_CODE || out_capacity == 0) return 0;
  out[0] = static_cast<uint8_t>(first);
  size_t written = 1;

  LzwDictionary dictionary;
  dictionary.next_free = LZW_FIRST_ENTRY;
  uint8_t reversed[LZW_MAX_CHAIN + 2];
  int previous = first & 0xFF;
  for (size_t index = 1;; ++index) {
    const int code = code_at(in, in_size, index);
    if (code < 0 || code == LZW_END_CODE || code > dictionary.next_free) break;
    const size_t length = decode_reversed(dictionary, code, previous, reversed);
    if (length == 0) break;
    if (dictionary.next_free < LZW_END_CODE) {
      dictionary.prefix[dictionary.next_free] = static_cast<uint16_t>(previous);
      dictionary.last[dictionary.next_free] = reversed[length - 1];
      ++dictionary.next_free;
    }
    previous = code;
    for (size_t i = length; i > 0 && written < out_capacity; --i) out[written++] = reversed[i - 1];
    if (written == out_capacity) break;
  }
  return written;
}

size_t unpack_gfx_data() {
  if (!unpack_state.unpacked) {
    unpack_state.unpacked = true;
    unpack_state.size = lzw_unpack(kGfxDataPacked, kGfxDataPackedSize, gfx_area, GFX_DATA_SIZE);
  }
  return unpack_state.size;
}
