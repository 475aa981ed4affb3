#include "fake_screen.hpp"

#include "console/channel.hpp"
#include "console/line_editor.hpp"

namespace {

FakeScreen* current = nullptr;

int draw_run(TextView& view, const uint8_t* bytes, int32_t count) {
  current->cells[static_cast<size_t>(view.row)].replace(
      static_cast<size_t>(view.column), static_cast<size_t>(count),
      reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
  return 1;
}

void scroll(TextView& view, int32_t, int32_t top, int32_t, int32_t bottom, int32_t lines) {
  FakeScreen& s = *current;
  for (int32_t i = 0; i < lines; ++i) {
    s.cells.erase(s.cells.begin() + top);
    s.cells.insert(s.cells.begin() + bottom, std::string(static_cast<size_t>(s.columns), ' '));
    ++s.scrolls;
  }
  view.row = bottom;
}

// Text output with the owed newline of a screen: text ending on the last cell parks there.
void text_output(const uint8_t* bytes, uint64_t length, int32_t flags) {
  FakeScreen& s = *current;
  if (length == 0 && !(flags & 8)) return;
  TextView view{&s, scroll, draw_run, nullptr, 0, 0, s.columns - 1, s.rows - 1, s.column, s.row};
  if (s.pending_newline) {
    s.pending_newline = false;
    view.column = 0;
    if (++view.row > view.bottom) scroll(view, 0, 0, view.right, view.bottom, 1);
  }
  text_view_write(view, bytes, length);
  if (view.column == 0 && view.row == view.bottom + 1) {
    view.row = view.bottom;
    view.column = view.right;
    s.pending_newline = true;
  } else if (view.row > view.bottom) {
    scroll(view, 0, 0, view.right, view.bottom, view.row - view.bottom);
  }
  s.column = view.column;
  s.row = view.row;
}

void locate(int32_t row, int32_t column) {
  current->pending_newline = false;
  if (column >= 1) current->column = column - 1;
  if (row >= 1) current->row = row - 1;
}

void cursor_cell(int32_t* column, int32_t* row) {
  if (column) *column = current->column + 1;
  if (row) *row = current->row + 1;
}

void text_size(int32_t* columns, int32_t* rows) {
  if (columns) *columns = current->columns;
  if (rows) *rows = current->rows;
}

int32_t key_hit() { return current->keys.empty() ? 0 : 1; }

int32_t inkey_code() {
  if (current->keys.empty()) return -1;
  const int32_t code = current->keys.front();
  current->keys.pop_front();
  return code;
}

// The keys run out: the line ends as it would at the end of input.
int32_t input_ended() { return current->keys.empty() ? 1 : 0; }

void tone() { ++current->tones; }

}  // namespace

FakeScreenSession::FakeScreenSession(int32_t columns, int32_t rows)
    : saved_hooks_(device_hooks()), saved_view_(console_view_range()) {
  current = new FakeScreen{};
  current->columns = columns;
  current->rows = rows;
  current->cells.assign(static_cast<size_t>(rows), std::string(static_cast<size_t>(columns), ' '));
  DeviceHooks& hooks = device_hooks();
  hooks.text_output = text_output;
  hooks.locate = ::locate;
  hooks.cursor_cell = cursor_cell;
  hooks.text_size = text_size;
  hooks.key_hit = key_hit;
  hooks.inkey_code = inkey_code;
  hooks.input_ended = input_ended;
  hooks.tone = tone;
  hooks.read_line = [] { return edit_input_line(true); };
  console_view_range() = {0, rows - 1};
  reset_screen_channel(0, static_cast<uint32_t>(columns));
}

FakeScreenSession::~FakeScreenSession() {
  device_hooks() = saved_hooks_;
  console_view_range() = saved_view_;
  delete current;
  current = nullptr;
}

FakeScreen& FakeScreenSession::screen() { return *current; }
