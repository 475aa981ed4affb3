#pragma once
// The device hooks: the graphics versions of the console statements. All are empty while the
// text console is in use; a successful screen mode set fills them and closing the screen
// empties them again. An empty hook means "act on the text console".
#include <cstdint>
#include <string>

struct DeviceHooks {
  void (*clear)(uint32_t mode);
  uint32_t (*color)(int32_t foreground, int32_t background, int32_t flags);
  void (*text_output)(const uint8_t* bytes, uint64_t length, int32_t flags);
  int32_t (*cursor_column)();  // counted from 0
  uint32_t (*text_width)();
  std::string (*read_line)();  // the line typed for the input statement
  void (*sleep)(int32_t milliseconds);
};

DeviceHooks& device_hooks();

// Called with the exit code by the end statement; the first screen opened stores its close here.
using EndHook = void (*)(int32_t exit_code);
void set_end_hook(EndHook hook);
