#include "gfx/driver_opengl.hpp"
#include "gfx/platform_drivers.hpp"
#include "gfx/x11/x11_driver.hpp"

namespace {

constexpr const GfxDriver* kDrivers[] = {&kX11Driver, &kOpenGlDriver};

}  // namespace

std::span<const GfxDriver* const> platform_drivers() { return kDrivers; }
