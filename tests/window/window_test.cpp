// The programs in a real window on an X server: the picture, the keys, the close button.
// GoogleTest comes before the X headers, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <unistd.h>

#include <string>

#include "child_process.hpp"
#include "gfx/gfx_data.hpp"
#include "x_session.hpp"

namespace {

constexpr uint32_t kBlue = 0x0000AA, kLightGrey = 0xAAAAAA;

struct Cell {
  int column, row;  // from 0
};

// The 320 x 200 picture of text rows drawn light grey on blue with the 8 x 8 font, with the
// input cursor's mark (a line across the bottom of the cell) where one is given.
Grab expected_picture(const std::vector<std::string>& rows, Cell cursor = {-1, -1}) {
  unpack_gfx_data();
  Grab picture{320, 200, std::vector<uint32_t>(320 * 200, kBlue)};
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) {
      const auto code = static_cast<uint8_t>(rows[r][c]);
      for (int y = 0; y < 8; ++y) {
        const uint8_t bits = kFonts[0].glyphs[code * 8 + y];
        for (int x = 0; x < 8; ++x) {
          if ((bits >> x) & 1) picture.pixels[(r * 8 + y) * 320 + c * 8 + x] = kLightGrey;
        }
      }
    }
  }
  for (int x = 0; cursor.row >= 0 && x < 8; ++x) {
    picture.pixels[(cursor.row * 8 + 7) * 320 + cursor.column * 8 + x] = kLightGrey;
  }
  return picture;
}

// Waits until the window shows the picture; the number of differing pixels otherwise.
int differing_pixels(Window window, const Grab& expected, int timeout_ms = 3000) {
  int differing = -1;
  for (int waited = 0; waited <= timeout_ms; waited += 50) {
    const Grab shown = grab_window(window);
    if (shown.width != expected.width || shown.height != expected.height) return -2;
    differing = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i) differing += shown.pixels[i] != expected.pixels[i];
    if (differing == 0) return 0;
    usleep(50000);
  }
  return differing;
}

TEST(Window, ZorvyShowsItsDialogueAndEndsOnAKey) {
  ChildProcess zorvy(ZORVY_PATH);
  const Window window = find_window("zorvy");
  ASSERT_NE(window, 0u) << zorvy.errors();
  Display* d = test_display();
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(d, window, &hints, &supplied));
  EXPECT_EQ(hints.min_width, 320);
  EXPECT_EQ(hints.max_width, 320);
  EXPECT_EQ(hints.min_height, 200);
  EXPECT_EQ(hints.max_height, 200);
  XClassHint class_hint{};
  ASSERT_TRUE(XGetClassHint(d, window, &class_hint));
  EXPECT_EQ(std::string(class_hint.res_class).rfind("qzgfxclass_", 0), 0u);
  XFree(class_hint.res_name);
  XFree(class_hint.res_class);
  EXPECT_EQ(differing_pixels(window, expected_picture({"", " Zorvy Numbers", "",
                                                        " Zadej do jakeho cisla pocitat", "", "? "},
                                                       {2, 5})),
            0);
  focus_and_type_keys(window, "1 0 Return");
  EXPECT_EQ(differing_pixels(window, expected_picture({"", " Zorvy Numbers", "", " Zadej do jakeho cisla pocitat",
                                                        "", "? 10", "", " 1", " 5", " 23", "", "",
                                                        " Celkovy pocet provedenych vypoctu: ", "", " 15",
                                                        "", " Nejvyssi faktorial:  4"})),
            0);
  xdotool("key space");
  EXPECT_EQ(zorvy.wait_exit(), 0);
  EXPECT_FALSE(window_exists(window));
  EXPECT_EQ(zorvy.read_line(100), "");
  EXPECT_EQ(zorvy.errors(), "");
}

TEST(Window, KeysPushTheirCodes) {
  ChildProcess probe(WINDOW_PROBE_PATH);
  ASSERT_EQ(probe.read_line(), "ready") << probe.errors();
  const Window window = find_window("window_probe");
  ASSERT_NE(window, 0u);
  struct KeyCase {
    const char* keys;
    std::vector<std::string> codes;
  };
  const KeyCase cases[] = {
      {"F1", {"15359"}},        {"Up", {"18687"}},        {"shift+F1", {"21759"}},
      {"ctrl+Left", {"29695"}}, {"Delete", {"21503"}},    {"shift+a", {"65"}},
      {"Return", {"13"}},       {"Escape", {"27"}},       {"a", {"97"}},
      {"KP_Enter", {"13"}},     {"ctrl+a", {"1"}},        {"Home", {"18431"}},
      {"shift+Tab", {"4095", "9"}}, {"alt+F4", {}},       {"F10", {}},
  };
  for (const KeyCase& c : cases) {
    focus_and_type_keys(window, c.keys);
    for (const std::string& code : c.codes) EXPECT_EQ(probe.read_line(2000), code) << c.keys;
  }
  focus_and_type_keys(window, "q");
  EXPECT_EQ(probe.read_line(2000), "113");  // keys that push nothing left nothing behind
  EXPECT_EQ(probe.wait_exit(), 0);
}

TEST(Window, CloseRequestPushesOneCodeAndTheWindowStays) {
  ChildProcess probe(WINDOW_PROBE_PATH);
  ASSERT_EQ(probe.read_line(), "ready") << probe.errors();
  const Window window = find_window("window_probe");
  ASSERT_NE(window, 0u);
  send_close_request(window);
  EXPECT_EQ(probe.read_line(2000), "27647");
  EXPECT_EQ(probe.read_line(300), "");
  EXPECT_TRUE(window_exists(window));
  focus_and_type_keys(window, "q");
  EXPECT_EQ(probe.read_line(2000), "113");
  EXPECT_EQ(probe.wait_exit(), 0);
}

TEST(Window, KeyTypedWhileBusyEndsTheFinalWaitAtOnce) {
  ChildProcess probe(WINDOW_PROBE_PATH);
  ASSERT_EQ(probe.read_line(), "ready") << probe.errors();
  const Window window = find_window("window_probe");
  ASSERT_NE(window, 0u);
  focus_and_type_keys(window, "b");
  EXPECT_EQ(probe.read_line(2000), "98");
  focus_and_type_keys(window, "x");  // while the probe is busy
  const std::string waited = probe.read_line(4000);
  ASSERT_EQ(waited.rfind("waited ", 0), 0u) << waited;
  EXPECT_LT(std::stoi(waited.substr(7)), 100);
  focus_and_type_keys(window, "q");
  EXPECT_EQ(probe.read_line(2000), "120");  // the key that ended the wait stayed
  EXPECT_EQ(probe.read_line(2000), "113");
  EXPECT_EQ(probe.wait_exit(), 0);
}

TEST(Window, CloseButtonIsIgnoredWhileTypingAndEndsTheFinalWait) {
  ChildProcess zorvy(ZORVY_PATH);
  const Window window = find_window("zorvy");
  ASSERT_NE(window, 0u) << zorvy.errors();
  focus_and_type_keys(window, "7");
  send_close_request(window);
  usleep(200000);
  EXPECT_EQ(zorvy.wait_exit(100), -1);
  EXPECT_TRUE(window_exists(window));
  focus_and_type_keys(window, "Return");
  usleep(200000);
  send_close_request(window);
  EXPECT_EQ(zorvy.wait_exit(), 0);
}

}  // namespace
