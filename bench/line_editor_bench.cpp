// The line editor on the 40 x 25 in-memory graphics screen: typing a line of n characters, then
// Home and one more key, which pushes the whole line one cell on. Each key should cost time in
// proportion to what it redraws, so the whole line takes time linear in n (the fitted
// complexity reported is N, not N^2).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/line_editor.hpp"
#include "gfx/driver.hpp"
#include "gfx/screen_mode.hpp"
#include "runtime/device_hooks.hpp"
#include "runtime/key_code.hpp"

namespace {

// The keys typed, handed to the editor through the key hooks: the screen's own key buffer
// holds only 15.
std::vector<int32_t> typed;
size_t next_key = 0;

int32_t key_hit() { return next_key < typed.size() ? 1 : 0; }
int32_t inkey_code() { return next_key < typed.size() ? typed[next_key++] : -1; }
int32_t input_ended() { return next_key < typed.size() ? 0 : 1; }

void BM_LineEditorTypesALongLine(benchmark::State& state) {
  if (screen_statement(1, 8, 0, GFX_NO_WINDOW, 0) != 0) {
    state.SkipWithError("the in-memory screen did not open");
    return;
  }
  DeviceHooks& hooks = device_hooks();
  hooks.key_hit = key_hit;
  hooks.inkey_code = inkey_code;
  hooks.input_ended = input_ended;
  const auto length = static_cast<size_t>(state.range(0));
  typed.clear();
  for (size_t i = 0; i < length; ++i) typed.push_back('0' + static_cast<int32_t>(i % 10));
  typed.insert(typed.end(), {KEY_HOME, 'x', 13});
  for (auto _ : state) {
    next_key = 0;
    const std::string line = edit_input_line(true);
    if (line.size() != length + 1 || line.compare(0, 4, "x012") != 0) {
      state.SkipWithError("the editor returned another line");
      break;
    }
  }
  close_screen();
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LineEditorTypesALongLine)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 18)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
