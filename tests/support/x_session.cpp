// GoogleTest comes before the X headers, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "x_session.hpp"

#include <X11/Xutil.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "gfx/x11/window_icon.hpp"

namespace test_support {

// Without an X server the run stops at the first test that needs it, with one clear message.
Display* test_display() {
  static Display* const display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display: the window tests need an X server, which make test starts\n");
    std::exit(1);
  }
  return display;
}

namespace {

// Runs the calls with X errors ignored: windows may go while they are looked at (a window
// manager's own, for one), and a window being resized or moved gives no picture.
template <typename Calls>
void ignoring_x_errors(Display* d, Calls calls) {
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  calls();
  XSync(d, False);
  XSetErrorHandler(previous);
}

// The viewable window named title at or below window: a window manager's frames hold the
// programs' windows.
Window find_below(Display* d, Window window, const std::string& title) {
  char* name = nullptr;
  const bool named = XFetchName(d, window, &name) && name != nullptr && title == name;
  if (name != nullptr) XFree(name);
  XWindowAttributes attributes;
  if (named && XGetWindowAttributes(d, window, &attributes) && attributes.map_state == IsViewable) return window;
  Window root = 0, parent = 0, *children = nullptr, found = 0;
  unsigned count = 0;
  if (XQueryTree(d, window, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && found == 0; ++i) found = find_below(d, children[i], title);
    if (children != nullptr) XFree(children);
  }
  return found;
}

}  // namespace

Window find_window(const std::string& title, int timeout_ms, Display* display) {
  Display* d = display != nullptr ? display : test_display();
  Window found = 0;
  wait_until(timeout_ms, 20, [&] {
    if (d != nullptr) ignoring_x_errors(d, [&] { found = find_below(d, DefaultRootWindow(d), title); });
    return d == nullptr || found != 0;
  });
  return found;
}

Grab expected_picture(const std::vector<std::string>& rows, Cell cursor) {
  // At 16 bits, 5, 6 and 5 bits of red, green and blue keep 0xAA as 0xAC, 0xAA.
  const bool bits16 = DefaultDepth(test_display(), 0) == 16;
  return bits16 ? text_picture(rows, cursor, 0x0000AC, 0xACAAAC) : text_picture(rows, cursor);
}

std::string own_icon_in_decimal(const char* program, const std::vector<uint32_t>& sizes) {
  const WindowIcon* icon = find_window_icon(program);
  std::string listing;
  for (const uint32_t size : sizes) {
    for (size_t i = 0; icon != nullptr && i < icon->size; i += 2 + icon->values[i] * icon->values[i + 1]) {
      for (size_t v = i; icon->values[i] == size && v < i + 2 + size * size; ++v) listing += (listing.empty() ? "" : ", ") + std::to_string(icon->values[v]);
    }
  }
  return "_NET_WM_ICON = " + listing + "\n";
}

Grab grab_window(Window window, Display* display) {
  Display* d = display != nullptr ? display : test_display();
  XWindowAttributes attributes{};
  XImage* image = nullptr;
  ignoring_x_errors(d, [&] {
    if (XGetWindowAttributes(d, window, &attributes) != 0) {
      image = XGetImage(d, window, 0, 0, static_cast<unsigned>(attributes.width),
                        static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    }
  });
  if (image == nullptr) return Grab{};
  Grab grab{attributes.width, attributes.height, {}};
  // A colour map's pixels name its cells: their colours are read from the map.
  std::vector<XColor> cells(attributes.visual->c_class == PseudoColor ? attributes.visual->map_entries : 0);
  for (size_t i = 0; i < cells.size(); ++i) cells[i].pixel = i;
  if (!cells.empty()) XQueryColors(d, attributes.colormap, cells.data(), static_cast<int>(cells.size()));
  for (int y = 0; y < grab.height; ++y) {
    for (int x = 0; x < grab.width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      const auto channel = [p](unsigned long mask) {
        const int shift = __builtin_ctzl(mask);
        return static_cast<uint32_t>((p & mask) >> shift) * 255 / static_cast<uint32_t>(mask >> shift);
      };
      grab.pixels.push_back(!cells.empty() ? static_cast<uint32_t>((cells[p].red >> 8) << 16 | (cells[p].green >> 8) << 8 | cells[p].blue >> 8)
                                           : channel(image->red_mask) << 16 | channel(image->green_mask) << 8 |
                                                 channel(image->blue_mask));
    }
  }
  XDestroyImage(image);
  return grab;
}

int differing_pixels(Window window, const Grab& expected, int timeout_ms, Display* display) {
  return differing_pixels([&] { return grab_window(window, display); }, expected, timeout_ms);
}

void send_client_message(Display* d, Window window, const char* type, std::vector<long> data) {
  XEvent event{.xclient = {ClientMessage, 0, False, d, window, XInternAtom(d, type, False), 32, {}}};
  std::copy(data.begin(), data.end(), event.xclient.data.l);
  // Sent to the root, a window manager takes it; sent to the window, the program does.
  const bool to_manager = std::string(type) != "WM_PROTOCOLS";
  ignoring_x_errors(d, [&] {  // the window may be going
    XSendEvent(d, to_manager ? DefaultRootWindow(d) : window, False,
               to_manager ? SubstructureRedirectMask | SubstructureNotifyMask : NoEventMask, &event);
  });
}

void send_close_request(Window window) {
  Display* d = test_display();
  send_client_message(d, window, "WM_PROTOCOLS", {static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False)), CurrentTime});
}

void xdotool(const std::string& arguments, const std::string& display) {
  const std::string command = (display.empty() ? "" : "DISPLAY=" + display + " ") + "xdotool " + arguments;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

void focus_and_type_keys(Window window, const std::string& keys, const std::string& display) {
  xdotool("windowfocus --sync " + std::to_string(window) + " key --delay 8 " + keys, display);
}

Window probe_window(ChildProcess& probe, int timeout_ms) {
  const std::string ready = probe.read_line(timeout_ms);
  EXPECT_EQ(ready, "ready") << probe.errors();
  return ready == "ready" ? find_window("window_probe") : 0;
}

void expect_key_codes(ChildProcess& probe, Window window, const std::vector<KeyCodes>& rows) {
  for (const KeyCodes& row : rows) {
    *row.keys != '\0' ? focus_and_type_keys(window, row.keys) : send_close_request(window);
    for (size_t i = 0; i < row.codes.size(); ++i) {
      std::string code = probe.read_line();
      if (code.empty() && i == 0 && *row.keys != '\0') {
        // Wine may drop keys typed while it is still taking the focus: they are typed again.
        focus_and_type_keys(window, row.keys);
        code = probe.read_line();
      }
      EXPECT_EQ(code, row.codes[i]) << row.keys << ": " << probe.errors();
    }
  }
}

PrivateXServer::PrivateXServer(std::vector<std::string> options)
    : server_("Xvfb", [&options] {
        options.insert(options.begin(), {"-displayfd", "1", "-nolisten", "tcp", "-noreset"});
        return options;
      }()) {
  const std::string number = server_.read_line();
  Display* d = nullptr;
  if (!number.empty() && wait_until(5000, 20, [&] { return (d = XOpenDisplay((":" + number).c_str())) != nullptr; })) {
    XCloseDisplay(d);
    display_ = ":" + number;
  }
}

PrivateXServer::~PrivateXServer() {
  // The server then removes its socket itself, also one that the test stopped.
  for (const int signal_number : {SIGTERM, SIGCONT}) kill(server_.pid(), signal_number);
  server_.wait_exit(2000);  // else it is killed with server_
}

}  // namespace test_support
