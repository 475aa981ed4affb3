// Reads every item of a fuzzed input buffer, once as item text and once as numbers. Whatever
// the bytes: the read position only advances, an item fits its limit and ends in a zero byte,
// both readings stop at the same places, and a plain decimal or float item has the value the
// C library's strtoull or strtod (rounded half to even) gives it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/input_context.hpp"
#include "console/input_item.hpp"
#include "fuzz_input.hpp"

namespace {

// The value the C library gives the item, when it is a plain decimal number or a plain float.
bool library_value(const std::string& text, bool float_mark, uint64_t* value) {
  const size_t sign = text[0] == '+' || text[0] == '-' ? 1 : 0;
  if (text.size() != std::strlen(text.c_str())) return false;
  if (!float_mark && text.size() > sign && text.find_first_not_of("0123456789", sign) == std::string::npos) {
    *value = std::strtoull(text.c_str(), nullptr, 10);
    return true;
  }
  if (!float_mark || text.find_first_not_of("0123456789.eE+-") != std::string::npos) return false;
  const double x = std::fabs(std::strtod(text.c_str(), nullptr));
  if (x >= 0x1p63) *value = uint64_t{1} << 63;  // out of range: the pattern of -2^63
  if (x < 0x1p52) *value = static_cast<uint64_t>(static_cast<int64_t>(std::nearbyint(std::strtod(text.c_str(), nullptr))));
  return x < 0x1p52 || x >= 0x1p63;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  input_context().input_buffer.assign(reinterpret_cast<const char*>(data), size);
  input_context().read_position = 0;
  std::vector<std::string> items;
  std::vector<bool> float_marks;
  std::vector<int32_t> ends;
  while (static_cast<size_t>(input_context().read_position) < size) {
    const int32_t at = input_context().read_position;
    char item[kItemLimit + 1];
    bool float_mark = false;
    const int32_t length = scan_input_item(item, kItemLimit, &float_mark);
    items.emplace_back(item, static_cast<size_t>(length < 0 ? 0 : length));
    float_marks.push_back(float_mark);
    ends.push_back(input_context().read_position);
    if (length < 0 || length > kItemLimit || item[length] != '\0') fail("item length", items.back());
    if (ends.back() <= at || static_cast<size_t>(ends.back()) > size) fail("read position", items.back());
  }
  input_context().read_position = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    uint64_t value = 0, expected = 0;
    input_item_u64(&value);
    if (input_context().read_position != ends[i]) fail("read position unlike the scan's", items[i]);
    if (library_value(items[i], float_marks[i], &expected) && value != expected) fail("value unlike the C library's", items[i]);
  }
  return 0;
}
