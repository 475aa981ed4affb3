#include "gfx/driver_opengl.hpp"
#include "gfx/platform_drivers.hpp"
#include "gfx/win32/win32_driver.hpp"

namespace {

constexpr const GfxDriver* kDrivers[] = {&kDirectXDriver, &kGdiDriver, &kOpenGlDriver};

}  // namespace

std::span<const GfxDriver* const> platform_drivers() { return kDrivers; }
