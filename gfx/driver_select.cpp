#include <strings.h>

#include <cstdlib>
#include <initializer_list>

#include "gfx/driver.hpp"
#include "gfx/driver_null.hpp"
#include "gfx/platform_drivers.hpp"

namespace {

// Tries the drivers of one pass, each with the refresh rate asked for and then with 0.
const GfxDriver* try_pass(const char* only, const char* title, int32_t width, int32_t height,
                          int32_t depth, int32_t refresh_rate, int32_t flags) {
  for (const GfxDriver* driver : platform_drivers()) {
    if (only != nullptr && strcasecmp(driver->name, only) != 0) continue;
    for (int32_t rate : {refresh_rate, 0}) {
      if (driver->init(title, width, height, depth, rate, flags) == 0) return driver;
      if (driver->exit != nullptr) driver->exit();
    }
  }
  return nullptr;
}

}  // namespace

const GfxDriver* select_driver(const char* title, int32_t width, int32_t height, int32_t depth,
                               int32_t refresh_rate, int32_t flags) {
  if (flags == GFX_NO_WINDOW) return &kNullDriver;
  const char* named = std::getenv("QZGFX");
  if (named != nullptr && strcasecmp(named, "null") == 0) return &kNullDriver;
  // With a name: the named driver, all, then both again in the other of window and full
  // screen. Without: all, then all in the other.
  const bool has_name = named != nullptr && named[0] != '\0';
  const int pass_count = has_name ? 4 : 2;
  for (int pass = 0; pass < pass_count; ++pass) {
    if (pass == pass_count / 2) flags ^= GFX_FULLSCREEN;
    const char* only = has_name && pass % 2 == 0 ? named : nullptr;
    if (const GfxDriver* driver = try_pass(only, title, width, height, depth, refresh_rate, flags)) {
      return driver;
    }
  }
  return nullptr;
}
