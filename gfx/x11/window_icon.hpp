#pragma once
// The window's icon, generated at build time by icon_gen from the screen's font.
#include <cstddef>
#include <cstdint>

// Icons one after another, each its width, its height and its pixels row by row as 0xAARRGGBB:
// the layout of the _NET_WM_ICON property.
extern const uint32_t kWindowIcon[];
extern const size_t kWindowIconSize;
