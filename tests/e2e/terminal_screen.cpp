#include "terminal_screen.hpp"

#include <algorithm>

namespace {

void scroll_up(TerminalScreen& s) {
  s.cells.erase(s.cells.begin() + s.region_top);
  s.cells.insert(s.cells.begin() + s.region_bottom, std::u32string(s.columns, U' '));
}

void line_feed(TerminalScreen& s) {
  s.wrap_pending = false;
  if (s.row == s.region_bottom) {
    scroll_up(s);
  } else if (s.row < s.rows - 1) {
    ++s.row;
  }
}

void put(TerminalScreen& s, char32_t c) {
  if (s.wrap_pending) {
    s.column = 0;
    line_feed(s);
  }
  s.cells[s.row][s.column] = c;
  if (s.column == s.columns - 1) {
    s.wrap_pending = true;
  } else {
    ++s.column;
  }
}

int parameter(const std::vector<int>& p, size_t i, int fallback) {
  return i < p.size() && p[i] > 0 ? p[i] : fallback;
}

void control_sequence(TerminalScreen& s, const std::vector<int>& p, char final) {
  s.wrap_pending = false;
  switch (final) {
    case 'H':
      s.row = std::clamp(parameter(p, 0, 1) - 1, 0, s.rows - 1);
      s.column = std::clamp(parameter(p, 1, 1) - 1, 0, s.columns - 1);
      break;
    case 'K': {
      const int mode = p.empty() ? 0 : p[0];
      const int from = mode == 0 ? s.column : 0;
      const int to = mode == 1 ? s.column + 1 : s.columns;
      std::fill(s.cells[s.row].begin() + from, s.cells[s.row].begin() + to, U' ');
      break;
    }
    case 'J':
      for (auto& line : s.cells) line.assign(s.columns, U' ');
      break;
    case 'r':
      s.region_top = parameter(p, 0, 1) - 1;
      s.region_bottom = parameter(p, 1, s.rows) - 1;
      s.row = 0;
      s.column = 0;
      break;
    default:
      break;  // colours and the rest change no character
  }
}

}  // namespace

TerminalScreen make_terminal_screen(int rows, int columns) {
  TerminalScreen s;
  s.rows = rows;
  s.columns = columns;
  s.cells.assign(rows, std::u32string(columns, U' '));
  s.region_bottom = rows - 1;
  return s;
}

void terminal_screen_feed(TerminalScreen& s, const std::string& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == 0x1b && i + 1 < bytes.size() && bytes[i + 1] == '[') {
      std::vector<int> params{0};
      size_t j = i + 2;
      for (; j < bytes.size() && !(bytes[j] >= 0x40 && bytes[j] <= 0x7e); ++j) {
        if (bytes[j] == ';') params.push_back(0);
        if (bytes[j] >= '0' && bytes[j] <= '9') params.back() = params.back() * 10 + bytes[j] - '0';
      }
      if (j < bytes.size()) control_sequence(s, params, bytes[j]);
      i = j;
    } else if (b == '\r') {
      s.column = 0;
      s.wrap_pending = false;
    } else if (b == '\n') {
      line_feed(s);
    } else if (b == '\b') {
      if (s.column > 0) --s.column;
      s.wrap_pending = false;
    } else if (b >= 0x20 && b != 0x7f) {
      char32_t c = b;
      int extra = b >= 0xf0 ? 3 : b >= 0xe0 ? 2 : b >= 0xc0 ? 1 : 0;
      if (extra > 0) c = b & (0x3f >> extra);
      for (; extra > 0 && i + 1 < bytes.size(); --extra) c = (c << 6) | (bytes[++i] & 0x3f);
      put(s, c);
    }
  }
}

std::string terminal_screen_row(const TerminalScreen& s, int r) {
  std::string out;
  for (char32_t c : s.cells[r]) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xc0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
      out += static_cast<char>(0xe0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
      out += static_cast<char>(0x80 | (c & 0x3f));
    }
  }
  out.erase(out.find_last_not_of(' ') + 1);
  return out;
}
