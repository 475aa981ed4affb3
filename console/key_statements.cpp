#include "console/key_statements.hpp"

#include "runtime/console_input.hpp"
#include "runtime/device_hooks.hpp"

namespace {

// A key as a new temporary string: one byte for codes up to 255, else the low byte (255) and
// the code byte. The shared empty string when it cannot be made.
StringDescriptor* key_code_to_string(int32_t code) {
  const uint8_t bytes[] = {static_cast<uint8_t>(code & 0xFF), static_cast<uint8_t>(code >> 8)};
  return temp_string_from_bytes(bytes, code <= 255 ? 1 : 2);
}

}  // namespace

int32_t key_string_value(const StringDescriptor& key) {
  if (string_length(key) == 1) return key.data[0];
  if (string_length(key) == 2) return key.data[1] * 256 + 255;
  return 0;
}

StringDescriptor* inkey_statement() {
  const DeviceHooks& hooks = device_hooks();
  const int32_t code = hooks.inkey_code != nullptr ? hooks.inkey_code() : console_inkey_code();
  return code == -1 ? temp_string_from_literal("", 0) : key_code_to_string(code);
}

int32_t key_hit_statement() {
  return device_hooks().key_hit != nullptr ? device_hooks().key_hit() : console_key_hit();
}

int32_t getkey_statement() {
  return device_hooks().getkey != nullptr ? device_hooks().getkey() : console_getkey();
}

int32_t input_ended_statement() {
  return device_hooks().input_ended != nullptr ? device_hooks().input_ended()
                                               : console_input_ended();
}

void sleep_statement(int32_t milliseconds) {
  if (device_hooks().sleep != nullptr) {
    device_hooks().sleep(milliseconds);
  } else {
    console_sleep(milliseconds);
  }
}
