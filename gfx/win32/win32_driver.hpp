#pragma once
// The window drivers of Windows.
#include "gfx/driver.hpp"

// Presents through DirectDraw; refuses every window for now, so that "GDI" opens.
extern const GfxDriver kDirectXDriver;
// Presents through GDI bitmaps.
extern const GfxDriver kGdiDriver;
