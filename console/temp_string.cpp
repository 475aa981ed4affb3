#include "console/temp_string.hpp"

#include <cstdlib>
#include <cstring>

namespace {

struct TempStringPool {
  StringDescriptor slots[kTempStringPoolSize];
  bool in_use[kTempStringPoolSize];
};

TempStringPool pool;
StringDescriptor shared_empty{nullptr, 0, 0};

StringDescriptor* take_slot() {
  for (int i = 0; i < kTempStringPoolSize; ++i) {
    if (!pool.in_use[i]) {
      pool.in_use[i] = true;
      return &pool.slots[i];
    }
  }
  return nullptr;
}

}  // namespace

StringDescriptor* temp_string_from_literal(const char* text, int64_t length) {
  StringDescriptor* slot = take_slot();
  if (slot == nullptr) return &shared_empty;
  const auto count = static_cast<uint64_t>(length);
  *slot = {reinterpret_cast<uint8_t*>(const_cast<char*>(text)), count, count};
  return slot;
}

StringDescriptor* temp_string_from_bytes(const uint8_t* bytes, uint64_t length) {
  auto* copy = static_cast<uint8_t*>(std::malloc(length == 0 ? 1 : length));
  if (copy == nullptr) return &shared_empty;
  StringDescriptor* slot = take_slot();
  if (slot == nullptr) {
    std::free(copy);
    return &shared_empty;
  }
  std::memcpy(copy, bytes, length);
  *slot = {copy, length | STRING_OWNS_DATA, length};
  return slot;
}

int32_t release_temp_string(StringDescriptor* descriptor) {
  if (descriptor == nullptr) return -1;
  if (descriptor->length & STRING_OWNS_DATA) {
    std::free(descriptor->data);
    *descriptor = {nullptr, 0, 0};
  }
  const auto address = reinterpret_cast<uintptr_t>(descriptor);
  const auto first = reinterpret_cast<uintptr_t>(pool.slots);
  if (address < first || address >= first + sizeof pool.slots) return -1;
  pool.in_use[(address - first) / sizeof(StringDescriptor)] = false;
  *descriptor = {nullptr, 0, 0};
  return 0;
}
