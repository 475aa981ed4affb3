// GoogleTest comes before the X headers, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "x_session.hpp"

#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

namespace {

bool has_name(Display* d, Window w, const std::string& title) {
  char* name = nullptr;
  const bool match = XFetchName(d, w, &name) && name != nullptr && title == name;
  if (name != nullptr) XFree(name);
  return match;
}

}  // namespace

Display* test_display() {
  static Display* display = [] {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
      ADD_FAILURE() << "DISPLAY is not set: the window tests need an X server (make test starts Xvfb)";
      return static_cast<Display*>(nullptr);
    }
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) ADD_FAILURE() << "cannot open the X display " << name;
    return d;
  }();
  return display;
}

Window find_window(const std::string& title, int timeout_ms) {
  Display* d = test_display();
  if (d == nullptr) return 0;
  for (int waited = 0; waited <= timeout_ms; waited += 20) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
      for (unsigned i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(d, children[i], &attributes) &&
            attributes.map_state == IsViewable && has_name(d, children[i], title)) {
          found = children[i];
        }
      }
      if (children != nullptr) XFree(children);
    }
    if (found != 0) return found;
    usleep(20000);
  }
  return 0;
}

bool window_exists(Window window) {
  Display* d = test_display();
  XSync(d, False);
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XWindowAttributes attributes;
  const bool exists = XGetWindowAttributes(d, window, &attributes) != 0;
  XSync(d, False);
  XSetErrorHandler(previous);
  return exists;
}

Grab grab_window(Window window) {
  Display* d = test_display();
  XWindowAttributes attributes;
  XGetWindowAttributes(d, window, &attributes);
  Grab grab;
  grab.width = attributes.width;
  grab.height = attributes.height;
  XImage* image = XGetImage(d, window, 0, 0, static_cast<unsigned>(grab.width),
                            static_cast<unsigned>(grab.height), AllPlanes, ZPixmap);
  if (image == nullptr) return grab;
  for (int y = 0; y < grab.height; ++y) {
    for (int x = 0; x < grab.width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      const auto channel = [p](unsigned long mask) {
        const int shift = __builtin_ctzl(mask);
        return static_cast<uint32_t>((p & mask) >> shift) * 255 / static_cast<uint32_t>(mask >> shift);
      };
      grab.pixels.push_back(channel(image->red_mask) << 16 | channel(image->green_mask) << 8 |
                            channel(image->blue_mask));
    }
  }
  XDestroyImage(image);
  return grab;
}

void send_close_request(Window window) {
  Display* d = test_display();
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window, False, NoEventMask, &event);
  XFlush(d);
}

void xdotool(const std::string& arguments) {
  const std::string command = "xdotool " + arguments;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

void focus_and_type_keys(Window window, const std::string& keys) {
  xdotool("windowfocus --sync " + std::to_string(window));
  xdotool("key --delay 20 " + keys);
}
