// The Windows-only paths, run under Wine: key records put into the console's input, a console
// buffer taller than its window, the console's control events, and window messages handed to
// the window procedure.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "gfx/driver.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/window.hpp"
#include "runtime/console_input.hpp"
#include "runtime/key_code.hpp"
#include "runtime/text_console.hpp"
// The system's headers last: they define some of the shared code's names as macros.
#include "gfx/win32/win32_window.hpp"
#include "runtime/win32/win32_console.hpp"

namespace {

// A control handler of the test's own, registered before the program's: it sees the events
// that the program's handler leaves to the system, and keeps the test running.
std::atomic<int> passed_on{-1};
const bool test_handler_registered =
    SetConsoleCtrlHandler([](DWORD event) -> BOOL { return passed_on = static_cast<int>(event), TRUE; }, TRUE) != 0;

// A console of the test's own: the tests run without one, or with one that they must leave
// alone.
HANDLE open_console(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

INPUT_RECORD key(bool down, int virtual_key, WORD scan_code, char character, DWORD state, WORD repeat = 1) {
  const WORD code = static_cast<WORD>(virtual_key);
  return INPUT_RECORD{KEY_EVENT, {KEY_EVENT_RECORD{down, repeat, code, scan_code, {.AsciiChar = character}, state}}};
}

// Alt held while the digits are typed on the keypad, then the further records; then Alt let go.
std::vector<INPUT_RECORD> alt_keypad(const std::string& digits, std::vector<INPUT_RECORD> then = {}) {
  constexpr WORD kScan[] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73};  // keypad 0 to 9
  std::vector<INPUT_RECORD> records = {key(true, VK_MENU, 56, 0, LEFT_ALT_PRESSED)};
  for (const char d : digits) {
    for (const bool down : {true, false}) records.push_back(key(down, VK_NUMPAD0 + d - '0', kScan[d - '0'], 0, LEFT_ALT_PRESSED));
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

void write_text(const std::string& text) { console_write(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0); }

// Releases push nothing; Esc counts without its character (as Wine's console gives it). Ctrl+C
// is left to the system; a close event becomes a close request. The console's buffer, below.
TEST(Win32Console, KeyRecordsControlEventsAndATallerBuffer) {
  const HANDLE input = open_console("CONIN$"), output = open_console("CONOUT$");
  ASSERT_TRUE(input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE);
  console_handles().input = input;
  const std::pair<std::vector<INPUT_RECORD>, std::vector<int32_t>> kCases[] = {
      {{key(false, VK_RETURN, 28, '\r', 0), key(true, 'A', 30, 'a', 0)}, {97}},  // Enter that started it let go
      {{key(true, VK_ESCAPE, 1, 0, 0), key(false, VK_ESCAPE, 1, 0, 0)}, {27}}, {alt_keypad("130"), {130}},
      {{key(true, VK_SHIFT, 42, 0, SHIFT_PRESSED), key(true, VK_F1, 59, 0, SHIFT_PRESSED)}, {21759}},
      {{key(true, 'A', 30, 'a', 0, 3), key(false, 'A', 30, 'a', 0)}, {97, 97, 97}},
      {alt_keypad("6", {key(true, 'X', 45, 'x', LEFT_ALT_PRESSED)}), {11775}},  // Alt+x drops the 6
  };
  DWORD written = 0;
  for (const auto& [records, codes] : kCases) {
    FlushConsoleInputBuffer(input);
    ASSERT_TRUE(WriteConsoleInputA(input, records.data(), static_cast<DWORD>(records.size()), &written));
    EXPECT_EQ(keys_read(), codes) << codes.front();
  }
  ASSERT_TRUE(test_handler_registered && GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  for (int i = 0; i < 500 && passed_on == -1; ++i) Sleep(20);  // up to 10 s on a loaded machine
  EXPECT_EQ(passed_on, CTRL_C_EVENT);
  console_ctrl_handler(CTRL_CLOSE_EVENT);
  EXPECT_EQ(keys_read(), std::vector<int32_t>{KEY_WINDOW_CLOSE});

  // A buffer 20 rows taller than its window: the window follows the text down the buffer, which
  // loses its top rows only once its last row is reached; a view narrower than the window
  // scrolls only its own rows.
  console_handles().output = console_handles().pages[0] = output;
  const auto buffer_info = [&] { CONSOLE_SCREEN_BUFFER_INFO info{}; return GetConsoleScreenBufferInfo(output, &info), info; };
  const auto row_text = [&](int row) {
    std::string text(40, ' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterA(output, text.data(), 40, COORD{0, static_cast<SHORT>(row)}, &read);
    return text.substr(0, text.find_last_not_of(' ') + 1);
  };
  const CONSOLE_SCREEN_BUFFER_INFO info = buffer_info();
  const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;  // the window's
  ASSERT_TRUE(SetConsoleScreenBufferSize(output, COORD{info.dwSize.X, static_cast<SHORT>(rows + 20)}));
  console_clear(CLEAR_DEFAULT);
  int lines = 0;
  const auto write_lines = [&](int last) { while (lines < last) write_text("line " + std::to_string(++lines) + "\r\n"); };
  write_lines(rows + 4);
  EXPECT_EQ(std::pair(buffer_info().srWindow.Top, row_text(0)), (std::pair<SHORT, std::string>(5, "line 1")));
  write_lines(rows + 24);
  EXPECT_EQ(std::pair(buffer_info().srWindow.Top, row_text(0)), (std::pair<SHORT, std::string>(20, "line 6")));

  console_view_range() = ConsoleViewRange{2, 4};  // window rows 2 to 4: buffer rows 22 to 24
  console_locate(3, 1);
  write_text("p\r\nq\r\nr\r\ns");
  EXPECT_EQ(buffer_info().srWindow.Top, 20);
  const std::vector<std::string> expected = {"line 27", "qine 29", "rine 30", "s", "line 31"};
  for (int row = 21; row <= 25; ++row) EXPECT_EQ(row_text(row), expected[row - 21]) << row;
}

// Shift, Ctrl and Alt count whichever of their keys the keyboard state holds: the generic
// one alone (as keys sent by another program may leave it), or the left one alone.
TEST(Win32Window, ModifiersCountOnEitherOfTheirKeys) {
  std::vector<int32_t> codes;
  for (const auto& [held, key, data] : {std::tuple{VK_SHIFT, VK_F1, 59 << 16 | 1}, {VK_LSHIFT, VK_F1, 59 << 16 | 1},
           {VK_CONTROL, VK_LEFT, 1 << 24 | 75 << 16 | 1}, {VK_MENU, VK_F1, 59 << 16 | 1}}) {
    BYTE keyboard[256] = {};
    keyboard[held] = 0x80;
    SetKeyboardState(keyboard);
    window_procedure(nullptr, WM_KEYDOWN, key, data);
    codes.push_back(key_read());
  }
  EXPECT_EQ(codes, (std::vector<int32_t>{21759, 21759, 29695, 26879}));
}

// A presentation that refuses full screen: it records whether each one asked for was, and
// counts the cycles once the third was asked for. Another refuses any window.
std::vector<bool> opened;  // only on the presentation thread
std::atomic<int> presented_again{0};
bool open_windowed() { return opened.push_back(gfx_window().flags & GFX_FULLSCREEN), !opened.back(); }
constexpr Win32Presentation kRefusingFullScreen{open_windowed, [] {}, [](HDC) {}, [] { presented_again += opened.size() == 3; }};
constexpr Win32Presentation kRefusing{[] { return false; }, [] {}, [](HDC) {}, [] {}};

// After a refused switch to full screen the window is made again where it was and presented;
// when it cannot be made again the program ends with its message rather than go on without a
// window.
TEST(Win32Window, ARefusedSwitchMakesTheWindowAgain) {
  window_reset("zorvy", 320, 200, 0);
  gfx_window().active = true;
  win32_window().presentation = &kRefusing;  // no window class either: no window can be made
  EXPECT_EXIT(window_procedure(nullptr, WM_SYSKEYDOWN, VK_RETURN, 1 << 29), testing::ExitedWithCode(1),
              "^zorvy: the window could not be made again after a refused switch of the display\n$");
  ASSERT_EQ(win32_window_init(kRefusingFullScreen, "zorvy", 320, 200, 0, 0, true), 0);
  const auto place = [] { RECT r{}; GetWindowRect(win32_window().window, &r); return std::tuple(r.left, r.top, r.right, r.bottom); };
  const auto before = place();
  PostMessageA(win32_window().window, WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
  for (int i = 0; i < 500 && presented_again < 2; ++i) Sleep(20);  // up to 10 s on a loaded machine
  EXPECT_EQ(std::pair(place(), IsWindowVisible(win32_window().window) != 0), std::pair(before, true));
  win32_window_exit();
  EXPECT_EQ(opened, (std::vector<bool>{false, true, false}));
}

// A presentation that records the window's scale at each open.
std::vector<int32_t> scales_opened;  // only on the presentation thread
constexpr Win32Presentation kScaleRecording{[] { return scales_opened.push_back(win32_window().scale), true; }, [] {}, [](HDC) {}, [] {}};
// A presentation that fails to open, saying each open and close; one that opens only once.
std::string calls;  // only on the presentation thread
constexpr Win32Presentation kFailing{[] { return calls += "open ", false; }, [] { calls += "close "; }, [](HDC) {}, [] {}};
int opens = 0;
constexpr Win32Presentation kOpensOnce{[] { return ++opens == 1; }, [] {}, [](HDC) {}, [] {}};
const RECT kSuggested{0, 0, 640, 400};

// The screen saver's setting as the last process changed it: Wine keeps a setting changed
// without being saved among its temporary system parameters (a process keeps what it read).
std::string screen_saver_setting() {
  char value[8] = "";
  DWORD size = sizeof value;
  RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
               "ScreenSaveActive", RRF_RT_REG_SZ, nullptr, value, &size);
  return value;
}

// zorvy.exe declares itself aware of each monitor's scale, so that Windows leaves the picture
// to the program rather than stretch it (Wine never stretches). Moved to a monitor of another
// density, the window takes its whole scale (96 dots per inch are 1, fewer 1 too) at the place
// suggested, with a presentation made anew when the scale changed; full screen is at scale 1.
TEST(Win32Window, TheWindowTakesEachMonitorsWholeScale) {
  const HMODULE program = LoadLibraryExA(ZORVY_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const HRSRC found = program != nullptr ? FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
  ASSERT_NE(found, nullptr) << ZORVY_EXE;
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(program, found))), SizeofResource(program, found));
  EXPECT_TRUE(manifest.find(">true/pm</dpiAware>") < manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>")) << manifest;
  ASSERT_EQ(win32_window_init(kScaleRecording, "zorvy", 320, 200, 0, 0, true), 0);
  // 384 dots per inch ask for 4, which would not fit the 1024 x 768 screen.
  for (const auto& [dpi, width, height] : {std::tuple{288, 960, 600}, {144, 640, 400}, {384, 960, 600}, {48, 320, 200},
           {96, 320, 200}}) {
    RECT suggested{dpi, 30, dpi + 100, 130}, client{}, outer{};
    SendMessageA(win32_window().window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    GetClientRect(win32_window().window, &client);
    GetWindowRect(win32_window().window, &outer);
    EXPECT_EQ(std::tuple(client.right, client.bottom, outer.left), std::tuple(width, height, dpi)) << dpi;
  }
  SendMessageA(win32_window().window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&kSuggested));
  SendMessageA(win32_window().window, WM_SYSKEYDOWN, VK_RETURN, 1 << 29);  // full screen, where the scale is 1
  win32_window_exit();
  EXPECT_EQ(scales_opened, (std::vector<int32_t>{1, 3, 2, 3, 1, 2, 1}));
  // A presentation that fails to open releases what it made; one that fails at a new scale
  // ends the program, the screen saver given back.
  EXPECT_EQ(std::pair(win32_window_init(kFailing, "zorvy", 320, 200, 0, 0, true), calls), std::pair(-1, std::string("open close ")));
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
  EXPECT_EXIT((win32_window_init(kOpensOnce, "zorvy", 320, 200, 0, 0, true),
               SendMessageA(win32_window().window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&kSuggested))),
              testing::ExitedWithCode(1), "^zorvy: the window could not be shown at its new monitor's scale\n$");
  EXPECT_EQ(screen_saver_setting(), "1");
}

}  // namespace
