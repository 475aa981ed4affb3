#include "runtime/win32/win32_keyboard.hpp"

#include <windows.h>

int win32_own_character(int virtual_key) {
  const UINT own = MapVirtualKeyA(static_cast<UINT>(virtual_key), MAPVK_VK_TO_CHAR);
  return (own & 0x80000000u) ? 0 : static_cast<int>(own & 0xFF);  // the top bit: a dead key
}
