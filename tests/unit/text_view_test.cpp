// The control-character interpreter on a small fake screen: wrap, scroll, BS, TAB, CR, LF, BEL.
#include "console/text_view.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FakeScreen {
  std::vector<std::string> rows;
  std::vector<int> scrolls;  // lines of each scroll call
  int tones = 0;
  int draws_allowed = 1000;
};

int fake_draw(TextView& view, const uint8_t* bytes, int32_t count) {
  auto& screen = *static_cast<FakeScreen*>(view.owner);
  EXPECT_LE(view.column + count - 1, view.right) << "run crosses the right edge";
  if (screen.draws_allowed-- <= 0) return 0;
  screen.rows.at(static_cast<size_t>(view.row)).replace(static_cast<size_t>(view.column),
                                                        static_cast<size_t>(count),
                                                        reinterpret_cast<const char*>(bytes),
                                                        static_cast<size_t>(count));
  return 1;
}

void fake_scroll(TextView& view, int32_t, int32_t top, int32_t right, int32_t bottom,
                 int32_t lines) {
  auto& screen = *static_cast<FakeScreen*>(view.owner);
  screen.scrolls.push_back(lines);
  for (int32_t r = top; r <= bottom; ++r) {
    screen.rows[static_cast<size_t>(r)] = r + lines <= bottom
                                              ? screen.rows[static_cast<size_t>(r + lines)]
                                              : std::string(static_cast<size_t>(right + 1), '.');
  }
  view.row = bottom;
}

void fake_tone(TextView& view) { ++static_cast<FakeScreen*>(view.owner)->tones; }

// A 10 x 4 screen of dots with the cursor at the top left.
struct Harness {
  FakeScreen screen{std::vector<std::string>(4, std::string(10, '.')), {}, 0, 1000};
  TextView view{&screen, fake_scroll, fake_draw, fake_tone, 0, 0, 9, 3, 0, 0};

  void write(const std::string& text) {
    text_view_write(view, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
};

struct WriteCase {
  const char* name;
  std::string text;
  std::vector<std::string> rows;
  int column, row;
  std::vector<int> scrolls;
};

TEST(TextViewWrite, InterpretsControlsWrapsAndScrolls) {
  const WriteCase cases[] = {
      {"plain", "abc", {"abc.......", "..........", "..........", ".........."}, 3, 0, {}},
      {"wrap", "0123456789ab", {"0123456789", "ab........", "..........", ".........."}, 2, 1, {}},
      {"exact fill leaves the cursor past the edge", "0123456789",
       {"0123456789", "..........", "..........", ".........."}, 0, 1, {}},
      {"cr lf", "ab\r\ncd", {"ab........", "cd........", "..........", ".........."}, 2, 1, {}},
      {"lf alone returns to the left", "ab\ncd", {"ab........", "cd........", "..........", ".........."}, 2, 1, {}},
      {"bs moves back without erasing", "abc\bX\b\b\b\b\bY", {"YbX.......", "..........", "..........", ".........."}, 1, 0, {}},
      {"tab to multiples of eight", "a\tb\tc", {"a       b ", "      c...", "..........", ".........."}, 7, 1, {}},
      {"bel draws nothing", "a\x07" "b", {"ab........", "..........", "..........", ".........."}, 2, 0, {}},
      {"lines past the bottom scroll in one step", "1\r\n2\r\n3\r\n4\r\n\r\n\r\n",
       {"4.........", "..........", "..........", ".........."}, 0, 3, {3}},
      {"text below the bottom scrolls before drawing", "1\n2\n3\n4\n5",
       {"2.........", "3.........", "4.........", "5........."}, 1, 3, {1}},
      {"control bytes other than the five are drawn", std::string("\x01\x0c\x1b", 3),
       {"\x01\x0c\x1b.......", "..........", "..........", ".........."}, 3, 0, {}},
  };
  for (const WriteCase& c : cases) {
    Harness h;
    h.write(c.text);
    EXPECT_EQ(h.screen.rows, c.rows) << c.name;
    EXPECT_EQ(h.view.column, c.column) << c.name;
    EXPECT_EQ(h.view.row, c.row) << c.name;
    EXPECT_EQ(h.screen.scrolls, c.scrolls) << c.name;
  }
}

TEST(TextViewWrite, FillingTheLastCellOwesTheScroll) {
  Harness h;
  h.view.row = 3;
  h.write("0123456789");
  EXPECT_EQ(h.view.row, 4);  // the caller decides: owe a newline or scroll
  EXPECT_TRUE(h.screen.scrolls.empty());
  h.write("x");
  EXPECT_EQ(h.screen.scrolls, std::vector<int>{1});
  EXPECT_EQ(h.screen.rows[2], "0123456789");
  EXPECT_EQ(h.screen.rows[3], "x.........");
}

TEST(TextViewWrite, BelSoundsBeforeTheCollectedTextIsDrawn) {
  Harness h;
  h.write("ab\x07\x07");
  EXPECT_EQ(h.screen.tones, 2);
  EXPECT_EQ(h.screen.rows[0], "ab........");
}

TEST(TextViewWrite, TabInsideAnIndentedView) {
  Harness h;
  h.view.left = 2;
  h.view.column = 3;
  h.write("\tx");
  EXPECT_EQ(h.screen.rows[0], "...       ");  // seven blanks reach column 10 = left + 8
  EXPECT_EQ(h.screen.rows[1], "..x.......");  // wrapped back to the left edge of the view
  EXPECT_EQ(h.view.column, 3);
  EXPECT_EQ(h.view.row, 1);
}

TEST(TextViewWrite, FailedDrawStopsTheWrite) {
  Harness h;
  h.screen.draws_allowed = 1;
  h.write("0123456789abc\r\nzz");
  EXPECT_EQ(h.screen.rows[0], "0123456789");
  EXPECT_EQ(h.screen.rows[1], "..........");
}

TEST(TextViewWrite, NoBottomNeverScrolls) {
  Harness h;
  h.screen.rows.resize(8, std::string(10, '.'));
  h.view.bottom = -1;
  h.write("\n\n\n\n\n\nq");
  EXPECT_TRUE(h.screen.scrolls.empty());
  EXPECT_EQ(h.screen.rows[6], "q.........");
}

TEST(TextViewWrite, LongRunsBeyondTheCollectBufferAreDrawnInOrder) {
  FakeScreen screen{std::vector<std::string>(300, std::string(10, '.')), {}, 0, 100000};
  TextView view{&screen, fake_scroll, fake_draw, nullptr, 0, 0, 9, 299, 0, 0};
  std::string text;
  for (int i = 0; i < 2500; ++i) text += static_cast<char>('a' + i % 26);
  text_view_write(view, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  std::string drawn;
  for (const std::string& row : screen.rows) drawn += row;
  EXPECT_EQ(drawn.substr(0, 2500), text);
  EXPECT_EQ(view.row, 250);
}

}  // namespace
