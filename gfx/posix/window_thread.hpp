#pragma once
// The presentation thread of the X11 and Wayland windows: it opens the window with a connection
// of its own, says whether it could, runs the driver's cycle while the window lives, and closes
// it. One window at a time.

// How long a window may take to open: a display server that takes the connection but never
// answers must not hold the start for ever.
inline constexpr int kWindowOpenLimitMs = 5000;

struct WindowThread {
  bool (*open)();    // opens the window; false when it cannot
  void (*cycle)();   // waits for the window system or the cycle's time, then presents
  void (*close)();   // undoes everything open did, as far as it got
  // Called once when the window is still not open after kWindowOpenLimitMs, to make open give
  // up (a server that takes the connection but never answers); may be null.
  void (*overdue)();
};

// Starts the thread and waits until the window is open: false when it could not be opened or
// no thread could be had (the thread has then ended). The window is then running and active.
bool start_window_thread(const WindowThread& driver);

// Ends a running window's thread, which closes the window.
void stop_window_thread();
