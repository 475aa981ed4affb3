#include <gtest/gtest.h>

#include "wayland_session.hpp"

#include <png.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace test_support {

namespace {

namespace fs = std::filesystem;

// A new folder of /tmp, its owner the user the compositor runs as.
std::string runtime_dir() {
  char path[] = "/tmp/qz-wayland.XXXXXX";
  if (mkdtemp(path) == nullptr || (getuid() == 0 && chown(path, 65534, 65534) != 0)) return "";
  return path;
}

// The compositor's command line: its configuration written into its runtime dir, and as root
// run as nobody.
std::vector<std::string> compositor_command(Compositor compositor, const std::string& dir) {
  std::vector<std::string> command = {"-i", "PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + dir};
  if (getuid() == 0) command.insert(command.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", "env"});
  if (compositor == Compositor::kWeston) {
    // No animation, panel or background picture: a window is drawn at once, on one colour.
    std::ofstream(dir + "/weston.ini") << "[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\n"
                                          "focus-animation=none\npanel-position=none\nbackground-color=0xff000000\n";
    command.insert(command.end(), {"weston", "--backend=headless-backend.so", "--use-pixman", "--debug",
                                   "--width=1024", "--height=768", "--config=" + dir + "/weston.ini"});
    return command;
  }
  // Windows without borders, so that a window's rectangle is its content. Xwayland takes only
  // its own user's clients: root is let in, then its display is written where the test finds it.
  const bool xwayland = compositor == Compositor::kSwayWithXwayland;
  std::ofstream(dir + "/config") << "output HEADLESS-1 resolution 1024x768\ndefault_border none\n"
                                    "default_floating_border none\nxwayland " << (xwayland ? "enable" : "disable")
                                 << (xwayland ? "\nexec xhost +si:localuser:root && echo $DISPLAY > " + dir + "/x-display\n" : "\n");
  command.insert(command.end(), {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "sway",
                                 "-c", dir + "/config"});
  return command;
}

// The first entry of the folder whose name starts with prefix and ends with suffix; empty if none.
std::string entry(const std::string& dir, const std::string& prefix, const std::string& suffix = "") {
  std::error_code error;
  for (const auto& e : fs::directory_iterator(dir, error)) {
    const std::string name = e.path().filename();
    if (name.starts_with(prefix) && name.ends_with(suffix) && !name.ends_with(".lock")) return e.path();
  }
  return "";
}

// A picture from rows of 8-bit red, green and blue, step bytes a pixel.
Grab from_bytes(int width, int height, const unsigned char* bytes, int step) {
  Grab grab{width, height, {}};
  for (int i = 0; i < width * height; ++i, bytes += step) grab.pixels.push_back(bytes[0] << 16 | bytes[1] << 8 | bytes[2]);
  return grab;
}

// A binary PPM as grim writes it.
Grab from_ppm(const std::string& ppm) {
  int width = 0, height = 0, header = 0;
  if (std::sscanf(ppm.c_str(), "P6 %d %d 255%*1c%n", &width, &height, &header) != 2 || header == 0) return Grab{};
  return from_bytes(width, height, reinterpret_cast<const unsigned char*>(ppm.data()) + header, 3);
}

Grab from_png(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return Grab{};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return Grab{};
  return from_bytes(static_cast<int>(image.width), static_cast<int>(image.height), bytes.data(), 3);
}

}  // namespace

WaylandSession::WaylandSession(Compositor compositor)
    : compositor_(compositor),
      dir_(runtime_dir()),
      server_(getuid() == 0 ? "setpriv" : "env", compositor_command(compositor, dir_)) {
  const bool sway = compositor != Compositor::kWeston;
  // It answers once its socket is there (and for sway, its IPC socket too).
  started_ = wait_until(10000, 20, [&] {
    return !entry(dir_, "wayland-").empty() && (!sway || !entry(dir_, "sway-ipc.", ".sock").empty());
  });
  setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  setenv("WAYLAND_DISPLAY", fs::path(entry(dir_, "wayland-")).filename().c_str(), 1);
  setenv("SWAYSOCK", entry(dir_, "sway-ipc.", ".sock").c_str(), 1);
  if (compositor == Compositor::kSwayWithXwayland) {
    started_ = started_ && wait_until(10000, 20, [&] { return std::getline(std::ifstream(dir_ + "/x-display"), x_display_) && !x_display_.empty(); });
  }
}

WaylandSession::~WaylandSession() {
  kill(server_.pid(), SIGTERM);
  server_.wait_exit(5000);
  server_.stop();
  // A killed Xwayland leaves its lock and socket.
  if (!x_display_.empty()) {
    for (const std::string& path : {"/tmp/.X" + x_display_.substr(1) + "-lock", "/tmp/.X11-unix/X" + x_display_.substr(1)}) unlink(path.c_str());
  }
  fs::remove_all(dir_);
  for (const char* name : {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "SWAYSOCK"}) unsetenv(name);
}

Grab WaylandSession::screenshot() const {
  if (compositor_ != Compositor::kWeston) return from_ppm(command_output("grim -t ppm -"));
  // weston's screenshooter writes a PNG into the folder it runs in.
  command_output("cd " + dir_ + " && weston-screenshooter");
  const std::string path = entry(dir_, "wayland-screenshot-");
  const Grab grab = from_png(path);
  unlink(path.c_str());
  return grab;
}

Grab sway_window(const std::string& title) {
  const std::string select = "swaymsg -t get_tree | jq -r '.. | select(.name? == \"" + title + "\") | .rect | \"\\(.x),\\(.y) \\(.width)x\\(.height)\"'";
  return from_ppm(command_output("r=$(" + select + ") && [ -n \"$r\" ] && grim -t ppm -g \"$r\" - || true"));
}

int differing_pixels(const std::string& title, const Grab& expected, int timeout_ms) {
  int differing = -1;
  wait_until(timeout_ms, 50, [&] { return (differing = differing_pixels(sway_window(title), expected)) == 0; });
  return differing;
}

// wtype waits a moment first: each call brings a keyboard of its own, whose keymap must reach
// the program before the keys do.
void wtype(const std::string& arguments) {
  EXPECT_EQ(std::system(("wtype -s 200 " + arguments).c_str()), 0) << arguments;
}

void swaymsg(const std::string& command) {
  EXPECT_EQ(std::system(("swaymsg -q '" + command + "'").c_str()), 0) << command;
}

SoundServer::SoundServer()
    : dir_([] {
        char path[] = "/tmp/qz-pulse.XXXXXX";
        return std::string(mkdtemp(path) ? path : "");
      }()),
      server_("env", {"HOME=" + dir_, "XDG_RUNTIME_DIR=" + dir_, "pulseaudio", "-n", "--daemonize=no",
                      "--exit-idle-time=-1", "--use-pid-file=no", "--load=module-null-sink sink_name=out",
                      "--load=module-native-protocol-unix socket=" + dir_ + "/socket auth-anonymous=1"}) {
  wait_until(10000, 20, [&] { return fs::exists(dir_ + "/socket"); });
  setenv("PULSE_SERVER", ("unix:" + dir_ + "/socket").c_str(), 1);
  recorder_ = std::make_unique<ChildProcess>("sh", std::vector<std::string>{"-c", "exec parec -d out.monitor --raw "
      "--format=s16le --rate=8000 --channels=1 > " + dir_ + "/recording"});
}

SoundServer::~SoundServer() {
  recorder_.reset();
  unsetenv("PULSE_SERVER");
  kill(server_.pid(), SIGTERM);
  server_.wait_exit(5000);
  server_.stop();
  fs::remove_all(dir_);
}

std::string SoundServer::recording() {
  kill(recorder_->pid(), SIGINT);  // parec writes what it holds and ends
  recorder_->wait_exit();
  std::ifstream file(dir_ + "/recording", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace test_support
