// The Windows-only paths, run under Wine: key records put into the console's input, a console
// buffer taller than its window, the console's control events, and window messages handed to
// the window procedure.
#include <gtest/gtest.h>

#include <atomic>
#include <initializer_list>
#include <string>
#include <vector>

#include "gfx/key_code.hpp"
#include "gfx/window.hpp"
#include "runtime/console_input.hpp"
#include "runtime/text_console.hpp"
// The system's headers last: they define some of the shared code's names as macros.
#include "gfx/win32/win32_window.hpp"
#include "runtime/win32/win32_console.hpp"

namespace {

// A control handler of the test's own, registered before the program's: it sees the events
// that the program's handler leaves to the system, and keeps the test running.
std::atomic<int> passed_on{-1};
BOOL WINAPI test_control_handler(DWORD event) {
  passed_on = static_cast<int>(event);
  return TRUE;
}
const bool test_handler_registered = SetConsoleCtrlHandler(test_control_handler, TRUE) != 0;

// A console of the test's own: the tests run without one, or with one that they must leave
// alone.
HANDLE open_console(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

INPUT_RECORD key(bool down, WORD virtual_key, WORD scan_code, char character, DWORD state, WORD repeat = 1) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  KEY_EVENT_RECORD& e = record.Event.KeyEvent;
  e.bKeyDown = down;
  e.wRepeatCount = repeat;
  e.wVirtualKeyCode = virtual_key;
  e.wVirtualScanCode = scan_code;
  e.uChar.AsciiChar = character;
  e.dwControlKeyState = state;
  return record;
}

std::vector<int32_t> keys_read() {
  std::vector<int32_t> codes;
  for (int32_t code; (code = console_key_read(1, 1)) != -1;) codes.push_back(code);
  return codes;
}

TEST(Win32ConsoleKeys, KeyRecordsGiveTheNativeCodes) {
  const HANDLE input = open_console("CONIN$");
  ASSERT_NE(input, INVALID_HANDLE_VALUE);
  console_handles().input = input;
  const INPUT_RECORD alt_down = key(true, VK_MENU, 56, 0, LEFT_ALT_PRESSED);
  const INPUT_RECORD alt_up = key(false, VK_MENU, 56, 0, 0);
  // Digits typed on the keypad with Alt held: each pressed and released.
  const auto keypad = [](std::initializer_list<std::pair<WORD, WORD>> digits) {
    std::vector<INPUT_RECORD> records;
    for (const auto& [digit, scan] : digits) {
      records.push_back(key(true, VK_NUMPAD0 + digit, scan, 0, LEFT_ALT_PRESSED));
      records.push_back(key(false, VK_NUMPAD0 + digit, scan, 0, LEFT_ALT_PRESSED));
    }
    return records;
  };
  const auto join = [](std::initializer_list<std::vector<INPUT_RECORD>> parts) {
    std::vector<INPUT_RECORD> records;
    for (const auto& part : parts) records.insert(records.end(), part.begin(), part.end());
    return records;
  };
  const struct {
    const char* name;
    std::vector<INPUT_RECORD> records;
    std::vector<int32_t> codes;
  } kCases[] = {
      {"Esc without its character", {key(true, VK_ESCAPE, 1, 0, 0), key(false, VK_ESCAPE, 1, 0, 0)}, {27}},
      {"Esc with it", {key(true, VK_ESCAPE, 1, 27, 0)}, {27}},
      {"Shift+F1", {key(true, VK_SHIFT, 42, 0, SHIFT_PRESSED), key(true, VK_F1, 59, 0, SHIFT_PRESSED),
                    key(false, VK_F1, 59, 0, SHIFT_PRESSED), key(false, VK_SHIFT, 42, 0, 0)}, {21759}},
      {"a repeated, then released", {key(true, 'A', 30, 'a', 0, 3), key(false, 'A', 30, 'a', 0)}, {97, 97, 97}},
      {"Up, an enhanced key", {key(true, VK_UP, 72, 0, ENHANCED_KEY)}, {18687}},
      {"Alt + keypad 1 3 0", join({{alt_down}, keypad({{1, 79}, {3, 81}, {0, 82}}), {alt_up}}), {130}},
      {"Alt + keypad 6 5 twice", join({{alt_down}, keypad({{6, 77}, {5, 76}}), {alt_up},
                                       {alt_down}, keypad({{6, 77}, {5, 76}}), {alt_up}}), {65, 65}},
      {"Alt + keypad 6, then Alt+x", join({{alt_down}, keypad({{6, 77}}), {key(true, 'X', 45, 'x', LEFT_ALT_PRESSED)},
                                           {alt_up}}), {11775}},
  };
  for (const auto& c : kCases) {
    FlushConsoleInputBuffer(input);
    DWORD written = 0;
    ASSERT_TRUE(WriteConsoleInputA(input, c.records.data(), static_cast<DWORD>(c.records.size()), &written));
    EXPECT_EQ(keys_read(), c.codes) << c.name;
  }
}

// Ctrl+C is left to the system; a close event becomes a close request.
TEST(Win32ConsoleKeys, ControlEvents) {
  ASSERT_TRUE(test_handler_registered);
  console_poll_input();  // registers the program's handler
  passed_on = -1;
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  for (int i = 0; i < 100 && passed_on == -1; ++i) Sleep(20);
  EXPECT_EQ(passed_on, CTRL_C_EVENT);
  EXPECT_EQ(keys_read(), std::vector<int32_t>{});
  console_ctrl_handler(CTRL_CLOSE_EVENT);
  EXPECT_EQ(keys_read(), std::vector<int32_t>{KEY_WINDOW_CLOSE});
}

std::string row_text(HANDLE output, SHORT row) {
  char text[40];
  DWORD read = 0;
  ReadConsoleOutputCharacterA(output, text, sizeof text, COORD{0, row}, &read);
  std::string s(text, read);
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

SMALL_RECT console_window(HANDLE output) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(output, &info);
  return info.srWindow;
}

void write_text(const std::string& text) {
  console_write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0);
}

void write_lines(int first, int last) {
  for (int i = first; i <= last; ++i) write_text("line " + std::to_string(i) + "\r\n");
}

// A buffer 20 rows taller than its window: the window follows the text down the
// buffer, which loses its top rows only once its last row is reached; a view narrower than the
// window scrolls only its own rows.
TEST(Win32ConsoleBuffer, TheWindowFollowsTheTextAndAPartialViewScrollsItsRows) {
  const HANDLE output = open_console("CONOUT$");
  ASSERT_NE(output, INVALID_HANDLE_VALUE);
  ConsoleHandles& handles = console_handles();
  handles.output = handles.pages[0] = output;
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(output, &info));
  const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;  // the window's
  ASSERT_TRUE(SetConsoleScreenBufferSize(output, COORD{info.dwSize.X, static_cast<SHORT>(rows + 20)}));
  console_clear(CLEAR_DEFAULT);
  write_lines(1, rows + 4);
  EXPECT_EQ(console_window(output).Top, 5);
  EXPECT_EQ(row_text(output, 0), "line 1");
  EXPECT_EQ(row_text(output, static_cast<SHORT>(rows + 3)), "line " + std::to_string(rows + 4));
  write_lines(rows + 5, rows + 24);
  EXPECT_EQ(console_window(output).Top, 20);
  EXPECT_EQ(row_text(output, 0), "line 6");
  EXPECT_EQ(row_text(output, static_cast<SHORT>(rows + 18)), "line " + std::to_string(rows + 24));

  console_view_range() = ConsoleViewRange{2, 4};  // window rows 2 to 4: buffer rows 22 to 24
  console_locate(3, 1);
  write_text("p\r\nq\r\nr\r\ns");
  EXPECT_EQ(console_window(output).Top, 20);
  const std::vector<std::string> expected = {"line 27", "qine 29", "rine 30", "s", "line 31"};
  for (SHORT row = 21; row <= 25; ++row) EXPECT_EQ(row_text(output, row), expected[row - 21]) << row;
}

// Parts of a wheel notch add up; each whole notch counts 1.
TEST(Win32Window, WheelPartsAddUpToNotches) {
  window_reset("wheel", 320, 200, 0);
  const struct {
    UINT message;
    short delta;
    int32_t wheel, horizontal_wheel;
  } kSteps[] = {
      {WM_MOUSEWHEEL, 60, 0, 0},     {WM_MOUSEWHEEL, 60, 1, 0},     {WM_MOUSEWHEEL, 240, 3, 0},
      {WM_MOUSEWHEEL, -40, 3, 0},    {WM_MOUSEWHEEL, -80, 2, 0},    {WM_MOUSEHWHEEL, -120, 2, -1},
      {WM_MOUSEHWHEEL, 30, 2, -1},   {WM_MOUSEWHEEL, 90, 2, -1},
  };
  for (const auto& s : kSteps) {
    window_procedure(nullptr, s.message, MAKEWPARAM(0, static_cast<WORD>(s.delta)), 0);
    EXPECT_EQ(gfx_window().mouse.wheel, s.wheel) << s.delta;
    EXPECT_EQ(gfx_window().mouse.horizontal_wheel, s.horizontal_wheel) << s.delta;
  }
}

// A refused switch to full screen whose window cannot be made again ends the program with a
// message, rather than go on without a window.
TEST(Win32Window, AWindowLostInASwitchEndsTheProgram) {
  static constexpr Win32Presentation kRefusing{[] { return false; }, [] {}, [](HDC) {}, [] {}};
  window_reset("zorvy", 320, 200, 0);
  gfx_window().active = true;
  win32_window().presentation = &kRefusing;  // no window class either: no window can be made
  EXPECT_EXIT(window_procedure(nullptr, WM_SYSKEYDOWN, VK_RETURN, 1 << 29), testing::ExitedWithCode(1),
              "zorvy: the window could not be made again");
}

}  // namespace
