#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>

#include "gfx/present.hpp"
#include "gfx/screen.hpp"
#include "gfx/window.hpp"
#include "gfx/x11/x11_window.hpp"

namespace {

// Set while a request that may fail on a remote server (shared memory) is checked.
bool x_request_failed = false;

int note_x_error(Display*, XErrorEvent*) {
  x_request_failed = true;
  return 0;
}

bool create_shared_image(X11Window& x, int width, int height) {
  // Shared pixels reach the server as they are: only a server that reads them least
  // significant byte first, as they are converted, can take them.
  if (!XShmQueryExtension(x.display) || ImageByteOrder(x.display) != LSBFirst) return false;
  x.image = XShmCreateImage(x.display, x.visual, static_cast<unsigned>(x.visual_depth), ZPixmap,
                            nullptr, &x.shm, static_cast<unsigned>(width),
                            static_cast<unsigned>(height));
  if (x.image == nullptr) return false;
  x.shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(x.image->bytes_per_line) * height,
                       IPC_CREAT | 0600);
  if (x.shm.shmid >= 0) {
    x.shm.shmaddr = x.image->data = static_cast<char*>(shmat(x.shm.shmid, nullptr, 0));
    x.shm.readOnly = False;
    XSync(x.display, False);
    x_request_failed = false;
    XErrorHandler previous = XSetErrorHandler(note_x_error);
    const bool attached = x.shm.shmaddr != reinterpret_cast<char*>(-1) &&
                          XShmAttach(x.display, &x.shm) && (XSync(x.display, False), true) &&
                          !x_request_failed;
    XSetErrorHandler(previous);
    shmctl(x.shm.shmid, IPC_RMID, nullptr);  // freed once both sides detach
    if (attached) {
      x.shm_attached = true;
      return true;
    }
    if (x.shm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(x.shm.shmaddr);
  }
  x.image->data = nullptr;
  XDestroyImage(x.image);
  x.image = nullptr;
  return false;
}

bool create_plain_image(X11Window& x, int width, int height) {
  const int pad = x.format.bytes_per_pixel * 8;
  x.image = XCreateImage(x.display, x.visual, static_cast<unsigned>(x.visual_depth), ZPixmap, 0,
                         nullptr, static_cast<unsigned>(width), static_cast<unsigned>(height),
                         pad, 0);
  if (x.image == nullptr) return false;
  x.image->byte_order = LSBFirst;  // as converted; Xlib reorders for the server
  x.image->data = static_cast<char*>(std::calloc(static_cast<size_t>(x.image->bytes_per_line),
                                                 static_cast<size_t>(height)));
  return x.image->data != nullptr;
}

void put_rows(X11Window& x, int first_row, int rows) {
  const auto width = static_cast<unsigned>(x.image->width);
  if (x.shm_attached) {
    XShmPutImage(x.display, x.window, x.gc, x.image, 0, first_row, x.offset_x,
                 x.offset_y + first_row, width, static_cast<unsigned>(rows), False);
  } else {
    XPutImage(x.display, x.window, x.gc, x.image, 0, first_row, x.offset_x, x.offset_y + first_row,
              width, static_cast<unsigned>(rows));
  }
}

// The picture never grows beyond the screen's size, however large the window is made.
int largest_scale(const X11Window& x) {
  const GfxWindow& w = gfx_window();
  const int screen = DefaultScreen(x.display);
  return std::max(1, std::min(DisplayWidth(x.display, screen) / w.width,
                              DisplayHeight(x.display, screen) / w.height));
}

}  // namespace

bool x11_layout_picture(X11Window& x) {
  const GfxWindow& w = gfx_window();
  x.scale = std::max(1, std::min(x.client_width / w.width, x.client_height / w.height));
  x.scale = std::min(x.scale, largest_scale(x));
  const int width = w.width * x.scale;
  const int height = w.height * x.scale;
  x.offset_x = std::max(0, (x.client_width - width) / 2);
  x.offset_y = std::max(0, (x.client_height - height) / 2);
  if (x.image != nullptr && x.image->width == width && x.image->height == height) return true;
  x11_destroy_image(x);
  return create_shared_image(x, width, height) || create_plain_image(x, width, height);
}

void x11_destroy_image(X11Window& x) {
  if (x.image == nullptr) return;
  if (x.shm_attached) {
    XShmDetach(x.display, &x.shm);
    XSync(x.display, False);
    shmdt(x.shm.shmaddr);
    x.image->data = nullptr;
    x.shm_attached = false;
  }
  XDestroyImage(x.image);  // frees a plain image's pixels too
  x.image = nullptr;
}

void x11_present(X11Window& x, GfxScreen& screen) {
  const Presenter presenter{
      x.format, &x.lut, x.scale,
      [&x](const auto& palette) { x11_allocate_colors(x, palette); },
      [&x] { return PictureLines{reinterpret_cast<uint8_t*>(x.image->data), x.image->bytes_per_line}; },
      [&x](int32_t first, int32_t last) {
        put_rows(x, first, last - first + 1);
        XSync(x.display, False);  // the server has read the image before it changes again
      }};
  present_dirty_lines(screen, presenter);
}
