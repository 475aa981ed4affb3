#include "gfx/x11/x11_driver.hpp"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/scrnsaver.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "gfx/posix/window_thread.hpp"
#include "gfx/screen.hpp"
#include "gfx/window.hpp"
#include "gfx/x11/window_icon.hpp"
#include "gfx/x11/x11_window.hpp"
#include "runtime/keyed_sleep.hpp"
#include "runtime/platform.hpp"

namespace {

// The sockets the process had open before the window's thread started: any other is its
// connection to the X server.
std::vector<int> sockets_before;

X11Window x11;

// Set once the display refused the connection or did not answer in time: it is not asked
// again, since the X library would complain at every try and a server that never answers
// would hold every try up.
bool display_refused = false;

// What the program says when the connection to the X server breaks or the window is destroyed
// from outside, named at init.
char connection_lost_message[256];
char window_lost_message[256];

// The connection to the X server broke: nothing can be shown or typed any more, so the
// program ends at once, saying why.
int connection_lost(Display*) { fatal_exit(connection_lost_message); }

// A request on the window failed: another client destroyed it.
int request_failed(Display*, XErrorEvent*) { x11_window_lost(); }

// Connects to the display. The X library's complaint about a refused connection is kept off
// standard error: the program runs on without a window, on the terminal it has just cleared.
Display* open_display() {
  const int saved_stderr = dup(STDERR_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  if (saved_stderr >= 0 && null >= 0) dup2(null, STDERR_FILENO);
  Display* display = XOpenDisplay(nullptr);
  if (saved_stderr >= 0 && null >= 0) dup2(saved_stderr, STDERR_FILENO);
  for (int fd : {saved_stderr, null}) {
    if (fd >= 0) close(fd);
  }
  if (display == nullptr) display_refused = true;
  return display;
}

// The sockets the process has open.
std::vector<int> open_sockets() {
  std::vector<int> sockets;
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(fds)) {
      char target[64] = "";
      const std::string link = std::string("/proc/self/fd/") + entry->d_name;
      if (readlink(link.c_str(), target, sizeof target - 1) > 0 &&
          std::strncmp(target, "socket:", 7) == 0) {
        sockets.push_back(std::atoi(entry->d_name));
      }
    }
    closedir(fds);
  }
  return sockets;
}

// The visual's pixels: channel masks for true colour of 16 to 32 bits, palette indices for an
// 8-bit colour map (whose cells x11_allocate_colors allocates).
bool find_pixel_format(DisplayFormat& f, const Visual* visual, int bits_per_pixel) {
  if (visual->c_class == PseudoColor && bits_per_pixel == 8) {
    f = DisplayFormat{0, 0, 0, 1};
    return true;
  }
  if (visual->c_class != TrueColor || (bits_per_pixel != 16 && bits_per_pixel != 24 && bits_per_pixel != 32)) {
    return false;
  }
  f = DisplayFormat{static_cast<uint32_t>(visual->red_mask), static_cast<uint32_t>(visual->green_mask),
                    static_cast<uint32_t>(visual->blue_mask), bits_per_pixel / 8};
  return true;
}

int bits_per_pixel_of(Display* display, int depth) {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  int bits = 0;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
  }
  if (formats != nullptr) XFree(formats);
  return bits;
}

// Only a minimum size: a window manager offers no maximise button to a window whose minimum
// and maximum sizes agree. Any other size change is undone by the configure handler.
void set_size_limits() {
  const GfxWindow& w = gfx_window();
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = PMinSize;
  hints->min_width = w.width * x11.desktop_scale;
  hints->min_height = w.height * x11.desktop_scale;
  XSetWMNormalHints(x11.display, x11.window, hints);
  XFree(hints);
}

void set_utf8_property(Atom property, const std::string& text) {
  XChangeProperty(x11.display, x11.window, property, x11.utf8_string, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

// The title as the window's and its icon's name, and the process that owns the window.
void name_window() {
  const GfxWindow& w = gfx_window();
  XStoreName(x11.display, x11.window, w.title.c_str());
  XSetIconName(x11.display, x11.window, w.title.c_str());
  set_utf8_property(x11.net_wm_name, w.title);
  set_utf8_property(XInternAtom(x11.display, "_NET_WM_ICON_NAME", False), w.title);
  const long pid = getpid();
  XChangeProperty(x11.display, x11.window, XInternAtom(x11.display, "_NET_WM_PID", False), XA_CARDINAL,
                  32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  char host[256] = "";
  gethostname(host, sizeof host - 1);
  char* host_list[] = {host};
  XTextProperty machine{};
  if (XStringListToTextProperty(host_list, 1, &machine)) {
    XSetWMClientMachine(x11.display, x11.window, &machine);
    XFree(machine.value);
  }
  // The class, the name capitalised as X resources have it, is what desktop menus match the
  // window with ("zorvy", "Zorvy").
  std::string class_name = w.title;
  if (!class_name.empty()) class_name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(class_name[0])));
  XClassHint hint{const_cast<char*>(w.title.c_str()), class_name.data()};
  XSetClassHint(x11.display, x11.window, &hint);
}

// The icon that taskbars and window switchers show: the program's own, found by the name that
// titles the window; a program without one shows the window manager's. A property of format 32
// is given as longs.
void set_icon() {
  const WindowIcon* own = find_window_icon(gfx_window().title);
  if (own == nullptr) return;
  const std::vector<unsigned long> icon(own->values, own->values + own->size);
  XChangeProperty(x11.display, x11.window, XInternAtom(x11.display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                  static_cast<int>(icon.size()));
}

void intern_atoms() {
  const auto atom = [](const char* name) { return XInternAtom(x11.display, name, False); };
  x11.wm_protocols = atom("WM_PROTOCOLS");
  x11.wm_delete_window = atom("WM_DELETE_WINDOW");
  x11.net_wm_name = atom("_NET_WM_NAME");
  x11.utf8_string = atom("UTF8_STRING");
  x11.net_wm_state = atom("_NET_WM_STATE");
  x11.net_wm_state_fullscreen = atom("_NET_WM_STATE_FULLSCREEN");
  x11.net_wm_state_maximized_vert = atom("_NET_WM_STATE_MAXIMIZED_VERT");
  x11.net_wm_state_maximized_horz = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
}

void suspend_screen_saver(bool suspend) {
  int event_base = 0, error_base = 0;
  if (!XScreenSaverQueryExtension(x11.display, &event_base, &error_base)) return;
  if (suspend == x11.screen_saver_suspended) return;
  XScreenSaverSuspend(x11.display, suspend);
  x11.screen_saver_suspended = suspend;
}

// Opens the window of exactly the screen's size at the desktop's scale, centred, not resizable.
bool open_window() {
  x11.display = open_display();
  if (x11.display == nullptr) return false;
  XSetIOErrorHandler(connection_lost);
  XSetErrorHandler(request_failed);
  const int screen = DefaultScreen(x11.display);
  x11.visual = DefaultVisual(x11.display, screen);
  x11.visual_depth = DefaultDepth(x11.display, screen);
  if (!find_pixel_format(x11.format, x11.visual, bits_per_pixel_of(x11.display, x11.visual_depth))) {
    return false;
  }
  x11.colormap = x11.visual->c_class == PseudoColor ? DefaultColormap(x11.display, screen) : None;
  intern_atoms();
  GfxWindow& w = gfx_window();
  x11.desktop_scale = x11_desktop_scale(x11.display, w.width, w.height);
  const int width = w.width * x11.desktop_scale;
  const int height = w.height * x11.desktop_scale;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(x11.display, screen);
  attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                          PointerMotionMask | EnterWindowMask | LeaveWindowMask | ExposureMask |
                          StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
  const int left = (DisplayWidth(x11.display, screen) - width) / 2;
  const int top = (DisplayHeight(x11.display, screen) - height) / 2;
  x11.window = XCreateWindow(x11.display, RootWindow(x11.display, screen), left, top,
                           static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                           CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixel | CWEventMask, &attributes);
  x11.client_width = width;
  x11.client_height = height;
  x11.gc = XCreateGC(x11.display, x11.window, 0, nullptr);
  name_window();
  set_icon();
  set_size_limits();
  XSetWMProtocols(x11.display, x11.window, &x11.wm_delete_window, 1);
  XkbSetDetectableAutoRepeat(x11.display, True, nullptr);
  if (!x11_layout_picture(x11)) return false;
  XMapRaised(x11.display, x11.window);
  if (w.flags & GFX_FULLSCREEN) x11_toggle_fullscreen(x11);
  suspend_screen_saver(true);
  XSync(x11.display, False);
  return true;
}

void close_window() {
  if (x11.display == nullptr) return;
  x11_destroy_image(x11);
  x11_free_colors(x11);
  suspend_screen_saver(false);
  if (x11.gc != nullptr) XFreeGC(x11.display, x11.gc);
  if (x11.window != 0) XDestroyWindow(x11.display, x11.window);
  XCloseDisplay(x11.display);
  x11 = X11Window{};
}

// One cycle: show what changed, then take every pending event, all under the driver lock.
void present_cycle() {
  GfxWindow& w = gfx_window();
  driver_lock();
  GfxScreen* screen = current_screen();
  if (screen != nullptr) x11_present(x11, *screen);
  if (w.bell_requested) {
    XBell(x11.display, 0);
    w.bell_requested = false;
  }
  while (XPending(x11.display) > 0) {
    XEvent event;
    XNextEvent(x11.display, &event);
    x11_dispatch_event(x11, event);
  }
  driver_unlock();
}

// Waits a cycle, or less when the server sends something: keys are looked up as soon as they
// come, while the key map they were typed with still holds (tools that type characters
// missing from the layout map them on a spare key only for the moment of the key).
void wait_for_events() {
  struct pollfd events {ConnectionNumber(x11.display), POLLIN, 0};
  if (XEventsQueued(x11.display, QueuedAlready) == 0) poll(&events, 1, kPresentCycleMs);
}

// The cycle's wait, then one cycle.
void wait_and_present() {
  wait_for_events();
  present_cycle();
}

// A server that takes the connection but never answers would hold the opening for ever: the
// sockets the thread opened (only it opens any) are shut down, which fails the connection, and
// the display is not asked again.
void shut_down_connection() {
  for (int fd : open_sockets()) {
    if (std::find(sockets_before.begin(), sockets_before.end(), fd) == sockets_before.end()) {
      shutdown(fd, SHUT_RDWR);
    }
  }
}

int32_t init(const char* title, int32_t width, int32_t height, int32_t, int32_t,
             int32_t flags) {
  if (flags & GFX_OPENGL) return -1;
  if (display_refused) return -1;
  window_reset(title, width, height, flags);
  std::snprintf(connection_lost_message, sizeof connection_lost_message,
                "%s: lost the connection to the X server\n", title);
  std::snprintf(window_lost_message, sizeof window_lost_message,
                "%s: the window was destroyed by another program\n", title);
  sockets_before = open_sockets();
  return start_window_thread({open_window, wait_and_present, close_window, shut_down_connection}) ? 0 : -1;
}

// Asks the window manager to add or remove up to two states of the window.
void request_wm_state(const X11Window& window, bool add, Atom first, Atom second) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window.window;
  event.xclient.message_type = window.net_wm_state;
  event.xclient.format = 32;
  event.xclient.data.l[0] = add ? 1 : 0;
  event.xclient.data.l[1] = static_cast<long>(first);
  event.xclient.data.l[2] = static_cast<long>(second);
  event.xclient.data.l[3] = 1;  // a normal application
  XSendEvent(window.display, DefaultRootWindow(window.display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

void x11_window_lost() { fatal_exit(window_lost_message); }

void x11_toggle_fullscreen(X11Window& window) {
  GfxWindow& w = gfx_window();
  if (w.flags & GFX_NO_SWITCHING) return;
  if (w.mouse.inside) window_mouse_left();
  window.fullscreen = !window.fullscreen;
  w.flags ^= GFX_FULLSCREEN;
  // A maximised window leaves that state, so that leaving full screen gives the window back.
  request_wm_state(window, false, window.net_wm_state_maximized_vert,
                   window.net_wm_state_maximized_horz);
  request_wm_state(window, window.fullscreen, window.net_wm_state_fullscreen, None);
  window_fullscreen_switched();
}

const GfxDriver kX11Driver{"X11", init, stop_window_thread, driver_lock, driver_unlock,
                           window_set_palette};
