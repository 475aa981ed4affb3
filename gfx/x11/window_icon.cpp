#include "gfx/x11/window_icon.hpp"

#include <algorithm>

const WindowIcon* find_window_icon(const std::string& program) {
  const WindowIcon* end = kWindowIcons + kWindowIconCount;
  const WindowIcon* icon =
      std::find_if(kWindowIcons, end, [&](const WindowIcon& each) { return program == each.program; });
  return icon == end ? nullptr : icon;
}
