#pragma once
// Each program's window icon, generated at build time by icon_gen from the screen's font.
#include <cstddef>
#include <cstdint>
#include <string>

// One program's icons one after another, each its width, its height and its pixels row by row
// as 0xAARRGGBB: the layout of the _NET_WM_ICON property.
struct WindowIcon {
  const char* program;     // the name that titles the program's window
  const uint32_t* values;
  size_t size;             // the number of values
};

extern const WindowIcon kWindowIcons[];
extern const size_t kWindowIconCount;

// The icon of the program of that name, or null for a program that has none.
const WindowIcon* find_window_icon(const std::string& program);
