#pragma once
// A small text screen behind the device hooks, for driving the screen statements and the line
// editor in tests: a grid of characters with a cursor, wrap, scroll and an owed newline, and
// a queue of keys.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "console/text_view.hpp"
#include "runtime/device_hooks.hpp"
#include "runtime/text_console.hpp"

struct FakeScreen {
  int32_t columns = 0, rows = 0;
  std::vector<std::string> cells;  // one string per row
  int32_t column = 0, row = 0;     // the cursor, from 0
  bool pending_newline = false;
  std::deque<int32_t> keys;        // keys waiting to be read
  int tones = 0;
  int scrolls = 0;
};

// Installs the fake screen as the current screen; the destructor restores the hooks.
class FakeScreenSession {
 public:
  FakeScreenSession(int32_t columns, int32_t rows);
  ~FakeScreenSession();
  FakeScreen& screen();

 private:
  DeviceHooks saved_hooks_;
  ConsoleViewRange saved_view_;
};
