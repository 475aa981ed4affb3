#include "gfx/key_messages.hpp"
#include "gfx/win32/win32_window.hpp"
#include "runtime/win32/win32_keyboard.hpp"

#include <new>

namespace {

constexpr LPARAM kEnhancedBit = LPARAM{1} << 24;
constexpr LPARAM kWasDownBit = LPARAM{1} << 30;
constexpr UINT kCodePage437 = 437;

bool held(const BYTE* keyboard, int virtual_key) { return (keyboard[virtual_key] & 0x80) != 0; }

uint32_t key_state_mask(const BYTE* keyboard, LPARAM data) {
  uint32_t mask = 0;
  if (held(keyboard, VK_SHIFT) || held(keyboard, VK_LSHIFT) || held(keyboard, VK_RSHIFT)) mask |= key_state::SHIFT;
  if (held(keyboard, VK_LCONTROL) || held(keyboard, VK_CONTROL)) mask |= key_state::LEFT_CTRL;
  if (held(keyboard, VK_RCONTROL)) mask |= key_state::RIGHT_CTRL;
  if (held(keyboard, VK_LMENU) || held(keyboard, VK_MENU)) mask |= key_state::LEFT_ALT;
  if (held(keyboard, VK_RMENU)) mask |= key_state::RIGHT_ALT;
  if (data & kEnhancedBit) mask |= key_state::ENHANCED;
  return mask;
}

// The one character the key gives under the keyboard state, 0 for none; dead keys are not
// asked, so that their pending accent stays for the next key.
int key_character(WPARAM virtual_key, int scan_code, const BYTE* keyboard) {
  if (MapVirtualKeyA(static_cast<UINT>(virtual_key), MAPVK_VK_TO_CHAR) & 0x80000000u) return 0;
  WORD characters[2] = {0, 0};
  const int count = ToAscii(static_cast<UINT>(virtual_key), static_cast<UINT>(scan_code), keyboard,
                            characters, 0);
  return count == 1 ? characters[0] & 0xFF : 0;
}

template <typename T>
bool grow(std::vector<T>& buffer, size_t size) {
  try {
    if (buffer.size() < size) buffer.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// A byte of the system's ANSI code page as a code page 437 byte, through UTF-16; 0 when it
// has no such byte or a buffer cannot grow.
int cp437_of_ansi(char ansi) {
  Win32Window& w = win32_window();
  const int wide_count = MultiByteToWideChar(CP_ACP, 0, &ansi, 1, nullptr, 0);
  if (wide_count <= 0 || !grow(w.wide, static_cast<size_t>(wide_count))) return 0;
  MultiByteToWideChar(CP_ACP, 0, &ansi, 1, w.wide.data(), wide_count);
  const int count = WideCharToMultiByte(kCodePage437, 0, w.wide.data(), wide_count, nullptr, 0,
                                        nullptr, nullptr);
  if (count <= 0 || !grow(w.cp437, static_cast<size_t>(count))) return 0;
  WideCharToMultiByte(kCodePage437, 0, w.wide.data(), wide_count, w.cp437.data(), count, nullptr,
                      nullptr);
  return static_cast<unsigned char>(w.cp437[0]);
}

}  // namespace

bool win32_key_message(UINT message, WPARAM virtual_key, LPARAM data) {
  BYTE keyboard[256];
  if (!GetKeyboardState(keyboard)) return false;
  const int scan_code = static_cast<int>((data >> 16) & 0xFF);
  const KeyMessageData key{message == WM_KEYDOWN ? KeyMessage::DOWN
                           : message == WM_KEYUP ? KeyMessage::UP
                                                 : KeyMessage::SYSTEM_DOWN,
                           scan_code,
                           key_state_mask(keyboard, data),
                           static_cast<int>(virtual_key),
                           key_character(virtual_key, scan_code, keyboard),
                           static_cast<int>(data & 0xFFFF),
                           (data & kWasDownBit) != 0,
                           virtual_key == VK_F10 || virtual_key == VK_MENU};
  return handle_key_message(key, win32_own_character);
}

void win32_char_message(WPARAM value, LPARAM data) {
  const int code = value == 0 ? 0 : cp437_of_ansi(static_cast<char>(value));
  handle_char_message(code, static_cast<int>(data & 0xFFFF));
}
