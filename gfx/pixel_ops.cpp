#include <cstring>

#include "gfx/pixel_ops.hpp"

namespace {

template <typename Pixel>
void set_pixel(uint8_t* line, int32_t x, uint32_t color) {
  const auto value = static_cast<Pixel>(color);
  std::memcpy(line + x * static_cast<int32_t>(sizeof(Pixel)), &value, sizeof(Pixel));
}

template <typename Pixel>
void fill(uint8_t* line, int32_t x, int32_t count, uint32_t color) {
  if constexpr (sizeof(Pixel) == 1) {
    std::memset(line + x, static_cast<int>(color & 0xFF), static_cast<size_t>(count));
  } else {
    for (int32_t i = 0; i < count; ++i) set_pixel<Pixel>(line, x + i, color);
  }
}

constexpr PixelOps kPixelOps[] = {
    {set_pixel<uint8_t>, fill<uint8_t>},
    {set_pixel<uint16_t>, fill<uint16_t>},
    {set_pixel<uint32_t>, fill<uint32_t>},
};

}  // namespace

const PixelOps* pixel_ops_for(int32_t bytes_per_pixel) {
  return &kPixelOps[bytes_per_pixel >= 4 ? 2 : bytes_per_pixel - 1];
}
