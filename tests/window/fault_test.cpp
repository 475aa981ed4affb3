// What the programs do when things go wrong around their window: the X server goes away,
// its window is destroyed, the display refuses or never answers, signals arrive, no thread can
// be made, the window is made huge, screens come and go.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "gfx/driver.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"
#include "x_session.hpp"

namespace {

// The entries of a folder of /proc/self: the open files, or the threads.
int entry_count(const char* folder) {
  int count = 0;
  if (DIR* entries = opendir(folder)) {
    while (readdir(entries) != nullptr) ++count;
    closedir(entries);
  }
  return count;
}

TEST(WindowFaults, LosingTheXServerEndsTheProgramWithAMessage) {
  PrivateXServer server;
  ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
  ChildProcess zorvy(ZORVY_PATH, {}, server.display());
  Display* watcher = XOpenDisplay(server.display().c_str());
  ASSERT_NE(watcher, nullptr);
  EXPECT_NE(find_window_on(watcher, "zorvy"), 0u);  // the window is up, the line editor waits
  XCloseDisplay(watcher);
  server.stop();
  EXPECT_EQ(zorvy.wait_exit(3000), 1);
  EXPECT_EQ(zorvy.errors(), "zorvy: lost the connection to the X server\n");
}

TEST(WindowFaults, AWindowDestroyedFromOutsideEndsTheProgramWithAMessage) {
  for (const char* stage : {"typing", "final wait"}) {
    ChildProcess zorvy(ZORVY_PATH);
    const Window window = find_window("zorvy");
    ASSERT_NE(window, 0u) << zorvy.errors();
    if (std::string(stage) == "final wait") focus_and_type_keys(window, "5 Return");
    XDestroyWindow(test_display(), window);
    XSync(test_display(), False);
    EXPECT_EQ(zorvy.wait_exit(3000), 1) << stage;
    EXPECT_EQ(zorvy.errors(), "zorvy: the window was destroyed by another program\n") << stage;
  }
}

// A display that takes the connection but never answers: the dialogue runs on standard output
// instead, without a complaint.
TEST(WindowFaults, ADisplayThatNeverAnswersLeavesTheDialogueToTheOutput) {
  const int silent = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(silent, 4), 0);  // connections are taken by the system, never answered
  getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
  ChildProcess zorvy(ZORVY_PATH, {}, "127.0.0.1:" + std::to_string(ntohs(address.sin_port) - 6000));
  EXPECT_EQ(zorvy.wait_exit(15000), 0);
  EXPECT_EQ(zorvy.errors(), "");
  close(silent);
}

TEST(WindowFaults, AHugeWindowShowsThePictureAtMostAtTheScreensSize) {
  ChildProcess zorvy(ZORVY_PATH);
  const Window window = find_window("zorvy");
  ASSERT_NE(window, 0u) << zorvy.errors();
  focus_and_type_keys(window, "alt+Return");  // full screen takes any size it is given
  usleep(200000);
  XResizeWindow(test_display(), window, 32767, 32767);
  XSync(test_display(), False);
  usleep(1000000);
  EXPECT_LT(peak_memory_kib(zorvy.pid()), 100 << 10);
  // Wider than tall for the picture: the smaller whole factor, 1 here, centred on black.
  XMoveResizeWindow(test_display(), window, 0, 0, 1000, 300);
  XSync(test_display(), False);
  Grab shown;
  for (int waited = 0; waited < 3000 && (shown.width != 1000 || shown.pixels[50 * 1000 + 340] != 0x0000AA);
       waited += 50) {
    usleep(50000);
    shown = grab_window(window);
  }
  ASSERT_EQ(shown.width, 1000);
  EXPECT_EQ(shown.pixels[50 * 1000 + 340], 0x0000AAu);  // the picture's top-left corner
  EXPECT_EQ(shown.pixels[5 * 1000 + 25], 0u);            // black beside it
}

TEST(WindowFaults, TerminationWhileTypingAndHangUpInTheFinalWaitCloseTheWindow) {
  for (const auto& [signal_number, final_wait] : {std::pair{SIGTERM, false}, std::pair{SIGHUP, true}}) {
    ChildProcess zorvy(ZORVY_PATH);
    const Window window = find_window("zorvy");
    ASSERT_NE(window, 0u) << zorvy.errors();
    if (final_wait) focus_and_type_keys(window, "5 Return");
    kill(zorvy.pid(), signal_number);
    EXPECT_NE(zorvy.wait_exit(2000), 0) << signal_number;  // ended by the signal, not the dialogue
    EXPECT_FALSE(window_exists(window)) << signal_number;
  }
}

TEST(WindowFaults, NoThreadForTheWindowLeavesTheDialogueToTheTerminal) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizer needs a thread of its own";
#endif
  rlimit saved{};
  getrlimit(RLIMIT_STACK, &saved);
  rlimit huge = saved;
  huge.rlim_cur = rlim_t{1} << 40;  // threads get stacks this size: none can be made
  setrlimit(RLIMIT_STACK, &huge);
  ChildProcess zorvy(ZORVY_PATH);
  setrlimit(RLIMIT_STACK, &saved);
  EXPECT_EQ(zorvy.wait_exit(), 0) << zorvy.errors();  // the dialogue ran on standard output
}

// Exact counts of threads and open files show a leak at once, so a few dozen windows do.
TEST(WindowFaults, WindowsOpenAndCloseWithoutLeaking) {
  ASSERT_NE(test_display(), nullptr);
  ASSERT_EQ(screen_statement(1, 8, 0, 0, 0), 0);  // whatever the first window sets up for good
  close_screen();
  const int files = entry_count("/proc/self/fd"), threads = entry_count("/proc/self/task");
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(screen_statement(1, 8, 0, 0, 0), 0) << "window " << i;
    ASSERT_EQ(std::string(current_screen()->driver->name), "X11");
    close_screen();
  }
  EXPECT_EQ(entry_count("/proc/self/fd"), files);
  EXPECT_EQ(entry_count("/proc/self/task"), threads);
}

}  // namespace
