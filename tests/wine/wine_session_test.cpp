// The Windows programs under Wine: the window's picture, keys and close button on the X server
// of the test run, the console in a terminal with no display, and the bytes through a pipe
// against the native program's. ZORVY_EXE and PROBE_EXE name the Windows programs; WINEPREFIX
// the prefix made for the run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <tuple>
#include <string>
#include <vector>

#include "dialogue.hpp"
#include "tmux_terminal.hpp"
#include "x_session.hpp"

namespace {

using namespace test_support;

// The path that the variable names; a path that names the unset variable otherwise.
std::string exe(const char* variable) {
  return std::getenv(variable) != nullptr ? std::getenv(variable) : "/" + std::string(variable) + "-names-no-program";
}

// The beeps that Wine's log (its standard error) shows asked for in the system's tone, 1000 Hz
// for 250 ms. Wine sounds none; its relay trace (kRelay), of Beep alone, lists each call with its
// arguments.
const std::string kRelay = "WINEDEBUG=-all,+relay ";
int beeps(const std::string& log) { return std::stoi(command_output("grep -c 'Call KERNEL32.Beep(000003e8,000000fa)' " + log + "; true")); }

// Whether the desktop shows the picture somewhere within 10 s.
bool shows_picture(Window desktop, const Grab& picture) {
  return wait_until(10000, 100, [&] { return find_picture(grab_window(desktop), picture).row >= 0; });
}

// Each driver in a Wine desktop, whose display modes can change: DirectDraw by default, GDI by
// name. A close request while the bound is typed is ignored; Delete beeps once at the end of
// the line and not inside it; the dialogue pixel for pixel; Alt+Enter and the maximise box make the desktop the
// picture's 320 x 200, and Alt+Enter brings the window back; a close request ends the final
// wait. Keys go to the desktop that has the focus: focusing it again would deactivate the
// program.
TEST(WineWindow, EachDriverShowsTheDialogueSwitchesToFullScreenAndBack) {
  const Grab dialogue = expected_picture(dialogue_rows(" Zorvy Numbers", "10", {"1", "5", "23"}, "15", "4", 40));
  const std::string run = std::string(WINE_RUN_PATH) + " ";
  // Another prefix's zorvy.exe, with a library named as DirectDraw's: not the test's program.
  command_output("mkdir -p $WINEPREFIX/other && cp /bin/sleep $WINEPREFIX/other/ddraw.dll");
  ChildProcess other("sh", {"-c", "cd $WINEPREFIX/other && WINEPREFIX=$PWD exec bash -c 'exec -a zorvy.exe $PWD/ddraw.dll 600'"});
  for (const std::string driver : {"directx", "gdi"}) {
    const std::string name = "qz" + driver, log = exe("WINEPREFIX") + "/" + name + ".log";
    const TmuxTerminal terminal("QZGFX=" + std::string(driver == "gdi" ? "gdi " : " ") + kRelay + run + "explorer /desktop=" +
                                name + ",1024x768 " + exe("ZORVY_EXE") + " 2> " + log, 80, 25);
    const Window desktop = find_window(name + " - Wine desktop", 30000);
    ASSERT_NE(desktop, 0u) << driver;
    ASSERT_NE(find_window("zorvy", 30000), 0u) << driver;
    focus_and_type_keys(desktop, "1 0");
    send_close_request(find_window("zorvy"));
    xdotool("key Delete");
    for (int waited = 0; waited < 20000 && beeps(log) == 0; waited += 100) usleep(100000);
    EXPECT_EQ(beeps(log), 1) << driver;
    xdotool("key --delay 8 Left Delete 0 Return");
    // The libraries that "DirectX" loads, mapped by a process of the run's Wine prefix that names
    // the program: another zorvy.exe on the machine is not the test's.
    const std::string maps = command_output(
        "for p in /proc/[0-9]*; do grep -qa 'zorvy[.]exe' $p/cmdline && grep -qxzF \"WINEPREFIX=$WINEPREFIX\" "
        "$p/environ && cat $p/maps; done 2>/dev/null; true");
    for (const char* dll : {"/ddraw.dll\n", "/dinput.dll\n"}) EXPECT_EQ(maps.find(dll) < maps.size(), driver == "directx") << dll;
    for (const char* to_full_screen : {"Alt+Enter", "the maximise box"}) {
      EXPECT_TRUE(shows_picture(desktop, dialogue)) << driver << ", before " << to_full_screen;
      command_output(to_full_screen[0] == 'A' ? "xdotool key alt+Return" : run + exe("HELPER_EXE") + " " + name + " zorvy");
      EXPECT_EQ(differing_pixels(desktop, dialogue, 10000), 0) << driver << ", " << to_full_screen;
      xdotool("key alt+Return");
    }
    EXPECT_TRUE(shows_picture(desktop, dialogue)) << driver << ", back";
    // Leaving full screen makes the window anew, and the old one may linger a moment: the close
    // request goes to the window there until none is.
    const auto closed = [] { const Window window = find_window("zorvy", 0); return window == 0 || (send_close_request(window), false); };
    EXPECT_TRUE(wait_until(10000, 500, closed)) << driver << ": the close button did not end the final wait";
    EXPECT_EQ(beeps(log), 1) << driver;
  }
}

// At 192 dots per inch (the prefix's for this test alone) each driver's window is the picture
// at twice its size, each pixel a 2 x 2 block, placed as at 96, and its class's icon is the
// program's (at this density of 64 and 32 pixels). With the focus on another window it takes the
// line from another program, and shows the report while inactive. The close button ends it.
TEST(WineScale, EachDriversWindowTakesTheSystemsWholeScale) {
  const auto set_dpi = [](int dpi) { command_output(std::string(WINE_RUN_PATH) + " reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d " + std::to_string(dpi) + " /f"); };
  const Grab dialogue = scaled_picture(expected_picture(dialogue_rows(" Zorvy Numbers", "10", {"1", "5", "23"}, "15", "4", 40)), 640, 400);
  set_dpi(192);
  for (const std::string driver : {"", "gdi"}) {
    ChildProcess zorvy("sh", {"-c", "QZGFX=" + driver + " exec " + WINE_RUN_PATH + " " + exe("ZORVY_EXE")});
    const Window window = find_window("zorvy", 30000);
    int left = 0, top = 0;
    Window child = 0;
    XTranslateCoordinates(test_display(), window, DefaultRootWindow(test_display()), 0, 0, &left, &top, &child);
    // GDI centres the framed window; DirectX puts its corner where the picture would be centred,
    // (1024 - 640) / 2 and (768 - 400) / 2, the picture inside the frame (3 across, 40 down).
    EXPECT_EQ(std::pair(left, top), driver.empty() ? std::pair(195, 224) : std::pair(192, 202)) << driver;
    EXPECT_EQ(command_output("xprop -id " + std::to_string(window) + kIconInDecimal), own_icon_in_decimal("zorvy", {64, 32}));
    xdotool("windowfocus --sync " + std::to_string(window));
    const Window other = XCreateSimpleWindow(test_display(), DefaultRootWindow(test_display()), 0, 0, 1, 1, 0, 0, 0);
    XMapWindow(test_display(), other);
    XSetInputFocus(test_display(), other, RevertToNone, CurrentTime);
    XSync(test_display(), False);
    command_output(std::string(WINE_RUN_PATH) + " " + exe("HELPER_EXE") + " Default zorvy 10");
    EXPECT_EQ(differing_pixels(window, dialogue, 10000), 0) << driver << zorvy.errors();
    XDestroyWindow(test_display(), other);
    send_close_request(window);
    EXPECT_EQ(zorvy.wait_exit(10000), 0) << driver;
  }
  set_dpi(96);  // the other tests' dots per inch
}

TEST(WineKeys, GiveTheNativeCodes) {
  // é on a key of its own before Wine reads the keyboard's layout: a key that xdotool maps only
  // while it types may reach Wine before the new layout does.
  const SpareKeyEAcute spare_key;
  ChildProcess probe(WINE_RUN_PATH, {exe("PROBE_EXE")});
  const Window window = probe_window(probe, 30000);
  ASSERT_NE(window, 0u);
  expect_key_codes(probe, window, {{"F1", {"15359"}}, {"Up", {"18687"}}, {"shift+F1", {"21759"}},
      {"ctrl+Left", {"29695"}}, {"Delete", {"21503"}}, {"KP_Home", {"18431"}}, {"shift+Tab", {"4095", "9"}},
      {"Tab", {"9"}}, {"93", {"130"}}, {"A", {"65"}}, {"", {"27647"}}, {"q", {"113"}}});
  EXPECT_EQ(probe.wait_exit(10000), 0);
}

// zorvy.exe's input and output as pipes, files and devices: the exit code (-1: still running
// after 6 s, then stopped; any other within a minute), the whole of standard error, and through a pipe the native bytes.
TEST(WineStreams, PipesFilesAndDevicesAsNatively) {
  const std::string endless = exe("WINEPREFIX") + "/endless";  // "7", then 1 TiB of zeros
  command_output("printf '7\\n' > " + endless + " && truncate -s 1T " + endless);
  const std::string no_display = " env -u DISPLAY ", run = no_display + WINE_RUN_PATH + " " + exe("ZORVY_EXE");
  // The input, the output (none: the test's pipe), the exit code and standard error.
  for (const auto& [input, output, code, says] : {std::tuple<std::string, std::string, int, std::string>{
           "printf '10\\n' |", "", 0, ""}, {"printf '1000000\\r\\n' |", "", 0, ""}, {"printf '' |", "", 0, ""},
           {"printf '  3, 99 junk\\nkey' |", "", 0, ""}, {"exec", " < /dev/zero > /dev/null", -1, ""}, {"yes 7 |", " > /dev/null", 0, ""},
           {"exec", " < " + endless + " > /dev/full", 1, "zorvy: cannot write the output: Disk full.\n"},
           // A reader that went away before the first write: a quiet end with a code other than 0.
           {"{", " < " + endless + "; echo \"exit $?\" >&2; } | true; exit 7", 7, "exit 1\n"}}) {
    ChildProcess zorvy("sh", {"-c", input + run + output});
    const int exit_code = zorvy.wait_exit(code == -1 ? 6000 : 60000);  // a loaded machine may need long
    EXPECT_LT(exit_code == -1 ? peak_memory_kib(zorvy.pid()) : 0, 128 << 10) << input << output;  // while running
    zorvy.stop();
    EXPECT_EQ(std::pair(exit_code, zorvy.errors()), std::pair(code, says)) << input << output;
    if (output.empty()) { EXPECT_EQ(zorvy.read_all(), command_output(input + no_display + ZORVY_PATH)) << input; }
  }
}

TEST(WineConsole, TheDialogueRunsOnTheConsoleWithTheLineEditor) {
  const std::string log = exe("WINEPREFIX") + "/console.log";
  const TmuxTerminal terminal("printf \"left over\\n\"; env -u DISPLAY " + kRelay + WINE_RUN_PATH + " " + exe("ZORVY_EXE") +
                              " 2> " + log + "; echo exit=$?; sleep 60", 60, 12);
  // Under 1 s on an idle machine; the bound is for a machine whose other work starves Wine.
  ASSERT_TRUE(terminal.shows("cisla pocitat", 120000)) << "no dialogue on the console";
  EXPECT_FALSE(terminal.shows("left over", 0)) << "the console was not cleared";
  // The dialogue in the colours of the colour statement: blue on magenta.
  EXPECT_NE(terminal.rows(true)[1].find("\x1b[34m\x1b[45m Zorvy Numbers"), std::string::npos);
  // Typed 123, two left, erase the 1, type 4, right, delete the 3, type 0, delete at the end
  // (one beep): 420. The first key is typed alone and awaited before the rest.
  terminal.command("send-keys 1");
  ASSERT_TRUE(terminal.shows("? 1")) << testing::PrintToString(terminal.rows());
  for (const char* key : {"2", "3", "Left", "Left", "BSpace", "4", "Right", "DC", "0", "DC"})
    terminal.command(std::string("send-keys ") + key), usleep(100000);
  ASSERT_TRUE(terminal.shows("? 420")) << testing::PrintToString(terminal.rows());
  terminal.command("send-keys Enter");
  ASSERT_TRUE(terminal.shows("Nejvyssi faktorial"));
  // The report has scrolled past the console window: it shows the native dialogue's last 11
  // rows and the cursor's empty row.
  std::string shown;
  for (const std::string& row : terminal.rows()) shown += row + "\n";
  EXPECT_EQ(shown, command_output(std::string("printf '420\\n' | env -u DISPLAY ") + ZORVY_PATH +
                                  " | tr -d '\\r' | sed 's/ *$//' | tail -n 11; echo"));
  terminal.command("send-keys x");
  EXPECT_TRUE(terminal.shows("exit=0"));
  EXPECT_EQ(beeps(log), 1);
}

}  // namespace
