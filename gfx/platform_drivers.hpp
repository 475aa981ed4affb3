#pragma once
// The presentation drivers of this platform, in the order they are tried.
#include <span>

#include "gfx/driver.hpp"

std::span<const GfxDriver* const> platform_drivers();
