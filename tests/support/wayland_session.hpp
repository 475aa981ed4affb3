#pragma once
// What the Wayland window tests need: a headless compositor of the test's own (sway, or weston
// where the program must draw its own frame), a window's picture read back from it, keys typed
// through a virtual keyboard, and a sound server that records what it is played.
#include <string>

#include "child_process.hpp"
#include "picture.hpp"

namespace test_support {

enum class Compositor { kSway, kSwayWithXwayland, kWeston };

// A compositor with one 1024 x 768 output (sway's keys repeat after a second, twice a second),
// as root run as nobody (sway refuses root), in a runtime dir of its own that goes with it.
// While it lives, the test's environment names it (XDG_RUNTIME_DIR, WAYLAND_DISPLAY, and
// SWAYSOCK for swaymsg), so that the programs the test starts and the tools it runs reach it.
class WaylandSession {
 public:
  explicit WaylandSession(Compositor compositor);
  ~WaylandSession();
  bool started() const { return started_; }
  pid_t pid() const { return server_.pid(); }  // to take it away
  const std::string& x_display() const { return x_display_; }  // Xwayland's, when it has one
  Grab weston_screenshot() const;  // the whole output

 private:
  std::string dir_;
  ChildProcess server_;
  std::string x_display_;
  bool started_ = false;
};

// The window titled title as sway shows it, in device pixels: its rectangle from sway's tree,
// grabbed with grim. Empty while there is no such window.
Grab sway_window(const std::string& title);

// What sway's tree says of the window titled title: app id, shell, whether it floats, the size
// of its surface.
std::string sway_window_kind(const std::string& title);

// Runs wtype with the arguments (keys typed or held) and swaymsg with a command; each must
// succeed.
void wtype(const std::string& arguments);
void swaymsg(const std::string& command);

// While it lives, the programs' sound server: a PulseAudio of the test's own playing into a null
// sink, whose sound is recorded. The sink never rewinds (which would drop what it had played
// already), and a loopback of silence keeps it awake, so that a stream starts within 40 ms.
class SoundServer {
 public:
  SoundServer();
  ~SoundServer();
  std::string recording() const;  // so far: 16-bit mono samples at 44100 Hz

 private:
  std::string dir_;
  ChildProcess server_;  // a shell with the server and the recorder, in its process group
};

}  // namespace test_support
