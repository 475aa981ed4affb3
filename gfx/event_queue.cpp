#include "gfx/event_queue.hpp"

#include "gfx/screen.hpp"

void post_event(GfxEventType type, int32_t a, int32_t b, int32_t c, int32_t d) {
  GfxScreen* screen = current_screen();
  if (screen == nullptr) return;
  EventQueue& queue = screen->events;
  queue.guard.acquire();
  queue.events[queue.write_index] = {{type, a, b, c, d}};
  const int32_t next = (queue.write_index + 1) % kEventQueueSize;
  if (next == queue.read_index) queue.read_index = (next + 1) % kEventQueueSize;
  queue.write_index = next;
  queue.guard.release();
}
