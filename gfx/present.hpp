#pragma once
// The present step every window driver shares: after a palette change the conversion table is
// filled anew and every line is shown again; the band from the first to the last dirty line is
// converted into the driver's picture, the lines are marked clean, and the driver shows them.
// A driver supplies only the picture and what shows it.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "gfx/pixel_convert.hpp"

struct GfxScreen;

// The picture that framebuffer lines are converted into. Framebuffer line y becomes the picture
// lines from y * repeat on (repeat: the scale times the mode's line multiplier), each pixel
// scale times across.
struct PictureLines {
  uint8_t* pixels;  // picture line 0; null: the picture cannot be had now, the lines stay dirty
  ptrdiff_t pitch;  // bytes from one picture line to the next
};

struct Presenter {
  DisplayFormat format;    // the picture's pixels
  uint32_t (*table)[256];  // palette index -> picture pixel, filled from the palette table
  int32_t scale;
  // After the table is filled anew: the driver's own use of the palette (a colour map, the
  // display's palette); may be empty.
  std::function<void(const PaletteEntry (&palette)[256])> take_palette;
  // The picture to convert into, asked for only when a line is dirty.
  std::function<PictureLines()> open;
  // Picture lines first to last have been converted into the picture open gave: the driver
  // shows them. Follows every open that gave a picture.
  std::function<void(int32_t first, int32_t last)> show;
};

// One present step of the screen through the driver's presenter.
void present_dirty_lines(GfxScreen& screen, const Presenter& presenter);

// Converts framebuffer lines first to last into the picture, dirty or not.
void convert_lines(const GfxScreen& screen, const Presenter& presenter, const PictureLines& picture,
                   int32_t first, int32_t last);
