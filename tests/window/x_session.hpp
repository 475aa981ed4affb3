#pragma once
// What the window tests need of the X server: finding a program's window, reading its
// picture back, sending it a close request, and typing with xdotool.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct Grab {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row after row
};

// The test's own connection to the server named by DISPLAY; the test fails without one.
Display* test_display();

// The top-level window whose name is title, waiting up to timeout_ms; 0 when none appears.
// The server is the test's own, or the one display is connected to.
Window find_window(const std::string& title, int timeout_ms = 5000);
Window find_window_on(Display* display, const std::string& title, int timeout_ms = 5000);
bool window_exists(Window window);

// The window of a started window probe, once it reported ready; 0 when it did not.
class ChildProcess;
Window probe_window(ChildProcess& probe);

// The window's client area as the server shows it now.
Grab grab_window(Window window, Display* display = nullptr);

// Writes a picture of at most four colours as a PNG file (2 bits per pixel, not compressed).
bool write_png(const Grab& grab, const std::string& path);

// What a window manager sends when the close button is clicked.
void send_close_request(Window window);

// Runs xdotool with the arguments (the window's keyboard focus first, for keys).
void xdotool(const std::string& arguments);
void focus_and_type_keys(Window window, const std::string& keys);

// Starts a program with its arguments (on display, when given), its output discarded;
// stop_program kills it.
pid_t start_program(const char* program, const std::vector<std::string>& arguments,
                    const std::string& display = "");
void stop_program(pid_t& pid);

// An X server of the test's own, which the test may take away. The server picks a free display
// number itself and the test goes on once it answers, so servers starting at the same time
// elsewhere do not disturb it. display() is empty when it did not start. With auth_file, only
// clients holding its cookie are let in.
class PrivateXServer {
 public:
  explicit PrivateXServer(const char* screen = "640x480x24", const char* auth_file = nullptr);
  ~PrivateXServer() { stop(); }
  const std::string& display() const { return display_; }
  void stop() { stop_program(pid_); }

 private:
  pid_t pid_ = -1;
  std::string display_;
};
