#pragma once
#include "gfx/driver.hpp"

// Presents the screen in a Wayland window, on a presentation thread with its own connection.
extern const GfxDriver kWaylandDriver;
