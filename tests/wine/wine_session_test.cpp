// The Windows programs under Wine beside the native ones: the window's picture, keys and close
// button on the X server of the test run, the console in a terminal with no display, and the
// bytes through a pipe. ZORVY_EXE and PROBE_EXE name the Windows programs; WINEPREFIX the
// prefix made for the run.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "x_session.hpp"

namespace {

const char* windows_program(const char* variable) {
  const char* path = std::getenv(variable);
  if (path == nullptr) ADD_FAILURE() << variable << " names no Windows program";
  return path != nullptr ? path : "/nonexistent";
}

// The picture a window shows once it stops changing.
Grab settled_picture(Window window) {
  Grab last = grab_window(window);
  for (int waited = 0; waited < 3000; waited += 200) {
    usleep(200000);
    Grab now = grab_window(window);
    if (now.pixels == last.pixels) return now;
    last = now;
  }
  return last;
}

// Pixels that differ between the window and the picture (-1: not of its size), waiting up
// to 5 s for none.
int differing_pixels(Window window, const Grab& expected) {
  int differing = -1;
  for (int waited = 0; waited <= 5000 && differing != 0; waited += 100) {
    const Grab shown = grab_window(window);
    differing = -1;
    if (shown.width == expected.width && shown.height == expected.height) {
      differing = 0;
      for (size_t i = 0; i < shown.pixels.size(); ++i) differing += shown.pixels[i] != expected.pixels[i];
    }
    if (differing != 0) usleep(100000);
  }
  return differing;
}

// A line the probe wrote; its C library ends lines with CR LF.
std::string probe_line(ChildProcess& probe, int timeout_ms = 5000) {
  std::string line = probe.read_line(timeout_ms);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The native window after the bound 10.
Grab native_dialogue() {
  ChildProcess zorvy(ZORVY_PATH);
  const Window window = find_window("zorvy");
  if (window == 0) return {};
  focus_and_type_keys(window, "1 0 Return");
  Grab picture = settled_picture(window);
  xdotool("key space");
  EXPECT_EQ(zorvy.wait_exit(), 0);
  return picture;
}

// Whether the process has mapped the library file, as the system shows from outside.
bool has_mapped(pid_t pid, const std::string& library) {
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  for (std::string line; std::getline(maps, line);) {
    if (line.size() >= library.size() && line.compare(line.size() - library.size(), library.size(), library) == 0) {
      return true;
    }
  }
  return false;
}

// The background colour as the X server's depth shows the palette's blue 0, 0, 0xAA: a
// 16-bit server keeps 5 bits of blue.
uint32_t shown_blue() { return DefaultDepth(test_display(), 0) == 16 ? 0x0000AC : 0x0000AA; }

struct DriverCase {
  const char* name;
  const char* qzgfx;  // null: unset
  bool direct_draw;   // presents through DirectDraw
};

class WineWindow : public testing::TestWithParam<DriverCase> {};

TEST_P(WineWindow, TheDialogueMatchesTheNativeWindowAndTheCloseButtonEndsTheFinalWait) {
  const DriverCase& c = GetParam();
  const Grab native = native_dialogue();
  ASSERT_EQ(native.width, 320);
  EXPECT_EQ(native.pixels[0], shown_blue());
  if (c.qzgfx != nullptr) setenv("QZGFX", c.qzgfx, 1);
  ChildProcess zorvy(WINE_RUN_PATH, nullptr, windows_program("ZORVY_EXE"));
  unsetenv("QZGFX");
  const Window window = find_window("zorvy", 30000);
  ASSERT_NE(window, 0u) << zorvy.errors();
  // A close request while the bound is typed is taken and ignored by the line editor.
  focus_and_type_keys(window, "1");
  send_close_request(window);
  focus_and_type_keys(window, "0 Return");
  EXPECT_EQ(differing_pixels(window, native), 0);
  EXPECT_EQ(has_mapped(zorvy.pid(), "ddraw.dll"), c.direct_draw);
  EXPECT_EQ(has_mapped(zorvy.pid(), "dinput.dll"), c.direct_draw);
  if (const char* screenshot = std::getenv("SCREENSHOT")) {
    EXPECT_TRUE(write_png(grab_window(window), screenshot));
  }
  send_close_request(window);
  EXPECT_EQ(zorvy.wait_exit(10000), 0);
  EXPECT_EQ(zorvy.read_line(100), "");
  EXPECT_EQ(zorvy.errors(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, WineWindow,
    testing::Values(DriverCase{"directx_by_default", nullptr, true}, DriverCase{"gdi_named", "gdi", false},
                    DriverCase{"unknown_name_as_unset", "Glide", true}),
    [](const testing::TestParamInfo<DriverCase>& info) { return std::string(info.param.name); });

TEST(WineKeys, GiveTheNativeCodes) {
  ChildProcess probe(WINE_RUN_PATH, nullptr, windows_program("PROBE_EXE"));
  ASSERT_EQ(probe_line(probe, 30000), "ready") << probe.errors();
  const Window window = find_window("window_probe");
  ASSERT_NE(window, 0u);
  const struct {
    const char* keys;  // as xdotool names them; empty: the close button
    const char* code;  // the codes read, one after another
  } kKeys[] = {{"F1", "15359"},        {"Up", "18687"},     {"shift+F1", "21759"},
               {"ctrl+Left", "29695"}, {"Delete", "21503"}, {"KP_Home", "18431"},
               {"shift+Tab", "4095 9"},  {"Tab", "9"},        {"eacute", "130"},
               {"A", "65"},            {"", "27647"}};
  for (const auto& k : kKeys) {
    if (*k.keys != '\0') {
      focus_and_type_keys(window, k.keys);
    } else {
      send_close_request(window);
    }
    std::string codes;
    const auto count = 1 + std::count(k.code, k.code + std::strlen(k.code), ' ');
    for (ptrdiff_t i = 0; i < count; ++i) codes += (i == 0 ? "" : " ") + probe_line(probe);
    EXPECT_EQ(codes, k.code) << k.keys << probe.errors();
  }
  focus_and_type_keys(window, "q");
  EXPECT_EQ(probe_line(probe), "113");
  EXPECT_EQ(probe.wait_exit(10000), 0);
}

std::string command_output(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char block[4096];
  for (size_t n; (n = fread(block, 1, sizeof block, pipe)) > 0;) output.append(block, n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return output;
}

TEST(WinePipe, TheBytesEqualTheNativeProgramsBytes) {
  for (const char* input : {"10\\n", "1000000\\r\\n", "", "  3, 99 junk\\nkey"}) {
    const std::string feed = std::string("printf '") + input + "' | ";
    const std::string native = command_output(feed + "env -u DISPLAY " + ZORVY_PATH);
    EXPECT_NE(native, "");
    EXPECT_EQ(command_output(feed + "env -u DISPLAY " + WINE_RUN_PATH + " " + windows_program("ZORVY_EXE")),
              native)
        << input;
  }
}

// A terminal of its own in tmux, on a socket of its own.
class Terminal {
 public:
  Terminal(int columns, int rows, const std::string& command) {
    char folder[] = "/tmp/qz-tmux.XXXXXX";
    folder_ = mkdtemp(folder);
    tmux("new-session -d -x " + std::to_string(columns) + " -y " + std::to_string(rows) + " '" + command + "'");
  }
  ~Terminal() {
    tmux("kill-server");
    std::system(("rm -rf " + folder_).c_str());
  }
  void keys(const std::string& key) { tmux("send-keys " + key); }
  // The rows shown, trailing blanks dropped; with colours, their escape sequences kept.
  std::vector<std::string> rows(bool colours = false) {
    const std::string text = command_output("tmux -S " + folder_ + "/socket capture-pane -p" + (colours ? " -e" : ""));
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
      lines.push_back(text.substr(at, end - at));
    }
    return lines;
  }
  // Waits up to timeout_ms for a row that holds text.
  bool shows(const std::string& text, int timeout_ms = 30000) {
    for (int waited = 0; waited <= timeout_ms; waited += 100) {
      for (const std::string& row : rows()) {
        if (row.find(text) != std::string::npos) return true;
      }
      usleep(100000);
    }
    return false;
  }

 private:
  void tmux(const std::string& arguments) {
    std::system(("tmux -S " + folder_ + "/socket " + arguments + " > /dev/null 2>&1").c_str());
  }
  std::string folder_;
};

std::vector<std::string> last_lines(const std::string& crlf_text, size_t count) {
  std::vector<std::string> lines;
  for (size_t at = 0, end;; at = end + 2) {
    end = crlf_text.find("\r\n", at);
    std::string line = crlf_text.substr(at, end == std::string::npos ? end : end - at);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
    if (end == std::string::npos) break;
  }
  return std::vector<std::string>(lines.end() - static_cast<ptrdiff_t>(std::min(count, lines.size())), lines.end());
}

TEST(WineConsole, TheDialogueRunsOnTheConsoleWithTheLineEditor) {
  constexpr int kRows = 12;
  Terminal terminal(60, kRows,
                    std::string("printf \"left over\\n\"; env -u DISPLAY ") + WINE_RUN_PATH + " " +
                        windows_program("ZORVY_EXE") + "; echo exit=$?; sleep 60");
  ASSERT_TRUE(terminal.shows("cisla pocitat")) << "no dialogue on the console";
  EXPECT_FALSE(terminal.shows("left over", 0)) << "the console was not cleared";
  // The dialogue in the colours of the colour statement: blue on magenta.
  EXPECT_NE(terminal.rows(true)[1].find("\x1b[34m\x1b[45m Zorvy Numbers"), std::string::npos);
  // Typed 123, two left, erase the 1, type 4, right, delete the 3, type 0: 420.
  for (const char* key : {"1", "2", "3", "Left", "Left", "BSpace", "4", "Right", "DC", "0"}) {
    terminal.keys(key);
    usleep(100000);
  }
  ASSERT_TRUE(terminal.shows("? 420"));
  terminal.keys("Enter");
  ASSERT_TRUE(terminal.shows("Nejvyssi faktorial"));
  // The report has scrolled past the console window: it shows the native dialogue's last rows.
  const std::vector<std::string> expected =
      last_lines(command_output(std::string("printf '420\\n' | env -u DISPLAY ") + ZORVY_PATH), kRows);
  EXPECT_EQ(terminal.rows(), expected);
  terminal.keys("x");
  EXPECT_TRUE(terminal.shows("exit=0"));
}

}  // namespace
