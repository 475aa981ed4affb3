#pragma once
// Pixel access for each pixel size.
#include <cstdint>

#include "gfx/screen.hpp"

// The operations for 1, 2 or 4 bytes per pixel (3 is stored as 4).
const PixelOps* pixel_ops_for(int32_t bytes_per_pixel);
