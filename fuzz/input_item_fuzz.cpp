// Reads every item of a fuzzed input buffer, once as item text and once as numbers, and checks
// each step against a slow model of the scan and conversion rules written out here: the item,
// its float mark, the value and where the read position ends up.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/input_context.hpp"
#include "console/input_item.hpp"

namespace {

constexpr int kEnd = -1;
constexpr size_t kLimit = 67;
constexpr uint64_t kOutOfRange = 9223372036854775808u;

// The model's own reading of the buffer.
struct Reader {
  const std::string& buffer;
  size_t position;

  int next() { return position < buffer.size() ? static_cast<uint8_t>(buffer[position++]) : kEnd; }
  void put_back() {
    if (position > 0) --position;
  }
};

struct ModelItem {
  std::string text;
  bool float_mark;
  size_t end_position;
};

bool is_blank(int c) { return c == ' ' || c == '\t'; }

// What follows the end of an item: blanks skipped, then a comma or line feed consumed, a
// carriage return consumed with a line feed after it, any other byte left for the next item.
void end_item(Reader& in, int c) {
  while (is_blank(c)) c = in.next();
  if (c == kEnd || c == ',' || c == '\n') return;
  if (c == '\r') {
    const int after = in.next();
    if (after != '\n' && after != kEnd) in.put_back();
    return;
  }
  in.put_back();
}

ModelItem model_scan(const std::string& buffer, size_t position) {
  Reader in{buffer, position};
  ModelItem item{"", false, 0};
  int c = in.next();
  while (is_blank(c)) c = in.next();
  bool quoted = false;
  bool radix = false;
  while (c != kEnd) {
    if (is_blank(c) && !quoted) {
      end_item(in, c);
      break;
    }
    if ((c == ',' && !quoted) || c == '\n') break;
    if (c == '\r') {
      end_item(in, c);
      break;
    }
    if (c == '"' && quoted) {
      quoted = false;
    } else if (c == '"' && item.text.empty()) {
      quoted = true;
    } else if (c == '&') {
      item.text += '&';
      radix = true;
    } else if ((c == '.' || c == 'E' || c == 'e') && !radix) {
      item.text += static_cast<char>(c);
      item.float_mark = true;
    } else if ((c == 'D' || c == 'd') && !radix) {
      item.text += c == 'D' ? 'E' : 'e';
      item.float_mark = true;
    } else {
      item.text += static_cast<char>(c);
    }
    c = in.next();
    if (item.text.size() == kLimit) {
      end_item(in, c);
      break;
    }
  }
  item.end_position = in.position;
  return item;
}

bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int radix_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

uint64_t model_radix(const std::string& text, size_t from, uint64_t base) {
  uint64_t value = 0;
  for (size_t i = from; i < text.size(); ++i) {
    const int digit = radix_digit(text[i]);
    if (static_cast<uint64_t>(digit) >= base) break;
    value = value * base + static_cast<uint64_t>(digit);
  }
  return value;
}

// Decimal text as the C library reads it: white space, a sign, digits; too large saturates
// whatever the sign, a minus negates modulo 2^64. A zero byte ends the text.
uint64_t model_decimal(const std::string& text, size_t i) {
  while (i < text.size() && is_c_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t value = 0;
  bool too_large = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const auto digit = static_cast<uint64_t>(text[i] - '0');
    if (value > (UINT64_MAX - digit) / 10) too_large = true;
    value = value * 10 + digit;
  }
  if (too_large) return UINT64_MAX;
  return negative ? 0 - value : value;
}

uint64_t model_integer(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (text.size() - i >= 2 && text[i] == '&') {
    switch (text[i + 1]) {
      case 'H': case 'h': return model_radix(text, i + 2, 16);
      case 'B': case 'b': return model_radix(text, i + 2, 2);
      case 'O': case 'o': return model_radix(text, i + 2, 8);
      default: return model_radix(text, i + 1, 8);
    }
  }
  return model_decimal(text, i);
}

double model_double(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (text.size() - i >= 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    return 0.0;
  }
  std::string copy = text.substr(i);
  for (char& c : copy) {
    if (c == 'D') c = 'E';
    if (c == 'd') c = 'e';
  }
  return std::strtod(copy.c_str(), nullptr);
}

// The nearest integer, ties to the even one, as a signed 64-bit pattern; outside that range
// (infinities and NaN included) the pattern of -2^63.
uint64_t model_rounded(double x) {
  if (!std::isfinite(x)) return kOutOfRange;
  const double below = std::floor(x);
  const double fraction = x - below;
  double nearest = below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) nearest = below + 1.0;
  if (nearest < -9223372036854775808.0 || nearest >= 9223372036854775808.0) return kOutOfRange;
  return static_cast<uint64_t>(static_cast<int64_t>(nearest));
}

uint64_t model_value(const ModelItem& item) {
  return item.float_mark ? model_rounded(model_double(item.text)) : model_integer(item.text);
}

std::string printable(const std::string& bytes) {
  std::string out;
  char hex[8];
  for (const char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (b >= 32 && b < 127 && b != '\\') {
      out += c;
    } else {
      std::snprintf(hex, sizeof hex, "\\x%02x", b);
      out += hex;
    }
  }
  return out;
}

[[noreturn]] void fail(const std::string& buffer, size_t at, const char* what,
                       const std::string& got, const std::string& want) {
  std::fprintf(stderr, "input \"%s\", item at %zu: %s is %s, the model says %s\n",
               printable(buffer).c_str(), at, what, got.c_str(), want.c_str());
  std::abort();
}

void check_position(const std::string& buffer, size_t at, size_t expected) {
  const int32_t position = input_context().read_position;
  if (position < 0 || static_cast<size_t>(position) != expected || expected <= at) {
    fail(buffer, at, "read position", std::to_string(position), std::to_string(expected));
  }
}

// Items as text: the bytes, the float mark, the length and the read position.
void check_scan(const std::string& buffer) {
  input_context().read_position = 0;
  for (size_t at = 0; at < buffer.size();) {
    const ModelItem want = model_scan(buffer, at);
    char item[kItemLimit + 1];
    bool float_mark = false;
    const int32_t length = scan_input_item(item, kItemLimit, &float_mark);
    const std::string got(item, static_cast<size_t>(length < 0 ? 0 : length));
    if (got != want.text || item[length] != '\0') {
      fail(buffer, at, "item", '"' + printable(got) + '"', '"' + printable(want.text) + '"');
    }
    if (float_mark != want.float_mark) {
      fail(buffer, at, "float mark", std::to_string(float_mark), std::to_string(want.float_mark));
    }
    check_position(buffer, at, want.end_position);
    at = want.end_position;
  }
}

// Items as numbers: the value and the read position.
void check_values(const std::string& buffer) {
  input_context().read_position = 0;
  for (size_t at = 0; at < buffer.size();) {
    const ModelItem want = model_scan(buffer, at);
    uint64_t value = 0;
    input_item_u64(&value);
    const uint64_t expected = model_value(want);
    if (value != expected) {
      fail(buffer, at, "value", std::to_string(value), std::to_string(expected));
    }
    check_position(buffer, at, want.end_position);
    at = want.end_position;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string buffer(reinterpret_cast<const char*>(data), size);
  input_context().input_buffer = buffer;
  check_scan(buffer);
  check_values(buffer);
  return 0;
}
