#include "gfx/driver_opengl.hpp"
#include "gfx/platform_drivers.hpp"
#include "gfx/web/web_canvas.hpp"

namespace {

constexpr const GfxDriver* kDrivers[] = {&kCanvasDriver, &kOpenGlDriver};

}  // namespace

std::span<const GfxDriver* const> platform_drivers() { return kDrivers; }
