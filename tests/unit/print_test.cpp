// The print statements: exact bytes, the order of writes, print zones and the channel column.
#include "console/print.hpp"
#include "runtime/runtime_state.hpp"

#include <cstdint>
#include <vector>

#include "captured_output.hpp"

namespace {

using PrintStatements = CapturedOutput;

struct NumberCase {
  bool is_signed;
  int64_t value;
  int32_t mask;
  const char* text;
};

TEST_F(PrintStatements, FormatNumbersAsTheMaskSays) {
  const NumberCase cases[] = {
      {true, 42, 0, " 42"},          {true, -42, 0, "-42"},
      {true, 42, 1, " 42\r\n"},      {true, -42, 4, "-42\r\n"},
      {true, 42, 16, " 42 "},        {true, -42, 17, "-42 \r\n"},
      {true, 0, 1, " 0\r\n"},        {true, -7, 0, "-7"},
      {true, INT64_MIN, 0, "-9223372036854775808"},
      {false, 42, 0, "42"},          {false, 42, 1, "42\r\n"},
      {false, 42, 16, "42 "},        {false, 42, 20, "42 \r\n"},
      {false, 0, 0, "0"},            {false, -1, 0, "18446744073709551615"},
  };
  for (const NumberCase& c : cases) {
    bytes().clear();
    const int32_t result = c.is_signed ? print_int64(0, c.value, c.mask)
                                       : print_uint64(0, static_cast<uint64_t>(c.value), c.mask);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(bytes(), c.text) << c.value << " mask " << c.mask;
  }
}

TEST_F(PrintStatements, StringsEndAsTheMaskSays) {
  EXPECT_EQ(print_literal("", PRINT_NEWLINE), 0);
  EXPECT_EQ(bytes(), "\r\n");
  bytes().clear();
  print_literal("", 0);
  EXPECT_EQ(bytes(), "");
  print_literal(" Nejvyssi faktorial: ", 0);
  print_int64(0, 4, PRINT_NEWLINE);
  EXPECT_EQ(bytes(), " Nejvyssi faktorial:  4\r\n");
  bytes().clear();
  print_literal(" ", 0);
  print_uint64(0, 23, PRINT_NEWLINE);
  EXPECT_EQ(bytes(), " 23\r\n");
}

TEST_F(PrintStatements, NextZoneFromEveryColumnOfAFortyColumnLine) {
  struct ZoneCase {
    int32_t column;
    std::string written;
  };
  const ZoneCase cases[] = {{0, std::string(14, ' ')}, {13, " "},    {14, std::string(14, ' ')},
                            {27, " "},                 {28, "\r\n"}, {39, "\r\n"}};
  for (const ZoneCase& c : cases) {
    reset_screen_channel(c.column, 40);
    bytes().clear();
    advance_print_zone(&screen_channel());
    EXPECT_EQ(bytes(), c.written) << "from column " << c.column;
  }
}

TEST_F(PrintStatements, NumbersMoveToTheNextZoneEvenAfterALineEnd) {
  print_int64(0, 5, PRINT_NEWLINE | PRINT_NEXT_ZONE);
  EXPECT_EQ(bytes(), " 5\r\n" + std::string(14, ' '));
  bytes().clear();
  reset_screen_channel(0, 40);
  print_string(0, temp_string_from_literal("ab", 2), PRINT_NEWLINE | PRINT_NEXT_ZONE);
  EXPECT_EQ(bytes(), "ab\r\n");
}

TEST_F(PrintStatements, ChannelColumnFollowsTheLastLineAndFoldsByWidth) {
  print_literal("abc", 0);
  EXPECT_EQ(screen_channel().column, 3);
  print_literal("x\r\nyz", 0);
  EXPECT_EQ(screen_channel().column, 2);
  print_literal("0123456789012345678901234567890123456789ab", 0);
  EXPECT_EQ(screen_channel().column, (2 + 42) % 40);
}

TEST_F(PrintStatements, MissingChannelReportsErrorOne) {
  const uint8_t byte = 'x';
  EXPECT_EQ(channel_write(channel_for(7), &byte, 1), 1);
  EXPECT_EQ(last_error_number(), 1);
  EXPECT_EQ(print_int64(3, 1, 0), 1);
  EXPECT_EQ(bytes(), "");
}

TEST_F(PrintStatements, ExhaustedPoolPrintsOnlyTheLineEnd) {
  std::vector<StringDescriptor*> held;
  for (int i = 0; i < kTempStringPoolSize; ++i) held.push_back(temp_string_from_literal("x", 1));
  StringDescriptor* extra = temp_string_from_literal("lost", 4);
  EXPECT_EQ(string_length(*extra), 0u);
  EXPECT_EQ(print_string(0, extra, PRINT_NEWLINE), -1);
  EXPECT_EQ(bytes(), "\r\n");
  for (StringDescriptor* d : held) EXPECT_EQ(release_temp_string(d), 0);
  EXPECT_EQ(release_temp_string(nullptr), -1);
  EXPECT_EQ(print_literal("back", 0), 0);
}

}  // namespace
