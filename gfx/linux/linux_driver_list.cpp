#include "gfx/driver_opengl.hpp"
#include "gfx/platform_drivers.hpp"
#include "gfx/wayland/wayland_driver.hpp"
#include "gfx/x11/x11_driver.hpp"

namespace {

// A Wayland desktop first: there an X11 window would be XWayland's, stretched at a scale.
constexpr const GfxDriver* kDrivers[] = {&kWaylandDriver, &kX11Driver, &kOpenGlDriver};

}  // namespace

std::span<const GfxDriver* const> platform_drivers() { return kDrivers; }
