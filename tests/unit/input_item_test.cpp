// Items of the input buffer and their conversion to unsigned 64-bit numbers.
#include "console/input_item.hpp"

#include <gtest/gtest.h>

#include <string>

#include "console/input_context.hpp"

namespace {

void set_line(const std::string& line) {
  input_context().input_buffer = line;
  input_context().read_position = 0;
}

uint64_t first_item(const std::string& line) {
  set_line(line);
  uint64_t value = 12345;
  input_item_u64(&value);
  return value;
}

struct ConversionCase {
  std::string line;
  uint64_t value;
};

TEST(InputItem, ConvertsTheFirstItemOfALine) {
  const ConversionCase cases[] = {
      {"", 0}, {"     ", 0}, {"abc", 0}, {"   42   ", 42}, {"42abc", 42}, {"+7", 7},
      {"-1", 18446744073709551615u}, {"-5", 18446744073709551611u}, {"12,34", 12}, {"12 34", 12},
      {",5", 0}, {"1,000", 1}, {"\"1 000\"", 1}, {"\t9", 9},
      {"&HFF", 255}, {"&h10", 16}, {"&O17", 15}, {"&17", 15}, {"&B101", 5}, {"&", 0}, {"&H", 0},
      {"&HG", 0}, {"&H1E", 30}, {"&HD", 13}, {"&H10000000000000001", 1}, {"&hffffffffffffffff", UINT64_MAX},
      {"18446744073709551615", 18446744073709551615u}, {"18446744073709551616", UINT64_MAX},
      {"99999999999999999999", UINT64_MAX}, {"-99999999999999999999", UINT64_MAX},
      {"1e3", 1000}, {"1d3", 1000}, {"1D3", 1000}, {"2.5", 2}, {"3.5", 4}, {"0.5", 0}, {"1.5", 2},
      {"-0.4", 0}, {"-1.5", 18446744073709551614u}, {"1e19", 9223372036854775808u},
      {"9.3e18", 9223372036854775808u}, {"1e400", 9223372036854775808u},
      {"-9.3e18", 9223372036854775808u}, {"-9.2e18", 9246744073709551616u},
      {"0x1F", 0}, {"0x1.8", 0}, {"12.34.56", 12}, {"1e", 1}, {".", 0}, {"1&.5", 1},
      {"10\r\n", 10}, {"7\r", 7}, {std::string(70, '9'), UINT64_MAX},
  };
  for (const ConversionCase& c : cases) EXPECT_EQ(first_item(c.line), c.value) << c.line;
}

struct ScanCase {
  std::string line;
  std::string item;
  bool float_mark;
  int32_t next_position;  // where the next item starts
};

TEST(InputItem, ScanStopsAtSeparatorsAndLeavesTheRest) {
  const ScanCase cases[] = {
      {"12,34", "12", false, 3},      {"12 34", "12", false, 3},     {"12   ,34", "12", false, 6},
      {"12\r\n34", "12", false, 4},   {"12\r34", "12", false, 3},    {"12\n34", "12", false, 3},
      {"\"a,b c\" d", "a,b c", false, 8}, {"a\"b", "a\"b", false, 3}, {"1.5e3", "1.5e3", true, 5},
      {"2d2", "2e2", true, 3},        {"&hd", "&hd", false, 3},      {"  ", "", false, 2},
      {std::string(67, '1') + "234", std::string(67, '1'), false, 67},
      {std::string(67, '1') + " 9", std::string(67, '1'), false, 68},
  };
  for (const ScanCase& c : cases) {
    set_line(c.line);
    char item[kItemLimit + 1];
    bool float_mark = !c.float_mark;
    const int32_t length = scan_input_item(item, kItemLimit, &float_mark);
    EXPECT_EQ(std::string(item, static_cast<size_t>(length)), c.item) << c.line;
    EXPECT_EQ(float_mark, c.float_mark) << c.line;
    EXPECT_EQ(input_context().read_position, c.next_position) << c.line;
  }
}

TEST(InputItem, ItemsAreReadOneAfterAnother) {
  set_line("1, 2 ,3\r\n&H10");
  uint64_t values[5] = {};
  for (uint64_t& v : values) input_item_u64(&v);
  EXPECT_EQ(values[0], 1u);
  EXPECT_EQ(values[1], 2u);
  EXPECT_EQ(values[2], 3u);
  EXPECT_EQ(values[3], 16u);
  EXPECT_EQ(values[4], 0u);  // past the end: an empty item
}

TEST(InputItem, RadixDigitsWrapModuloTwoTo64) {
  EXPECT_EQ(radix_digits_to_u64("12345678123456789", 17, 16), 0x2345678123456789u);
  EXPECT_EQ(radix_digits_to_u64("778", 3, 8), 63u);
  EXPECT_EQ(radix_digits_to_u64("1012", 4, 2), 5u);
  EXPECT_EQ(radix_digits_to_u64("", 0, 16), 0u);
}

}  // namespace
