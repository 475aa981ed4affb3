#include <X11/Xresource.h>

#include <algorithm>
#include <cstdlib>

#include "gfx/x11/x11_window.hpp"

namespace {

constexpr double kBaseDpi = 96;
// Larger scales are taken for mistakes: no screen is that dense.
constexpr double kLargestScale = 64;

// GDK_SCALE when it is a whole number of at least 1; 0 otherwise.
int scale_from_environment() {
  const char* text = std::getenv("GDK_SCALE");
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const long scale = std::strtol(text, &end, 10);
  return *end == '\0' && scale >= 1 && scale <= kLargestScale ? static_cast<int>(scale) : 0;
}

// The server's Xft.dpi resource over 96, rounded down, at least 1; 0 without the resource.
int scale_from_resources(Display* display) {
  const char* resources = XResourceManagerString(display);
  if (resources == nullptr) return 0;
  XrmInitialize();
  const XrmDatabase database = XrmGetStringDatabase(resources);
  char* type = nullptr;
  XrmValue value{};
  int scale = 0;
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
    char* end = nullptr;
    const double dpi = std::strtod(value.addr, &end);
    if (end != value.addr) scale = static_cast<int>(std::clamp(dpi / kBaseDpi, 1.0, kLargestScale));
  }
  XrmDestroyDatabase(database);
  return scale;
}

}  // namespace

int x11_desktop_scale(Display* display) {
  if (const int scale = scale_from_environment(); scale != 0) return scale;
  if (const int scale = scale_from_resources(display); scale != 0) return scale;
  return 1;
}
