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

// A new folder of /tmp, for a compositor owned by nobody when the test runs as root.
std::string new_folder(bool for_compositor) {
  char path[] = "/tmp/qz-wayland.XXXXXX";
  if (mkdtemp(path) == nullptr || (for_compositor && getuid() == 0 && chown(path, 65534, 65534) != 0)) return "";
  return path;
}

// The compositor's command line after env, its configuration written into its runtime dir.
std::vector<std::string> compositor_command(Compositor compositor, const std::string& dir) {
  std::vector<std::string> command = {"-i", "PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + dir};
  if (getuid() == 0) command.insert(command.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", "env"});
  if (compositor == Compositor::kWeston) {
    // No animation or panel, a black desktop: a window is drawn at once, on one colour.
    std::ofstream(dir + "/weston.ini") << "[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\n"
                                          "focus-animation=none\npanel-position=none\nbackground-color=0xff000000\n";
    command.insert(command.end(), {"weston", "--backend=headless-backend.so", "--use-pixman", "--debug",
                                   "--width=1024", "--height=768", "--config=" + dir + "/weston.ini"});
    return command;
  }
  // Windows without borders, so that a window's rectangle is its content, and keys that repeat
  // after a second, twice a second, unlike the programs' own defaults. Xwayland takes only
  // its own user's clients: root is let in, then its display is written where the test finds it.
  const bool xwayland = compositor == Compositor::kSwayWithXwayland;
  std::ofstream(dir + "/config") << "output HEADLESS-1 resolution 1024x768\ndefault_border none\n"
                                    "input type:keyboard {\nrepeat_delay 1000\nrepeat_rate 2\n}\n"
                                    "default_floating_border none\nxwayland " << (xwayland ? "enable" : "disable")
                                 << (xwayland ? "\nexec xhost +si:localuser:root && echo $DISPLAY > " + dir + "/x-display\n" : "\n");
  command.insert(command.end(), {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "sway",
                                 "-c", dir + "/config"});
  return command;
}

// The name of the first socket in the folder whose name starts with prefix; empty if none.
std::string socket_named(const std::string& dir, const std::string& prefix) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().starts_with(prefix) && entry.is_socket()) return entry.path().filename();
  }
  return "";
}

// A picture from 8-bit red, green and blue, pixel after pixel.
Grab from_rgb(int width, int height, const unsigned char* bytes) {
  Grab grab{width, height, {}};
  for (int i = 0; i < width * height; ++i, bytes += 3) grab.pixels.push_back(bytes[0] << 16 | bytes[1] << 8 | bytes[2]);
  return grab;
}

}  // namespace

WaylandSession::WaylandSession(Compositor compositor)
    : dir_(new_folder(true)), server_(getuid() == 0 ? "setpriv" : "env", compositor_command(compositor, dir_)) {
  // It answers once its socket is there, and sway's IPC socket.
  started_ = wait_until(10000, 20, [&] {
    return !socket_named(dir_, "wayland-").empty() && (compositor == Compositor::kWeston || !socket_named(dir_, "sway-ipc.").empty());
  });
  setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  setenv("WAYLAND_DISPLAY", socket_named(dir_, "wayland-").c_str(), 1);
  setenv("SWAYSOCK", (dir_ + "/" + socket_named(dir_, "sway-ipc.")).c_str(), 1);
  if (compositor == Compositor::kSwayWithXwayland) {
    started_ = started_ && wait_until(10000, 20, [&] { return std::getline(std::ifstream(dir_ + "/x-display"), x_display_) && !x_display_.empty(); });
  }
}

WaylandSession::~WaylandSession() {
  for (const int signal_number : {SIGTERM, SIGCONT}) kill(server_.pid(), signal_number);  // a stopped one too
  server_.wait_exit(5000);
  server_.stop();
  // An Xwayland that had to be killed leaves its lock and socket.
  if (!x_display_.empty()) {
    for (const std::string& path : {"/tmp/.X" + x_display_.substr(1) + "-lock", "/tmp/.X11-unix/X" + x_display_.substr(1)}) unlink(path.c_str());
  }
  fs::remove_all(dir_);
  for (const char* name : {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "SWAYSOCK"}) unsetenv(name);
}

Grab WaylandSession::weston_screenshot() const {
  // The screenshooter writes a PNG into the folder it runs in.
  command_output("cd " + dir_ + " && weston-screenshooter && mv wayland-screenshot-*.png shot.png");
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, (dir_ + "/shot.png").c_str())) return Grab{};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr);
  return from_rgb(static_cast<int>(image.width), static_cast<int>(image.height), bytes.data());
}

Grab sway_window(const std::string& title) {
  const std::string ppm = command_output("r=$(swaymsg -t get_tree | jq -r '.. | select(.name? == \"" + title +
      "\") | .rect | \"\\(.x),\\(.y) \\(.width)x\\(.height)\"') && [ -n \"$r\" ] && grim -t ppm -g \"$r\" - || true");
  int width = 0, height = 0, header = 0;
  std::sscanf(ppm.c_str(), "P6 %d %d 255%*1c%n", &width, &height, &header);
  return header > 0 ? from_rgb(width, height, reinterpret_cast<const unsigned char*>(ppm.data()) + header) : Grab{};
}

std::string sway_window_kind(const std::string& title) {
  return command_output("swaymsg -t get_tree | jq -r '.. | select(.name? == \"" + title +
                        "\") | \"\\(.app_id) \\(.shell) \\(.type) \\(.geometry.width)x\\(.geometry.height)\"'");
}

// wtype waits a moment first: each call brings a keyboard of its own, whose keymap must reach
// the program before the keys do. It reads its text in the locale's encoding: UTF-8, whatever
// the caller's.
void wtype(const std::string& arguments) {
  EXPECT_EQ(std::system(("LC_ALL=C.UTF-8 wtype -s 200 " + arguments).c_str()), 0) << arguments;
}

void swaymsg(const std::string& command) {
  EXPECT_EQ(std::system(("swaymsg -q '" + command + "'").c_str()), 0) << command;
}

SoundServer::SoundServer()
    : dir_(new_folder(false)),
      server_("sh", {"-c", "HOME=$0 XDG_RUNTIME_DIR=$0 pulseaudio -n --daemonize=no --exit-idle-time=-1 "
                           "--use-pid-file=no --load='module-null-sink norewinds=1' --load='module-null-sink sink_name=quiet' "
                           "--load='module-loopback source=quiet.monitor sink=null latency_msec=40' "
                           "--load='module-native-protocol-unix "
                           "auth-anonymous=1 socket='$0/socket & until [ -S $0/socket ]; do sleep 0.05; done; parec -s "
                           "unix:$0/socket -d null.monitor --latency-msec=200 --raw --format=s16le --rate=44100 --channels=1 "
                           "> $0/recording", dir_}) {
  wait_until(10000, 20, [&] { return fs::exists(dir_ + "/recording"); });
  setenv("PULSE_SERVER", ("unix:" + dir_ + "/socket").c_str(), 1);
}

SoundServer::~SoundServer() {
  kill(-server_.pid(), SIGTERM);  // the shell waits for the recorder
  server_.wait_exit();
  server_.stop();
  unsetenv("PULSE_SERVER");
  fs::remove_all(dir_);
}

std::string SoundServer::recording() const { return command_output("cat " + dir_ + "/recording"); }

}  // namespace test_support
