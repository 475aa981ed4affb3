// Measures the Linux windows on this machine, each on a display server of its own: the time from
// zorvy's start to its first whole picture (the prompt, read back from the server), and the
// processor time it takes while it waits at the prompt. Prints a line per window system with the
// median of five runs. The test build makes it: build/tests/window/window_measure.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "child_process.hpp"
#include "dialogue.hpp"
#include "picture.hpp"
#include "wayland_session.hpp"
#include "x_session.hpp"

namespace {

using namespace test_support;
using Clock = std::chrono::steady_clock;

struct Run {
  long first_picture_ms;  // -1: the prompt never showed
  long idle_cpu_ms;       // over two seconds
};

// Starts zorvy and reads the window back through grab until it shows the prompt.
Run measure(const std::string& x_display, const std::function<Grab()>& grab) {
  const Grab prompt = text_picture(kZorvyPrompt, {2, 5});
  const auto start = Clock::now();
  ChildProcess zorvy(ZORVY_PATH, {}, x_display);
  long first_picture_ms = -1;
  while (first_picture_ms < 0 && Clock::now() - start < std::chrono::seconds(10)) {
    if (differing_pixels(grab(), prompt) == 0) {
      first_picture_ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    }
  }
  return {first_picture_ms, idle_cpu_ms(zorvy.pid())};
}

Run x11_run() {
  PrivateXServer server;
  Display* display = XOpenDisplay(server.display().c_str());
  Window window = 0;
  const Run run = measure(server.display(), [&] {
    if (window == 0) window = find_window("zorvy", 0, display);
    return window != 0 ? grab_window(window, display) : Grab{};
  });
  XCloseDisplay(display);
  return run;
}

Run wayland_run() {
  WaylandSession sway(Compositor::kSway);
  return measure("", [] { return sway_window("zorvy"); });
}

void report(const char* name, Run (*run)()) {
  std::vector<Run> runs;
  for (int i = 0; i < 5; ++i) runs.push_back(run());
  const auto median = [&](long Run::*field) {
    std::vector<long> values;
    for (const Run& each : runs) values.push_back(each.*field);
    std::nth_element(values.begin(), values.begin() + 2, values.end());
    return values[2];
  };
  std::printf("%-8s first picture %4ld ms   idle %.2f %% of a core\n", name, median(&Run::first_picture_ms),
              median(&Run::idle_cpu_ms) / 20.0);
}

}  // namespace

int main() {
  report("X11", x11_run);
  report("Wayland", wayland_run);
  return 0;
}
