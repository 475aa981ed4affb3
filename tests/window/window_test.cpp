// The programs in a real window on an X server: the picture, the keys, the close button, and
// what goes wrong around the window (the X server or the window going away, a display that
// never answers, signals, no thread, a huge window, windows coming and going). zorvy's whole
// dialogue runs on sway's Wayland window too, from the same steps.
// GoogleTest comes before the X headers, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "child_process.hpp"
#include "console/print.hpp"
#include "dialogue.hpp"
#include "gfx/palette.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"
#include "wayland_session.hpp"
#include "x_session.hpp"

namespace {

using namespace test_support;

// The bells rung on the test's server since the last call, each as its volume, from the
// server's bell notices to the test's display.
std::vector<std::string> bells_rung() {
  int opcode = 0, event_base = 0, error_base = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (!XkbQueryExtension(test_display(), &opcode, &event_base, &error_base, &major, &minor)) return {"no bells"};
  XkbSelectEvents(test_display(), XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
  XSync(test_display(), False);
  std::vector<std::string> rung;
  for (XkbEvent event; XPending(test_display()) > 0;) {
    XNextEvent(test_display(), &event.core);
    if (event.type == event_base && event.any.xkb_type == XkbBellNotify) rung.push_back("volume " + std::to_string(event.bell.percent));
  }
  return rung;
}

// The tones in a recording (16-bit mono at 44100 Hz), each from a loud sample to the last one
// before 20 ms of quiet: its length to the millisecond and its frequency to the hertz, from the
// first and the last of its zero crossings (each placed between its two samples).
std::vector<std::string> tones_in(const std::string& recording) {
  std::vector<int16_t> samples(recording.size() / 2);
  std::memcpy(samples.data(), recording.data(), samples.size() * 2);
  const auto loud = [](int16_t sample) { return std::abs(sample) > 1000; };
  std::vector<std::string> tones;
  for (auto first = std::find_if(samples.begin(), samples.end(), loud); first != samples.end();) {
    auto last = first;
    for (auto s = first; s != samples.end() && s - last < 882; ++s) last = loud(*s) ? s : last;
    std::vector<double> zeros;
    for (auto s = first; s < last; ++s) if ((s[0] < 0) != (s[1] < 0)) zeros.push_back(s - first + s[0] / double(s[0] - s[1]));
    tones.push_back(std::to_string(std::lround((last + 1 - first) / 44.1)) + " ms at " +
                    std::to_string(std::lround((zeros.size() - 1) / 2.0 / (zeros.back() - zeros.front()) * 44100)) + " Hz");
    first = std::find_if(last + 1, samples.end(), loud);
  }
  return tones;
}

// zorvy's whole dialogue in a window of each system, named by QZGFX while sway and a sound
// server run: X11 on the test's server, and Wayland on sway. é, on sway a held Backspace that repeats (and a key typed after it that does not),
// Alt+Enter to full screen (the picture at most at the screen's size, scaled and centred on
// black) and back to a window, which keeps its size, a line edited with every kind of editor key
// (Esc, Tab, Left, Backspace, Home, End, Delete at the end) that wraps past the right edge, the
// close request ignored while typing, the report, and the close request ending the final wait.
// Delete on the empty line and at the end of the line each beep: the X server's bell at its
// volume, or a tone played to the sound server. Waiting, the program takes next to no processor
// time.
TEST(Window, ZorvyDialogueFromTheFirstKeyToTheClose) {
  const SpareKeyEAcute spare_key;  // é from a layout that has it
  const Grab prompt = text_picture(kZorvyPrompt, {2, 5});
  const auto typed = [](const std::string& line) { std::vector<std::string> rows = kZorvyPrompt; rows.back() += line; return rows; };
  const Grab report = text_picture(dialogue_rows(" Zorvy Numbers", "5        134123456789012345678901234567890", {"1", "5", "23"}, "15", "4", 40));
  for (const bool x11 : {true, false}) {
    SCOPED_TRACE(x11 ? "X11" : "Wayland");
    WaylandSession sway(Compositor::kSway);
    ASSERT_TRUE(sway.started());
    SoundServer sound;
    bells_rung();  // those rung before
    // The driver named. X11 gives a key's character as the locale's bytes: one Latin-1 byte here
    // (UTF-8 in the probe's test).
    ChildProcess zorvy("env", {x11 ? "QZGFX=X11" : "QZGFX=Wayland", x11 ? "LC_ALL=C" : "LC_ALL=C.UTF-8", ZORVY_PATH});
    // The keys typed (as xdotool names them; the shell puts wtype's -k before each), Alt+Enter,
    // the close request, the window read back.
    const Window window = x11 ? find_window("zorvy") : 0;
    const auto type = [&](const std::string& keys) { x11 ? focus_and_type_keys(window, keys) : wtype("$(printf ' -k %s' " + keys + ")"); };
    const auto alt_enter = [&] { x11 ? focus_and_type_keys(window, "alt+Return") : wtype("-M alt -k Return -m alt"); };
    const auto close = [&] { x11 ? send_close_request(window) : swaymsg("[app_id=zorvy] kill"); };
    const auto grab = [&] { return x11 ? grab_window(window) : sway_window("zorvy"); };
    ASSERT_EQ(differing_pixels(grab, prompt), 0) << zorvy.errors();
    EXPECT_LT(idle_cpu_ms(zorvy.pid()), 200) << "waiting for the line";
    type("eacute");
    EXPECT_EQ(differing_pixels(grab, text_picture(typed("\x82"), {3, 5})), 0) << "é in code page 437";
    if (!x11) {  // a held Backspace repeats at sway's pace, once in 1.25 s, and a key typed after it does not
      wtype("-k Escape 9999999999 -P BackSpace -s 1250 -p BackSpace 5 -s 1000 -k BackSpace");
      EXPECT_EQ(differing_pixels(grab, text_picture(typed("99999999"), {10, 5})), 0) << "a held Backspace";
    }
    type("Escape Delete");
    alt_enter();
    if (x11) {  // the window manager's part: full screen takes any size it is given
      usleep(200000);
      XResizeWindow(test_display(), window, 32767, 32767);
      XSync(test_display(), False);
      usleep(200000);
      EXPECT_LT(peak_memory_kib(zorvy.pid()), 100 << 10);
      XMoveResizeWindow(test_display(), window, 0, 0, 1024, 768);
    }
    EXPECT_EQ(differing_pixels(grab, scaled_picture(prompt, 1024, 768)), 0) << "full screen";
    alt_enter();
    int differing = -1;
    for (int tries = 0; tries < 10 && differing != 0; ++tries) {  // once the key has been taken
      if (x11) XResizeWindow(test_display(), window, 640, 400);
      differing = differing_pixels(grab, prompt, 1000);
    }
    EXPECT_EQ(differing, 0) << "a window again, which undoes a resize";
    type("9 9 Escape Tab 1 2 3 4 Left Left BackSpace Home 5 End");
    close();
    type("1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 Delete Return");
    EXPECT_EQ(differing_pixels(grab, report), 0);
    EXPECT_LT(idle_cpu_ms(zorvy.pid()), 200) << "in the final wait";
    if (!x11) {  // sway's floating window keeps the size it asks for
      swaymsg("[app_id=zorvy] resize set 640 400");
      EXPECT_EQ(sway_window_kind("zorvy"), "zorvy xdg_shell floating_con 320x200\n");
    }
    close();
    // Nothing reached the terminal, the beep included.
    EXPECT_EQ((std::tuple{zorvy.wait_exit(), zorvy.read_all(), zorvy.errors()}), (std::tuple{0, "", ""}));
    EXPECT_EQ(x11 ? bells_rung() : tones_in(sound.recording()), std::vector<std::string>(2, x11 ? "volume 50" : "250 ms at 1000 Hz"));
  }
}

// plemo under a real window manager on a screen whose two whole scale factors differ (3
// across, 2 down), on a server without shared memory (MIT-SHM): maximise and Alt+Enter both
// switch to full screen at the smaller one. The window and its minimum size are the picture's
// times the desktop's whole scale: GDK_SCALE when it is a whole number, else the server's Xft.dpi
// over 96 to the nearest whole (1 when it is no number), lowered until the window fits the
// screen. The window names the program and its process, and has its own icon. The server's
// screen saver, due after a second without input, stays off while the window is open and comes
// on again once it has closed.
TEST(Window, PlemoUnderAWindowManagerSwitchesToAScaledFullScreen) {
  PrivateXServer server({"-extension", "MIT-SHM", "-screen", "0", "1000x450x24"});
  ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
  ChildProcess openbox("openbox", {"--sm-disable", "--startup", "echo managing"}, server.display());
  std::string said;  // besides its own messages
  while (!(said = openbox.read_line(10000)).empty() && said != "managing") {}
  ASSERT_EQ(said, "managing") << openbox.errors();
  Display* d = XOpenDisplay(server.display().c_str());
  ASSERT_NE(d, nullptr);
  XSetScreenSaver(d, 1, 0, DontPreferBlanking, AllowExposures);
  XScreenSaverInfo saver{};
  const auto saver_on = [&] { return XScreenSaverQueryInfo(d, DefaultRootWindow(d), &saver) && saver.state == ScreenSaverOn; };
  const Grab dialogue = expected_picture(dialogue_rows(" Plemo Numbers", "10", {"3", "7"}, "9", "4", 40));
  const Grab full = scaled_picture(dialogue, 1000, 450);
  const struct { const char* gdk_scale; std::string resources; int scale; } kRows[] = {{"", "", 1}, {"GDK_SCALE=4", "", 2},
      {"", "Xft.dpi:\t144\n", 2}, {"GDK_SCALE=1.5", "Xft.antialias: 1\nXft.dpi: 287.9\n", 2},
      {"GDK_SCALE=1", "Xft.dpi: 192\n", 1}, {"", "Xft.dpi: nan\n", 1}};
  for (const auto& [gdk_scale, resources, scale] : kRows) {
    SCOPED_TRACE(testing::Message() << "env " << gdk_scale << ", resources " << resources);
    XChangeProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XSync(d, False);
    ChildProcess plemo("sh", {"-c", "exec env " + std::string(gdk_scale) + " \"$0\"", PLEMO_PATH}, server.display());
    const Window window = find_window("plemo", 5000, d);
    ASSERT_NE(window, 0u) << plemo.errors();
    const std::string xprop = "DISPLAY=" + server.display() + " xprop -id " + std::to_string(window);
    EXPECT_EQ(command_output(xprop + " WM_NORMAL_HINTS WM_ICON_NAME _NET_WM_PID WM_NAME WM_CLASS && " + xprop + kIconInDecimal),
              "WM_NORMAL_HINTS(WM_SIZE_HINTS):\n\t\tprogram specified minimum size: " + std::to_string(320 * scale) + " by " +
                  std::to_string(200 * scale) + "\nWM_ICON_NAME(STRING) = \"plemo\"\n_NET_WM_PID(CARDINAL) = " + std::to_string(plemo.pid()) +
                  "\nWM_NAME(STRING) = \"plemo\"\nWM_CLASS(STRING) = \"plemo\", \"Plemo\"\n" + own_icon_in_decimal("plemo", {16, 32, 48, 64}));
    focus_and_type_keys(window, "1 0 Return", server.display());
    const Grab picture = scaled_picture(dialogue, 320 * scale, 200 * scale);
    EXPECT_EQ(differing_pixels(window, picture, 5000, d), 0);
    const auto state = [d](const char* name) { return static_cast<long>(XInternAtom(d, name, False)); };
    // States a window manager lists before and after maximised.
    send_client_message(d, window, "_NET_WM_STATE", {1, state("_NET_WM_STATE_SKIP_TASKBAR"), state("_NET_WM_STATE_ABOVE")});
    usleep(200000);
    EXPECT_EQ(differing_pixels(window, picture, 5000, d), 0) << "above, not in the task bar";
    // Maximise, as its button does.
    send_client_message(d, window, "_NET_WM_STATE", {1, state("_NET_WM_STATE_MAXIMIZED_VERT"), state("_NET_WM_STATE_MAXIMIZED_HORZ")});
    EXPECT_EQ(differing_pixels(window, full, 5000, d), 0) << "maximised";
    for (const char* after : {"back from maximised", "Alt+Enter", "back from Alt+Enter"}) {
      focus_and_type_keys(window, "alt+Return", server.display());
      EXPECT_EQ(differing_pixels(window, after[0] == 'A' ? full : picture, 5000, d), 0) << after;
    }
    usleep(1500000);
    EXPECT_FALSE(saver_on()) << "while the window is open";
    focus_and_type_keys(window, "space", server.display());
    EXPECT_EQ(plemo.wait_exit(), 0);
  }
  EXPECT_TRUE(wait_until(20000, 50, saver_on)) << "once the window has closed";
  XCloseDisplay(d);
}

// An 8-bit server with a colour map. With every free cell taken by another client, each colour
// the map does not hold shows as the one nearest over all three channels (the server's own
// cells hold the 64 colours of two bits a channel and a few greys, far from it), among cells
// that a distance leaving a channel out, or adding plain differences, would pick instead; with
// the cells free again, the window follows the palette exactly through more changes than the
// map has cells.
TEST(Window, AnEightBitServerShowsTheWindowInItsColourMap) {
  PrivateXServer server({"-screen", "0", "640x480x8"});
  ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
  Display* d = XOpenDisplay(server.display().c_str());
  ASSERT_NE(d, nullptr);
  const Colormap map = DefaultColormap(d, 0);
  std::vector<unsigned long> taken;
  for (unsigned long cell; XAllocColorCells(d, map, False, nullptr, 0, &cell, 1);) taken.push_back(cell);
  const uint32_t kWanted[] = {0x309010, 0xA02060}, kOff[] = {0x030303, 0x280000, 0x002800, 0x000028, 0x000008};
  ASSERT_GE(taken.size(), std::size(kWanted) * std::size(kOff));
  for (size_t i = 0; i < std::size(kWanted) * std::size(kOff); ++i) {
    const uint32_t rgb = kWanted[i / std::size(kOff)] + kOff[i % std::size(kOff)];
    XColor cell{taken[i], static_cast<unsigned short>((rgb >> 16) * 257), static_cast<unsigned short>((rgb >> 8 & 255) * 257),
                static_cast<unsigned short>((rgb & 255) * 257), DoRed | DoGreen | DoBlue, 0};
    XStoreColor(d, map, &cell);
  }
  const std::string display = std::getenv("DISPLAY");
  setenv("DISPLAY", server.display().c_str(), 1);
  ASSERT_EQ(screen_statement(1, 8, 0, 0, 0), 0);
  setenv("DISPLAY", display.c_str(), 1);
  const Window window = find_window("window_tests", 5000, d);
  Grab blocks{320, 200, std::vector<uint32_t>(320 * 200, 0)};  // full blocks in entries 1 and 2, on black
  for (uint32_t entry : {1u, 2u}) {
    const uint32_t wanted = kWanted[entry - 1];
    palette_statement(static_cast<int32_t>(entry), wanted >> 16, wanted >> 8 & 255, wanted & 255);
    context_get().fg_color = entry;
    print_literal("\xDB", 0);
    for (int y = 0; y < 8; ++y) std::fill_n(blocks.pixels.begin() + y * 320 + (entry - 1) * 8, 8, wanted + kOff[0]);
  }
  EXPECT_EQ(differing_pixels(window, blocks, 5000, d), 0) << "the nearest colours";
  XFreeColors(d, map, taken.data(), static_cast<int>(taken.size()), 0);
  XSync(d, False);  // the cells are free before the program allocates again
  for (int y = 0; y < 8; ++y) std::fill_n(blocks.pixels.begin() + y * 320 + 8, 8, kWanted[1]);  // exact from then on
  for (int i = 0; i < 300 && !HasFailure(); ++i) {
    const int red = i & 255, green = 255 - red, blue = i >> 8 ? 200 : 100;
    palette_statement(1, red, green, blue);
    for (int y = 0; y < 8; ++y) std::fill_n(blocks.pixels.begin() + y * 320, 8, static_cast<uint32_t>(red << 16 | green << 8 | blue));
    EXPECT_EQ(differing_pixels(window, blocks, 2000, d), 0) << "change " << i;
  }
  close_screen();  // before the server goes
  XCloseDisplay(d);
}

// Screens of 16 and 32 bits show their colours; windows coming and going leave no thread or
// open file behind (exact counts show a leak at once, so a few dozen windows do).
TEST(Window, DeeperScreensShowTheirColoursAndWindowsComeAndGoWithoutLeaking) {
  ASSERT_EQ(screen_statement(1, 8, 0, 0, 0), 0);  // whatever the first window sets up for good
  ASSERT_NE(find_window("window_tests"), 0u);  // and the test's own connection to the server
  close_screen();
  // The entries of a folder of /proc/self: the open files, or the threads.
  const auto entry_count = [](const char* folder) { return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {})); };
  const int files = entry_count("/proc/self/fd"), threads = entry_count("/proc/self/task");
  // The screen's depth, a colour as its framebuffer holds it, and as the window shows it.
  const struct { int32_t depth; uint32_t color, expected; } kRows[] = {
      {16, 0xF81F, 0xFF00FF}, {16, 0x07E0, 0x00FF00}, {32, 0x00FF8040, 0xFF8040}};
  for (int i = 0; i < 30; ++i) {
    const auto& row = kRows[i % 3];
    ASSERT_EQ(screen_statement(14, row.depth, 0, 0, 0), 0) << "window " << i;
    context_get().fg_color = row.color;
    print_literal("\xDB", 0);  // a full block in the top-left cell
    Grab block{320, 240, std::vector<uint32_t>(320 * 240, 0)};  // the next cells stay black
    for (int y = 0; y < 8; ++y) std::fill_n(block.pixels.begin() + y * 320, 8, row.expected);
    EXPECT_EQ(i < 3 ? differing_pixels(find_window("window_tests"), block) : 0, 0) << std::hex << row.color;  // each once
    close_screen();
  }
  EXPECT_EQ(entry_count("/proc/self/fd"), files);
  // A joined thread's entry may stay a moment after it ended; a leaked one stays.
  EXPECT_TRUE(wait_until(2000, 10, [&] { return entry_count("/proc/self/task") == threads; })) << "a thread left behind";
}

// The keys as the window gives them, through a probe that prints every key code it reads: one
// code per key, the close button's code with the window staying, keys typed while the probe is
// busy ending its key wait at once and keeping the last fifteen, and a return from main with
// the window open.
TEST(Window, KeysReachTheKeyBufferAsTheirCodes) {
  const SpareKeyEAcute spare_key;
  ChildProcess probe("env", {"LC_ALL=C.UTF-8", WINDOW_PROBE_PATH});  // keys then give their characters' UTF-8 bytes
  const Window window = probe_window(probe);
  ASSERT_NE(window, 0u);
  expect_key_codes(probe, window, {
      {"F1", {"15359"}},        {"Up", {"18687"}},        {"shift+F1", {"21759"}},
      {"ctrl+Left", {"29695"}}, {"Delete", {"21503"}},    {"shift+a", {"65"}},
      {"Return", {"13"}},       {"Escape", {"27"}},       {"a", {"97"}},
      {"KP_Enter", {"13"}},     {"ctrl+a", {"1"}},        {"Home", {"18431"}},
      {"shift+Tab", {"4095", "9"}}, {"alt+F4", {}},       {"F10", {}},
      {"93", {"130"}},          {"", {"27647"}},
  });
  focus_and_type_keys(window, "b");  // the window stayed after the close request
  ASSERT_EQ(probe.read_line(2000), "98");
  // Forty keys while the probe is busy.
  xdotool("key --delay 5 d c d c d c d c d c d c d c d c d c d c d c d c d c d c d c d c d c d c d c d c");
  ASSERT_EQ(probe.read_line(4000), "waited");  // else the wait would last until the next key
  focus_and_type_keys(window, "q");
  for (int i = 25; i < 40; ++i) EXPECT_EQ(probe.read_line(2000), i % 2 ? "99" : "100") << i;
  // Keys that push nothing left nothing behind.
  EXPECT_EQ((std::tuple{probe.read_line(2000), probe.wait_exit(), probe.errors()}), (std::tuple{"113", 0, ""}));
}

// The X server or the window going away, or an ending signal, while typing or in the final
// wait: the program ends (its window goes with its connection) and says why in a line of its
// own name.
// Each on an X server of its own.
TEST(WindowFaults, LosingTheServerOrTheWindowOrASignalEndsTheProgram) {
  const struct { const char* program; int signal_number; bool final_wait; int exit_code; std::string says; } kRows[] = {
      {ZORVY_PATH, -1, false, 1, "zorvy: lost the connection to the X server\n"},  // -1: the server stopped
      {PLEMO_PATH, -1, true, 1, "plemo: lost the connection to the X server\n"},
      {ZORVY_PATH, 0, false, 1, "zorvy: the window was destroyed by another program\n"},  // 0: the window destroyed
      {PLEMO_PATH, 0, true, 1, "plemo: the window was destroyed by another program\n"},
      {ZORVY_PATH, SIGTERM, false, 128 + SIGTERM, ""}, {ZORVY_PATH, SIGHUP, true, 128 + SIGHUP, ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(testing::Message() << row.program << ", signal " << row.signal_number << (row.final_wait ? ", final wait" : ""));
    PrivateXServer server;
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    Display* d = XOpenDisplay(server.display().c_str());
    ChildProcess program(row.program, {}, server.display());
    const Window window = find_window(std::filesystem::path(row.program).filename(), 5000, d);
    ASSERT_NE(window, 0u) << program.errors();  // the window is up, the line editor waits
    if (row.final_wait) focus_and_type_keys(window, "5 Return", server.display());
    if (row.signal_number > 0) kill(program.pid(), row.signal_number);
    if (row.signal_number == 0) XDestroyWindow(d, window);
    XSync(d, False);
    if (row.signal_number < 0) XCloseDisplay(d), kill(server.pid(), SIGTERM);  // the connection closed first
    // Nothing reached the terminal.
    EXPECT_EQ((std::tuple{program.wait_exit(3000), program.errors(), program.read_all()}), (std::tuple{row.exit_code, row.says, ""}));
    if (row.signal_number >= 0) XCloseDisplay(d);
  }
}

// A display that refuses the program (the test holds the cookie, the program does not), after
// a Wayland compositor that takes the connection but never answers (a stopped weston); one that
// never answers itself (a stopped server), and the test's own display with no thread to be had
// for the window (thread stacks of a terabyte), each after a WAYLAND_DISPLAY that names no
// compositor: the window counts as not opened and the whole dialogue runs on standard output
// instead, without a complaint.
TEST(WindowFaults, NoWindowLeavesTheDialogueToTheOutput) {
  const std::string cookie_file = temporary_file(std::string{'\xff', '\xff', 0, 0, 0, 0, 0, 18} + "MIT-MAGIC-COOKIE-1" +
                                                 std::string{0, 16} + "0123456789abcdef");  // any address and display
  setenv("XAUTHORITY", cookie_file.c_str(), 1);
  PrivateXServer guarded({"-auth", cookie_file}), silent;
  unsetenv("XAUTHORITY");
  WaylandSession silent_compositor(Compositor::kWeston);
  ASSERT_TRUE(silent_compositor.started());
  for (const pid_t server : {silent.pid(), silent_compositor.pid()}) kill(server, SIGSTOP);  // connections are taken by the system, never answered
  const std::string dialogue = crlf_lines(dialogue_rows(" Zorvy Numbers", "", {"1"}, "2", "2"));
  for (const std::string& display : {guarded.display(), silent.display(), std::string(std::getenv("DISPLAY"))}) {
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    const bool no_thread = display == std::getenv("DISPLAY");
#if defined(__SANITIZE_THREAD__)
    if (no_thread) continue;  // the sanitizer needs a thread of its own
#endif
    // Threads get stacks of 2^30 KiB: none can be made.
    ChildProcess zorvy("sh", {"-c", std::string(no_thread ? "ulimit -s 1073741824 && " : "") + "exec env " + (display == guarded.display() ? "" : "WAYLAND_DISPLAY=wayland-none ") + "\"$0\"", ZORVY_PATH}, display);
    // Standard input is empty: the bound is 0.
    EXPECT_EQ((std::tuple{zorvy.read_all(), zorvy.wait_exit(15000), zorvy.errors()}), (std::tuple{dialogue, 0, ""})) << display;
  }
  unlink(cookie_file.c_str());
}

}  // namespace
