#include "gfx/posix/window_thread.hpp"

#include <chrono>
#include <semaphore>
#include <system_error>
#include <thread>

#include "gfx/window.hpp"

namespace {

struct Presentation {
  std::thread thread;
  std::binary_semaphore ready{0};  // released once the window is up, or could not be made
  bool opened;                     // the outcome, read after ready
};

Presentation presentation;

void run(WindowThread driver) {
  presentation.opened = driver.open();
  GfxWindow& w = gfx_window();
  if (presentation.opened) {
    w.running = true;
    w.active = true;
  }
  presentation.ready.release();
  while (w.running) driver.cycle();
  driver.close();
}

}  // namespace

bool start_window_thread(const WindowThread& driver) {
  try {
    presentation.thread = std::thread(run, driver);
  } catch (const std::system_error&) {
    return false;  // without a thread there is no window
  }
  if (!presentation.ready.try_acquire_for(std::chrono::milliseconds(kWindowOpenLimitMs))) {
    if (driver.overdue != nullptr) driver.overdue();
    presentation.ready.acquire();
  }
  if (!presentation.opened) presentation.thread.join();
  return presentation.opened;
}

void stop_window_thread() {
  GfxWindow& w = gfx_window();
  if (!w.running) return;
  w.running = false;
  presentation.thread.join();
}
