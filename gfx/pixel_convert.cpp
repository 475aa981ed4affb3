#include "gfx/pixel_convert.hpp"

#include <bit>
#include <cstring>

namespace {

uint32_t channel(uint8_t value, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  return bits >= 8 ? static_cast<uint32_t>(value) << (shift + bits - 8)
                   : static_cast<uint32_t>(value >> (8 - bits)) << shift;
}

// A framebuffer pixel of 16 or 32 bits as a colour.
PaletteEntry direct_color(const uint8_t* pixel, int32_t source_bytes) {
  if (source_bytes == 2) {
    uint16_t p;
    std::memcpy(&p, pixel, 2);
    const auto widen = [](uint32_t v, int bits) {
      return static_cast<uint8_t>(v << (8 - bits) | v >> (2 * bits - 8));
    };
    return {widen(p >> 11, 5), widen((p >> 5) & 63, 6), widen(p & 31, 5), 0};
  }
  uint32_t p;
  std::memcpy(&p, pixel, 4);
  return {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p), 0};
}

// The display's pixel for a colour: each 8-bit channel's top bits where its mask says (a mask
// wider than 8 bits takes the channel in its top bits).
uint32_t display_pixel(const DisplayFormat& format, const PaletteEntry& color) {
  return channel(color.red, format.red_mask) | channel(color.green, format.green_mask) |
         channel(color.blue, format.blue_mask);
}

template <int Bytes>
void store(uint8_t* out, uint32_t value) {
  for (int b = 0; b < Bytes; ++b) out[b] = static_cast<uint8_t>(value >> (8 * b));
}

template <int Bytes>
void convert_indices(const uint32_t* table, const uint8_t* source, int32_t width, int32_t scale,
                     uint8_t* out) {
  for (int32_t i = 0; i < width; ++i) {
    const uint32_t value = table[source[i]];
    for (int32_t s = 0; s < scale; ++s, out += Bytes) store<Bytes>(out, value);
  }
}

template <int Bytes>
void convert_direct(const DisplayFormat& format, const uint8_t* source, int32_t source_bytes,
                    int32_t width, int32_t scale, uint8_t* out) {
  for (int32_t i = 0; i < width; ++i) {
    const uint32_t value = display_pixel(format, direct_color(source + i * source_bytes, source_bytes));
    for (int32_t s = 0; s < scale; ++s, out += Bytes) store<Bytes>(out, value);
  }
}

template <int Bytes>
void convert(const DisplayFormat& format, const uint32_t* table, const uint8_t* source,
             int32_t source_bytes, int32_t width, int32_t scale, uint8_t* out) {
  if (source_bytes == 1) {
    convert_indices<Bytes>(table, source, width, scale, out);
  } else {
    convert_direct<Bytes>(format, source, source_bytes, width, scale, out);
  }
}

}  // namespace

void fill_pixel_table(const DisplayFormat& format, const PaletteEntry (&palette)[256], uint32_t (&table)[256]) {
  const bool indexed = (format.red_mask | format.green_mask | format.blue_mask) == 0;
  for (uint32_t i = 0; i < 256; ++i) table[i] = indexed ? i : display_pixel(format, palette[i]);
}

void convert_pixel_line(const DisplayFormat& format, const uint32_t (&table)[256], const uint8_t* source,
                        int32_t source_bytes, int32_t width, int32_t scale, uint8_t* out) {
  switch (format.bytes_per_pixel) {
    case 1: return convert<1>(format, table, source, source_bytes, width, scale, out);
    case 2: return convert<2>(format, table, source, source_bytes, width, scale, out);
    case 3: return convert<3>(format, table, source, source_bytes, width, scale, out);
    default: return convert<4>(format, table, source, source_bytes, width, scale, out);
  }
}
