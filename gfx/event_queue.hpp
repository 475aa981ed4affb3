#pragma once
// The screen's queue of input events (keys, mouse, focus, close), filled by the window drivers;
// no statement reads it. When it is full the oldest event is dropped.
#include <cstdint>

enum GfxEventType : int32_t {
  EVENT_KEY_PRESSED = 1,
  EVENT_KEY_RELEASED = 2,
  EVENT_KEY_REPEATED = 3,
  EVENT_MOUSE_MOVED = 4,
  EVENT_BUTTON_PRESSED = 5,
  EVENT_BUTTON_RELEASED = 6,
  EVENT_DOUBLE_CLICK = 7,
  EVENT_WHEEL = 8,
  EVENT_POINTER_ENTERED = 9,
  EVENT_POINTER_LEFT = 10,
  EVENT_ACTIVATED = 11,
  EVENT_DEACTIVATED = 12,
  EVENT_CLOSE_REQUESTED = 13,
  EVENT_HORIZONTAL_WHEEL = 14,
};

// Appends an event to the open screen's queue; nothing without a screen.
void post_event(GfxEventType type, int32_t a = 0, int32_t b = 0, int32_t c = 0, int32_t d = 0);
