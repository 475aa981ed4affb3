#pragma once
// What the window tests need of the X server: finding a program's window, reading its
// picture back, sending it a close request, typing with xdotool, and a server of their own.
#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "picture.hpp"

namespace test_support {

// The test's own connection to the server named by DISPLAY; the run stops without one.
Display* test_display();

// The top-level window whose name is title, waiting up to timeout_ms; 0 when none appears.
// The server is the one display is connected to, or the test's own.
Window find_window(const std::string& title, int timeout_ms = 5000, Display* display = nullptr);

// The text picture (picture.hpp) in the colours the test's server shows.
Grab expected_picture(const std::vector<std::string>& rows, Cell cursor = {-1, -1});

// The arguments that make xprop list a window's _NET_WM_ICON in decimal, and that list for the
// program's own icons of the sizes, in that order.
inline constexpr char kIconInDecimal[] = " -notype -f _NET_WM_ICON 32c ' = $0+\\n' _NET_WM_ICON";
std::string own_icon_in_decimal(const char* program, const std::vector<uint32_t>& sizes);

// The window's client area as the server shows it now.
Grab grab_window(Window window, Display* display = nullptr);

// Waits up to timeout_ms until the window shows the picture; the number of differing pixels
// otherwise (-1 when the window's size stays another).
int differing_pixels(Window window, const Grab& expected, int timeout_ms = 5000,
                     Display* display = nullptr);

// A client message of the type and data about the window: the window manager's own (to the
// root window), or the WM_PROTOCOLS a window manager sends the window.
void send_client_message(Display* display, Window window, const char* type, std::vector<long> data);

// What a window manager sends when the close button is clicked.
void send_close_request(Window window);

// Runs xdotool with the arguments (the window's keyboard focus first, for keys), on the
// display named or the test's own.
void xdotool(const std::string& arguments, const std::string& display = "");
void focus_and_type_keys(Window window, const std::string& keys, const std::string& display = "");

// The window of a started window probe, once it reported ready; 0 when it did not.
Window probe_window(ChildProcess& probe, int timeout_ms = 5000);

// Keys as xdotool names them (empty: the close button) and the codes the probe reports.
struct KeyCodes { const char* keys; std::vector<std::string> codes; };
void expect_key_codes(ChildProcess& probe, Window window, const std::vector<KeyCodes>& rows);

// é on key code 93, which has no symbols in the server's layout, on every level while it lives:
// the probes' rows type it as "93". xdotool types a character missing from the layout by mapping
// it on a spare key only for the moment of the key, which a client reading the key after the
// mapping is undone cannot look up; a key of the layout has no such race. xdotool takes a number
// of two digits or more as a key code.
struct SpareKeyEAcute {
  SpareKeyEAcute() { command_output("xmodmap -e 'keycode 93 = eacute eacute eacute eacute'"); }
  ~SpareKeyEAcute() { command_output("xmodmap -e 'keycode 93 ='"); }
};

// An X server of the test's own, which the test may take away. The server picks a free display
// number itself and the test goes on once it answers, so servers starting at the same time
// elsewhere do not disturb it. display() is empty when it did not start.
class PrivateXServer {
 public:
  // Xvfb takes the options besides its own, a screen of its default size for one.
  explicit PrivateXServer(std::vector<std::string> options = {});
  ~PrivateXServer();  // stops the server, which removes its socket
  const std::string& display() const { return display_; }
  pid_t pid() const { return server_.pid(); }  // for signals: to stop it, or to end it early

 private:
  ChildProcess server_;
  std::string display_;
};

}  // namespace test_support
