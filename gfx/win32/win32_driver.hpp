#pragma once
// The window drivers of Windows.
#include "gfx/driver.hpp"

// Presents through DirectDraw, with the keyboard read through DirectInput.
extern const GfxDriver kDirectXDriver;
// Presents through GDI bitmaps.
extern const GfxDriver kGdiDriver;
