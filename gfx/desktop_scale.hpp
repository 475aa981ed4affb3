#pragma once
// The whole factor a window shows its picture at on a desktop that asks for a scale: one rule
// for every window system.

// The nearest whole factor of a desktop's scale (1.25 gives 1, 1.5 and 1.75 give 2), at least
// 1; a scale that is not a number, not positive, infinite or beyond any screen's density gives 1.
int whole_scale(double desktop_scale);

// The largest factor up to scale at which a picture of width x height fits in an area of
// area_width x area_height (the screen's work area), at least 1.
int fitting_scale(int scale, int width, int height, int area_width, int area_height);

// A window system of fractional scales (given in 120ths, as Wayland gives them) shows a window
// of a logical size on that size times the scale in device pixels, halves rounded away from
// zero.
int device_pixels(int logical_size, int scale_120ths);

// The smallest logical size shown on at least device_size device pixels: a picture of whole
// blocks of that size then needs no resampling, and is centred in the few device pixels more.
int covering_logical_size(int device_size, int scale_120ths);
