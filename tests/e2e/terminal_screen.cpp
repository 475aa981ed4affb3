#include "terminal_screen.hpp"

#include <algorithm>

namespace {

const std::string kBlank(1, ' ');

void scroll_up(TerminalScreen& s) {
  s.cells.erase(s.cells.begin() + s.region_top);
  s.cells.insert(s.cells.begin() + s.region_bottom, std::vector<std::string>(s.columns, kBlank));
}

void line_feed(TerminalScreen& s) {
  s.wrap_pending = false;
  if (s.row == s.region_bottom) {
    scroll_up(s);
  } else if (s.row < s.rows - 1) {
    ++s.row;
  }
}

void put(TerminalScreen& s, const std::string& c) {
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
      std::fill(s.cells[s.row].begin() + from, s.cells[s.row].begin() + to, kBlank);
      break;
    }
    case 'J':
      for (auto& line : s.cells) line.assign(s.columns, kBlank);
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
  s.cells.assign(rows, std::vector<std::string>(columns, kBlank));
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
      const size_t length = b >= 0xf0 ? 4 : b >= 0xe0 ? 3 : b >= 0xc0 ? 2 : 1;
      put(s, bytes.substr(i, length));
      i += length - 1;
    }
  }
}

std::string terminal_screen_row(const TerminalScreen& s, int r) {
  std::string out;
  for (const std::string& c : s.cells[r]) out += c;
  out.erase(out.find_last_not_of(' ') + 1);
  return out;
}
