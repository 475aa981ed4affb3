// The Windows-only paths, run under Wine: key records put into the console's input, a console
// buffer taller than its window, the console's control events, and window messages handed to
// the window procedure.
#include <gtest/gtest.h>

#include <atomic>
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
  INPUT_RECORD record{KEY_EVENT, {}};
  record.Event.KeyEvent = KEY_EVENT_RECORD{down, repeat, virtual_key, scan_code, {}, state};
  record.Event.KeyEvent.uChar.AsciiChar = character;
  return record;
}

// Alt held while the digits are typed on the keypad; released unless then is given.
std::vector<INPUT_RECORD> alt_keypad(const std::string& digits, std::vector<INPUT_RECORD> then = {}) {
  constexpr WORD kScan[] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73};  // keypad 0 to 9
  std::vector<INPUT_RECORD> records = {key(true, VK_MENU, 56, 0, LEFT_ALT_PRESSED)};
  for (const char d : digits) {
    for (const bool down : {true, false}) {
      records.push_back(key(down, static_cast<WORD>(VK_NUMPAD0 + d - '0'), kScan[d - '0'], 0, LEFT_ALT_PRESSED));
    }
  }
  records.insert(records.end(), then.begin(), then.end());
  records.push_back(key(false, VK_MENU, 56, 0, 0));
  return records;
}

std::vector<int32_t> keys_read() {
  std::vector<int32_t> codes;
  for (int32_t code; (code = console_key_read(1, 1)) != -1;) codes.push_back(code);
  return codes;
}

// Releases push nothing; Esc counts without its character (as Wine's console gives it).
TEST(Win32ConsoleKeys, KeyRecordsGiveTheNativeCodes) {
  const HANDLE input = open_console("CONIN$");
  ASSERT_NE(input, INVALID_HANDLE_VALUE);
  console_handles().input = input;
  const struct {
    std::vector<INPUT_RECORD> records;
    std::vector<int32_t> codes;
  } kCases[] = {
      {{key(true, VK_ESCAPE, 1, 0, 0), key(false, VK_ESCAPE, 1, 0, 0)}, {27}},
      {{key(true, VK_SHIFT, 42, 0, SHIFT_PRESSED), key(true, VK_F1, 59, 0, SHIFT_PRESSED),
        key(false, VK_F1, 59, 0, SHIFT_PRESSED), key(false, VK_SHIFT, 42, 0, 0)}, {21759}},
      {{key(true, 'A', 30, 'a', 0, 3), key(false, 'A', 30, 'a', 0)}, {97, 97, 97}},
      {alt_keypad("130"), {130}},
      {alt_keypad("6", {key(true, 'X', 45, 'x', LEFT_ALT_PRESSED)}), {11775}},  // Alt+x drops the 6
  };
  for (const auto& c : kCases) {
    FlushConsoleInputBuffer(input);
    DWORD written = 0;
    ASSERT_TRUE(WriteConsoleInputA(input, c.records.data(), static_cast<DWORD>(c.records.size()), &written));
    EXPECT_EQ(keys_read(), c.codes) << c.codes.front();
  }
  // A key that came in one burst with the key read is still news to the key wait.
  const INPUT_RECORD burst[] = {key(true, 'A', 30, 'a', 0), key(true, 'B', 48, 'b', 0)};
  DWORD written = 0;
  ASSERT_TRUE(WriteConsoleInputA(input, burst, 2, &written));
  EXPECT_EQ(console_key_read(1, 1), 97);
  EXPECT_EQ(console_take_key_arrived(), 1);
  keys_read();
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
  const std::string s(text, read);
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

SHORT window_top(HANDLE output) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(output, &info);
  return info.srWindow.Top;
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
  EXPECT_EQ(window_top(output), 5);
  EXPECT_EQ(row_text(output, 0), "line 1");
  EXPECT_EQ(row_text(output, static_cast<SHORT>(rows + 3)), "line " + std::to_string(rows + 4));
  write_lines(rows + 5, rows + 24);
  EXPECT_EQ(window_top(output), 20);
  EXPECT_EQ(row_text(output, 0), "line 6");
  EXPECT_EQ(row_text(output, static_cast<SHORT>(rows + 18)), "line " + std::to_string(rows + 24));

  console_view_range() = ConsoleViewRange{2, 4};  // window rows 2 to 4: buffer rows 22 to 24
  console_locate(3, 1);
  write_text("p\r\nq\r\nr\r\ns");
  EXPECT_EQ(window_top(output), 20);
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
