// The programs in a Wayland window, each test on a headless compositor of its own: sway, where
// wtype types and grim reads the window back, and weston, which leaves the window's frame to the
// program. The pictures are the X11 window's.
#include <gtest/gtest.h>

#include <signal.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "child_process.hpp"
#include "dialogue.hpp"
#include "picture.hpp"
#include "wayland_session.hpp"

namespace {

using namespace test_support;

// plemo under sway with no sound server (its beep silent), started by a shell that sets it up:
// the X11 window on Xwayland when asked for and when WAYLAND_DISPLAY names no compositor (with no
// maximum size it is tiled: the picture at 3 times, centred on black), and the Wayland window
// following the output to scale 2 (640 x 400 device pixels of 2 x 2 blocks). The close request
// ends the final wait. The compositor killed in the final wait, or no shared memory for the
// picture (files may not grow past 128 blocks), ends the program with code 1 and a line of its
// own name.
TEST(WaylandWindow, PlemoOnEachDriverUnderSway) {
  enum Ending { kClose, kKilled, kNoWindow };
  const struct { Compositor compositor; const char* setup; int width, height, scale; const char* kind; Ending ending; const char* says; } kRows[] = {
      {Compositor::kSwayWithXwayland, "QZGFX=X11", 1024, 768, 1, "null xwayland con 320x200\n", kClose, ""},
      {Compositor::kSwayWithXwayland, "WAYLAND_DISPLAY=wayland-none", 1024, 768, 1, "null xwayland con 320x200\n", kClose, ""},
      {Compositor::kSway, "QZGFX=Wayland", 320, 200, 2, "plemo xdg_shell floating_con 320x200\n", kClose, ""},
      {Compositor::kSway, "", 320, 200, 1, "plemo xdg_shell floating_con 320x200\n", kKilled,
       "plemo: lost the connection to the Wayland compositor\n"},
      {Compositor::kSway, "", 320, 200, 1, "", kNoWindow, "plemo: no shared memory for the window's picture\n"},
  };
  const Grab prompt = text_picture({"", " Plemo Numbers", "", " Zadej do jakeho cisla pocitat", "", "? "}, {2, 5});
  const Grab dialogue = text_picture(dialogue_rows(" Plemo Numbers", "10", {"3", "7"}, "9", "4", 40));
  const auto plemo_window = [] { return sway_window("plemo"); };
  for (const auto& [compositor, setup, width, height, scale, kind, ending, says] : kRows) {
    SCOPED_TRACE(testing::Message() << "env " << setup << ", ending " << ending);
    WaylandSession sway(compositor);
    ASSERT_TRUE(sway.started());
    const std::string limit = ending == kNoWindow ? "ulimit -f 128 && trap '' XFSZ && " : "";
    ChildProcess plemo("sh", {"-c", limit + "exec env PULSE_SERVER=unix:/nonexistent " + setup + " \"$0\"", PLEMO_PATH}, sway.x_display());
    if (ending != kNoWindow) {
      ASSERT_EQ(differing_pixels(plemo_window, scaled_picture(prompt, width, height)), 0) << plemo.errors();
      EXPECT_EQ(sway_window_kind("plemo"), kind);
      if (scale != 1) swaymsg("output HEADLESS-1 scale " + std::to_string(scale) + "; [title=plemo] move position center");
      EXPECT_EQ(differing_pixels(plemo_window, scaled_picture(prompt, width * scale, height * scale)), 0) << "at the output's scale";
      wtype("10 -k Delete -k Return");
      EXPECT_EQ(differing_pixels(plemo_window, scaled_picture(dialogue, width * scale, height * scale)), 0);
      ending == kClose ? swaymsg("[title=plemo] kill") : static_cast<void>(kill(sway.pid(), SIGKILL));
    }
    EXPECT_EQ((std::tuple{plemo.wait_exit(), plemo.errors(), plemo.read_all()}), (std::tuple{*says ? 1 : 0, says, ""}));
  }
}

// Under weston, which draws no frame, the program draws its own around the pixel-exact picture:
// a title bar above it, as wide as it, with a close button at its right end (the desktop is
// black, and so is the frame's shadow on it).
TEST(WaylandWindow, UnderWestonTheProgramDrawsItsOwnFrame) {
  WaylandSession weston(Compositor::kWeston);
  ASSERT_TRUE(weston.started());
  ChildProcess zorvy(ZORVY_PATH);
  Grab shot;
  Cell at{-1, -1};  // the picture's top left pixel
  wait_until(5000, 100, [&] { return (at = find_picture(shot = weston.weston_screenshot(), text_picture(kZorvyPrompt, {2, 5}))).row >= 0; });
  ASSERT_GE(at.row, 0) << zorvy.errors();
  int top = at.row;  // of the bar, which is not black
  while (top > 0 && shot.pixels[(top - 1) * shot.width + at.column] != 0) --top;
  const int bar = at.row - top, row_after = (at.row + 200) * shot.width;
  ASSERT_GT(bar, 8) << "a title bar";
  EXPECT_EQ((std::vector{shot.pixels[top * shot.width + at.column - 1], shot.pixels[top * shot.width + at.column + 320], shot.pixels[row_after + at.column]}),
            (std::vector<uint32_t>{0, 0, 0})) << "the frame as wide as the picture, and nothing below it";
  std::set<uint32_t> close_button;  // the bar's right end, a square of its height
  for (int y = top; y < at.row; ++y) close_button.insert(&shot.pixels[y * shot.width + at.column + 320 - bar], &shot.pixels[y * shot.width + at.column + 320]);
  EXPECT_GT(close_button.size(), 1u) << "a close button drawn on the bar";
}

}  // namespace
