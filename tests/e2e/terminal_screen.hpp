#pragma once
// A small model of a VT100/xterm screen, enough to read back what a program left on its
// terminal: printable UTF-8, CR, LF, BS, cursor placement, erasing, scroll regions.
#include <string>
#include <vector>

struct TerminalScreen {
  int rows = 0, columns = 0;
  std::vector<std::vector<std::string>> cells;  // rows of characters, each its UTF-8 bytes
  int row = 0, column = 0;
  int region_top = 0, region_bottom = 0;  // scroll region, inclusive
  bool wrap_pending = false;
};

TerminalScreen make_terminal_screen(int rows, int columns);

// Feeds the bytes the terminal received.
void terminal_screen_feed(TerminalScreen& screen, const std::string& bytes);

// Row r (from 0) as UTF-8, trailing blanks removed.
std::string terminal_screen_row(const TerminalScreen& screen, int r);
