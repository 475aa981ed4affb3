// GoogleTest comes before the X headers, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "x_session.hpp"

#include "child_process.hpp"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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
  return find_window_on(test_display(), title, timeout_ms);
}

namespace {

// The viewable window named title at or below window: a window manager's frames hold the
// programs' windows.
Window find_below(Display* d, Window window, const std::string& title) {
  XWindowAttributes attributes;
  if (has_name(d, window, title) && XGetWindowAttributes(d, window, &attributes) &&
      attributes.map_state == IsViewable) {
    return window;
  }
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(d, window, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && found == 0; ++i) found = find_below(d, children[i], title);
    if (children != nullptr) XFree(children);
  }
  return found;
}

}  // namespace

Window find_window_on(Display* d, const std::string& title, int timeout_ms) {
  if (d == nullptr) return 0;
  for (int waited = 0; waited <= timeout_ms; waited += 20) {
    if (const Window found = find_below(d, DefaultRootWindow(d), title)) return found;
    usleep(20000);
  }
  return 0;
}

Window probe_window(ChildProcess& probe) {
  const std::string ready = probe.read_line();
  EXPECT_EQ(ready, "ready") << probe.errors();
  return ready == "ready" ? find_window("window_probe") : 0;
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

Grab grab_window(Window window, Display* display) {
  Display* d = display != nullptr ? display : test_display();
  XWindowAttributes attributes;
  XGetWindowAttributes(d, window, &attributes);
  Grab grab;
  grab.width = attributes.width;
  grab.height = attributes.height;
  // A window being resized or moved by a window manager may not be grabbable for a moment.
  XSync(d, False);
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XImage* image = XGetImage(d, window, 0, 0, static_cast<unsigned>(grab.width),
                            static_cast<unsigned>(grab.height), AllPlanes, ZPixmap);
  XSync(d, False);
  XSetErrorHandler(previous);
  if (image == nullptr) return Grab{};
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

namespace {

uint32_t crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

void put32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void put_chunk(std::string& png, const char* type, const std::string& data) {
  put32(png, static_cast<uint32_t>(data.size()));
  const std::string body = type + data;
  png += body;
  put32(png, crc32(body));
}

}  // namespace

bool write_png(const Grab& grab, const std::string& path) {
  std::vector<uint32_t> palette;
  for (uint32_t p : grab.pixels) {
    if (std::find(palette.begin(), palette.end(), p) == palette.end()) palette.push_back(p);
  }
  if (palette.size() > 4) return false;
  std::string raw;  // each line: filter byte 0, then 4 pixels per byte
  for (int y = 0; y < grab.height; ++y) {
    raw += '\0';
    for (int x = 0; x < grab.width; x += 4) {
      uint8_t packed = 0;
      for (int i = 0; i < 4 && x + i < grab.width; ++i) {
        const auto index = std::find(palette.begin(), palette.end(),
                                     grab.pixels[static_cast<size_t>(y * grab.width + x + i)]) -
                           palette.begin();
        packed |= static_cast<uint8_t>(index << (6 - 2 * i));
      }
      raw += static_cast<char>(packed);
    }
  }
  std::string z = "\x78\x01";  // a zlib stream of stored blocks
  for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const auto length = static_cast<uint16_t>(std::min<size_t>(65535, raw.size() - at));
    z += static_cast<char>(at + length >= raw.size() ? 1 : 0);
    z += static_cast<char>(length & 0xFF);
    z += static_cast<char>(length >> 8);
    z += static_cast<char>(~length & 0xFF);
    z += static_cast<char>((~length >> 8) & 0xFF);
    z += raw.substr(at, length);
  }
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  put32(z, b << 16 | a);
  std::string header, colours;
  put32(header, static_cast<uint32_t>(grab.width));
  put32(header, static_cast<uint32_t>(grab.height));
  header += std::string("\x02\x03\x00\x00\x00", 5);  // 2 bits, palette, no interlace
  for (uint32_t p : palette) {
    colours += static_cast<char>(p >> 16);
    colours += static_cast<char>((p >> 8) & 0xFF);
    colours += static_cast<char>(p & 0xFF);
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  put_chunk(png, "IHDR", header);
  put_chunk(png, "PLTE", colours);
  put_chunk(png, "IDAT", z);
  put_chunk(png, "IEND", "");
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && written;
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

pid_t start_program(const char* program, const std::vector<std::string>& arguments,
                    const std::string& display) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    execvp(program, argv.data());
    _exit(127);
  }
  return pid;
}

void stop_program(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

PrivateXServer::PrivateXServer(const char* screen, const char* auth_file) {
  int ready[2];
  if (pipe(ready) != 0) return;
  std::vector<std::string> arguments = {"-displayfd", std::to_string(ready[1]), "-screen", "0",
                                        screen, "-nolisten", "tcp", "-noreset"};
  if (auth_file != nullptr) arguments.insert(arguments.end(), {"-auth", auth_file});
  pid_ = start_program("Xvfb", arguments);
  close(ready[1]);
  std::string number;
  char c;
  while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
  close(ready[0]);
  for (int waited = 0; !number.empty() && waited < 5000; waited += 20) {
    if (Display* d = XOpenDisplay((":" + number).c_str())) {
      XCloseDisplay(d);
      display_ = ":" + number;
      return;
    }
    usleep(20000);
  }
}
