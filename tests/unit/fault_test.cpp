// The runtime under load: floods of keys, long lines, screens opened and closed over and over.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "console/line_editor.hpp"
#include "fake_screen.hpp"
#include "gfx/driver.hpp"
#include "gfx/key_buffer.hpp"
#include "gfx/key_code.hpp"
#include "gfx/screen.hpp"
#include "gfx/screen_mode.hpp"

namespace {

TEST(Faults, TenThousandKeysKeepTheLastFifteen) {
  while (key_read() != 0) {
  }
  for (int32_t code = 1; code <= 10000; ++code) key_push(code);
  for (int32_t code = 9986; code <= 10000; ++code) EXPECT_EQ(key_read(), code);
  EXPECT_EQ(key_read(), 0);
}

TEST(Faults, AKeyLeftAfterARead) {
  while (key_read() != 0) {
  }
  key_push(13);
  key_push('x');
  EXPECT_EQ(key_read(), 13);
  EXPECT_EQ(take_key_arrived(), 1);  // the final wait ends on the key typed right after Enter
  EXPECT_EQ(key_read(), 'x');
  EXPECT_EQ(take_key_arrived(), 0);
}

TEST(Faults, ATenThousandCharacterLineIsEditedInLinearTime) {
  FakeScreenSession session(40, 25);
  for (int i = 0; i < 10000; ++i) session.screen().keys.push_back('0' + i % 10);
  session.screen().keys.push_back(KEY_HOME);
  session.screen().keys.push_back('x');
  session.screen().keys.push_back(13);
  const auto start = std::chrono::steady_clock::now();
  const std::string line = edit_input_line(true);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("a 10000-character line took %.3f s to type\n", seconds);
  ASSERT_EQ(line.size(), 10001u);
  EXPECT_EQ(line.substr(0, 4), "x012");
}

TEST(Faults, AThousandScreensInMemoryOpenAndClose) {
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(screen_statement(1 + 12 * (i % 2), 8, 0, GFX_NO_WINDOW, 0), 0);
    close_screen();
  }
  EXPECT_EQ(current_screen(), nullptr);
}

}  // namespace
