#pragma once
// The device hooks: the graphics versions of the console statements. All are empty while the
// text console is in use; a successful screen mode set fills them and closing the screen
// empties them again. An empty hook means "act on the text console".
#include <cstdint>
#include <string>

// Text output flag, of the hook and of both devices' text output: run even for no bytes,
// carrying out an owed newline only.
inline constexpr int32_t TEXT_OUTPUT_FORCE = 8;

// The beep, wherever a screen or console can sound one: 1000 Hz for 250 ms.
inline constexpr int32_t kToneHertz = 1000;
inline constexpr int32_t kToneMilliseconds = 250;

struct DeviceHooks {
  void (*clear)(uint32_t mode);
  uint32_t (*color)(int32_t foreground, int32_t background, int32_t flags);
  void (*text_output)(const uint8_t* bytes, uint64_t length, int32_t flags);
  // Places the cursor (1-based; 0 keeps a coordinate) and cancels an owed newline.
  void (*locate)(int32_t row, int32_t column);
  void (*cursor_cell)(int32_t* column, int32_t* row);  // 1-based
  void (*text_size)(int32_t* columns, int32_t* rows);
  std::string (*read_line)();  // the line typed for the input statement
  int32_t (*key_hit)();        // 1 when a key waits
  int32_t (*inkey_code)();     // the oldest key, removed; -1 for none
  int32_t (*getkey)();         // the oldest key, waiting for one
  int32_t (*input_ended)();    // 1 when no key can ever come again
  void (*sleep)(int32_t milliseconds);
  void (*tone)();              // the beep, where the screen can sound it
};

DeviceHooks& device_hooks();

// Called with the exit code by the end statement; the first screen opened stores its close here.
using EndHook = void (*)(int32_t exit_code);
void set_end_hook(EndHook hook);
