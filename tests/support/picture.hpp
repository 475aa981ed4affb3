#pragma once
// Pictures as the window tests see them, on any window system: the text screen drawn as it
// should look, scaled, and compared with what a window shows.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

// A picture: its pixels 0xRRGGBB, row after row.
struct Grab { int width = 0, height = 0; std::vector<uint32_t> pixels; };

struct Cell { int column, row; };  // from 0

// The 320 x 200 picture of text rows drawn in the text colour on the background with the 8 x 8
// font, with the input cursor's mark (a line across the bottom of the cell) where one is given.
Grab text_picture(const std::vector<std::string>& rows, Cell cursor = {-1, -1}, uint32_t background = 0x0000AA,
                  uint32_t text = 0xAAAAAA);

// The picture scaled by a whole factor and centred in a larger picture on black.
Grab scaled_picture(const Grab& picture, int width, int height);

// Where the part is within the picture, its top left pixel's column and row; -1, -1 if nowhere.
Cell find_picture(const Grab& picture, const Grab& part);

// The pixels in which two pictures differ; -1 when their sizes differ.
int differing_pixels(const Grab& shown, const Grab& expected);

// Waits up to timeout_ms until grab reads the picture back; the number of differing pixels
// otherwise (-1 when its size stays another).
int differing_pixels(const std::function<Grab()>& grab, const Grab& expected, int timeout_ms = 5000);

}  // namespace test_support
