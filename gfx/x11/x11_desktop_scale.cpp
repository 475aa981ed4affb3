#include <X11/Xatom.h>
#include <X11/Xresource.h>

#include <cstdlib>

#include "gfx/desktop_scale.hpp"
#include "gfx/x11/x11_window.hpp"

namespace {

constexpr double kBaseDpi = 96;

// GDK_SCALE when it is a whole number of at least 1; 0 otherwise.
int scale_from_environment() {
  const char* text = std::getenv("GDK_SCALE");
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const long scale = std::strtol(text, &end, 10);
  return *end == '\0' && scale >= 1 && whole_scale(static_cast<double>(scale)) == scale ? static_cast<int>(scale) : 0;
}

// The server's Xft.dpi resource over 96 as a whole scale; 0 without the resource.
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
    if (end != value.addr) scale = whole_scale(dpi / kBaseDpi);
  }
  XrmDestroyDatabase(database);
  return scale;
}

// The size of the area windows may take on the screen: the window manager's work area of the
// current desktop (_NET_WORKAREA, without its panels), else the whole screen.
void work_area(Display* display, int& width, int& height) {
  const int screen = DefaultScreen(display);
  width = DisplayWidth(display, screen);
  height = DisplayHeight(display, screen);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  const Atom property = XInternAtom(display, "_NET_WORKAREA", False);
  if (XGetWindowProperty(display, RootWindow(display, screen), property, 0, 4, False, XA_CARDINAL, &type, &format,
                         &count, &left, &data) == Success && type == XA_CARDINAL && format == 32 && count == 4) {
    const auto* area = reinterpret_cast<const long*>(data);  // x, y, width, height
    if (area[2] > 0 && area[3] > 0) width = static_cast<int>(area[2]), height = static_cast<int>(area[3]);
  }
  if (data != nullptr) XFree(data);
}

int requested_scale(Display* display) {
  if (const int scale = scale_from_environment(); scale != 0) return scale;
  if (const int scale = scale_from_resources(display); scale != 0) return scale;
  return 1;
}

}  // namespace

int x11_desktop_scale(Display* display, int width, int height) {
  int area_width = 0, area_height = 0;
  work_area(display, area_width, area_height);
  return fitting_scale(requested_scale(display), width, height, area_width, area_height);
}
