// The smear that leaves particle trails: a 5x5 block average worked in place.
#pragma once

#include <cstdint>

// The rows and columns left alone all round (the caller clears them).
constexpr int kTrailBorder = 5;

// Every pixel of rows and columns 5 .. 234 / 314, in reading order, becomes the sum of
// the 5x5 block around it as it stands (pixels before it already replaced) divided by 26,
// which smears down and right and darkens a little each frame.
void blurTrails(uint8_t* frame);

namespace fast {
void blurTrails(uint8_t* frame);  // running sums (trail_blur.cpp)
}  // namespace fast

namespace plain {
// The 25-term sum at every pixel (trail_blur_plain.cpp).
void blurTrails(uint8_t* frame);
}  // namespace plain
