// Reads every item of a fuzzed input buffer, once as item text and once as numbers. Whatever
// the bytes: the read position only advances, an item fits its limit and ends in a zero byte,
// both readings stop at the same places, and an item of decimal digits (with a sign) or of
// &H and up to 16 hex digits has the value the C library's strtoull gives it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/input_context.hpp"
#include "console/input_item.hpp"

namespace {

[[noreturn]] void fail(const char* what, size_t item, const std::string& text) {
  std::fprintf(stderr, "item %zu (\"%s\"): %s\n", item, text.c_str(), what);
  std::abort();
}

bool all_of(const std::string& text, size_t from, const char* allowed) {
  return from < text.size() && text.find_first_not_of(allowed, from) == std::string::npos;
}

// The value strtoull gives the item, when it is a plain decimal or hex number.
bool library_value(const std::string& text, uint64_t* value) {
  const size_t sign = text[0] == '+' || text[0] == '-' ? 1 : 0;
  if (all_of(text, sign, "0123456789")) {
    *value = std::strtoull(text.c_str(), nullptr, 10);
    return true;
  }
  if (text.size() <= 18 && (text.rfind("&H", 0) == 0 || text.rfind("&h", 0) == 0) &&
      all_of(text, 2, "0123456789abcdefABCDEF")) {
    *value = std::strtoull(text.c_str() + 2, nullptr, 16);
    return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  input_context().input_buffer.assign(reinterpret_cast<const char*>(data), size);
  input_context().read_position = 0;
  std::vector<std::string> items;
  std::vector<int32_t> ends;
  while (static_cast<size_t>(input_context().read_position) < size) {
    const int32_t at = input_context().read_position;
    char item[kItemLimit + 1];
    bool float_mark = false;
    const int32_t length = scan_input_item(item, kItemLimit, &float_mark);
    items.emplace_back(item, static_cast<size_t>(length < 0 ? 0 : length));
    ends.push_back(input_context().read_position);
    if (length < 0 || length > kItemLimit || item[length] != '\0') fail("item length", items.size(), items.back());
    if (ends.back() <= at || static_cast<size_t>(ends.back()) > size) fail("read position", items.size(), items.back());
  }
  input_context().read_position = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    uint64_t value = 0, expected = 0;
    input_item_u64(&value);
    if (input_context().read_position != ends[i]) fail("read position unlike the scan's", i, items[i]);
    if (library_value(items[i], &expected) && value != expected) fail("value unlike strtoull's", i, items[i]);
  }
  return 0;
}
