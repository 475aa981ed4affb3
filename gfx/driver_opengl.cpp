#include "gfx/driver_opengl.hpp"

namespace {

// No OpenGL presentation exists here: it refuses every screen, and a screen without the
// OpenGL flag would be refused in any case.
int32_t refuse(const char*, int32_t, int32_t, int32_t, int32_t, int32_t) { return -1; }

}  // namespace

const GfxDriver kOpenGlDriver{"OpenGL", refuse, nullptr, nullptr, nullptr, nullptr};
