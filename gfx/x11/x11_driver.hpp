#pragma once
#include "gfx/driver.hpp"

// Presents the screen in an X11 window, on a presentation thread with its own connection.
extern const GfxDriver kX11Driver;
