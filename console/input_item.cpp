#include "console/input_item.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "console/input_context.hpp"

namespace {

bool is_blank(int c) { return c == ' ' || c == '\t'; }

// What follows an item's end: separators are consumed, anything else begins the next item.
void finish_item(int c) {
  while (is_blank(c)) c = input_next_byte();
  if (c == '\r') {
    const int next = input_next_byte();
    if (next != '\n' && next != kInputEnd) input_unread_byte();
  } else if (c != ',' && c != '\n' && c != kInputEnd) {
    input_unread_byte();
  }
}

// The byte as the item keeps it: & starts a radix item, in which E and D are digits; elsewhere
// a full stop, E or D marks a floating-point item and D is kept as E.
char stored_byte(int c, bool& radix, bool* float_mark) {
  if (c == '&') radix = true;
  if (radix || (c != '.' && c != 'E' && c != 'e' && c != 'D' && c != 'd')) {
    return static_cast<char>(c);
  }
  *float_mark = true;
  return static_cast<char>(c == 'D' ? 'E' : c == 'd' ? 'e' : c);
}

int digit_value(char c, int base) {
  int value = 99;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < base ? value : -1;
}

// Item text after leading spaces, zero terminated for the C conversions.
struct ItemText {
  char text[kItemLimit + 1];
  int32_t length;
};

ItemText trimmed(const char* text, int32_t length) {
  while (length > 0 && *text == ' ') {
    ++text;
    --length;
  }
  ItemText item{};
  item.length = length < kItemLimit ? length : kItemLimit;
  std::memcpy(item.text, text, static_cast<size_t>(item.length));
  return item;
}

constexpr double kTwoTo63 = 9223372036854775808.0;

// value * base + digit for each leading digit of the base (2, 8 or 16), modulo 2^64.
uint64_t radix_digits_to_u64(const char* digits, int32_t length, int base) {
  uint64_t value = 0;
  for (int32_t i = 0; i < length; ++i) {
    const int digit = digit_value(digits[i], base);
    if (digit < 0) break;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  return value;
}

// Decimal (strtoull rules: sign, saturation) or, after "&H", "&B", "&O" or "&", hexadecimal,
// binary or octal digits.
uint64_t item_text_to_integer(const char* text, int32_t length) {
  const ItemText item = trimmed(text, length);
  if (item.length >= 2 && item.text[0] == '&') {
    switch (item.text[1]) {
      case 'H': case 'h': return radix_digits_to_u64(item.text + 2, item.length - 2, 16);
      case 'B': case 'b': return radix_digits_to_u64(item.text + 2, item.length - 2, 2);
      case 'O': case 'o': return radix_digits_to_u64(item.text + 2, item.length - 2, 8);
      default: return radix_digits_to_u64(item.text + 1, item.length - 1, 8);
    }
  }
  return std::strtoull(item.text, nullptr, 10);
}

// The C conversion of text to double, with D taken as E; "0x" gives 0.
double item_text_to_double(const char* text, int32_t length) {
  ItemText item = trimmed(text, length);
  if (item.length >= 2 && item.text[0] == '0' && (item.text[1] == 'x' || item.text[1] == 'X')) {
    return 0.0;
  }
  for (int32_t i = 0; i < item.length; ++i) {
    if (item.text[i] == 'D') item.text[i] = 'E';
    if (item.text[i] == 'd') item.text[i] = 'e';
  }
  return std::strtod(item.text, nullptr);
}

}  // namespace

int32_t scan_input_item(char* item, int32_t limit, bool* float_mark) {
  *float_mark = false;
  int c = input_next_byte();
  while (is_blank(c)) c = input_next_byte();
  int32_t n = 0;
  bool quoted = false;
  bool radix = false;
  // Collects until a separator; a comma or line feed is consumed and ends the scan at once.
  bool separator_taken = false;
  while (c != kInputEnd && !separator_taken) {
    if (is_blank(c) && !quoted) break;
    if ((c == ',' && !quoted) || c == '\n') {
      separator_taken = true;
    } else if (c == '\r') {
      finish_item(c);
      separator_taken = true;
    } else {
      if (c == '"' && (quoted || n == 0)) {
        quoted = !quoted;
      } else {
        item[n++] = stored_byte(c, radix, float_mark);
      }
      c = input_next_byte();
      if (n == limit) break;
    }
  }
  item[n] = '\0';
  if (!separator_taken) finish_item(c);
  return n;
}

void input_item_u64(uint64_t* target) {
  char item[kItemLimit + 1];
  bool float_mark = false;
  const int32_t length = scan_input_item(item, kItemLimit, &float_mark);
  if (!float_mark) {
    *target = item_text_to_integer(item, length);
    return;
  }
  const double rounded = std::nearbyint(item_text_to_double(item, length));  // ties to even
  const bool fits = rounded >= -kTwoTo63 && rounded < kTwoTo63;                // false for NaN
  *target = static_cast<uint64_t>(fits ? static_cast<int64_t>(rounded) : INT64_MIN);
}
