#include "gfx/driver_null.hpp"

namespace {

void nothing() {}

}  // namespace

// The screen lives in memory only: no window, no presentation, a lock that guards nothing
// because no other thread touches the screen.
const GfxDriver kNullDriver{"Null", nullptr, nullptr, nothing, nothing, nullptr};
