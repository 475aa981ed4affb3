#pragma once
#include "gfx/driver.hpp"

extern const GfxDriver kNullDriver;
