#include "gfx/desktop_scale.hpp"

#include <cmath>

namespace {

// Larger scales are taken for mistakes: no screen is that dense.
constexpr double kLargestScale = 64;

}  // namespace

int whole_scale(double desktop_scale) {
  if (!(desktop_scale > 0 && desktop_scale <= kLargestScale)) return 1;  // NaN fails both
  const int scale = static_cast<int>(std::floor(desktop_scale + 0.5));
  return scale < 1 ? 1 : scale;
}

int fitting_scale(int scale, int width, int height, int area_width, int area_height) {
  while (scale > 1 && (width * scale > area_width || height * scale > area_height)) --scale;
  return scale < 1 ? 1 : scale;
}

int device_pixels(int logical_size, int scale_120ths) { return (logical_size * scale_120ths + 60) / 120; }

int covering_logical_size(int device_size, int scale_120ths) {
  return (120 * device_size - 60 + scale_120ths - 1) / scale_120ths;
}
