#include "gfx/driver_win32.hpp"

namespace {

// DirectDraw presentation is not built yet: every window goes to the next driver.
int32_t init(const char*, int32_t, int32_t, int32_t, int32_t, int32_t) { return -1; }

}  // namespace

const GfxDriver kDirectXDriver{"DirectX", init, nullptr, nullptr, nullptr, nullptr};
