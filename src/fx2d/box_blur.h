// Separable box blur of 320x240 8-bit intensity images: each pass averages a window of 2n
// pixels (n before the pixel, the pixel, n - 1 after it) along rows or columns.
#pragma once

#include <cstdint>

// Source and destination are distinct 320x240 images. A radius of 0 copies the source.
// Where the window is cut by the image edge the divisor stays 2n, so the first and last
// n pixels of each line fade toward black. The radius is at most 160 horizontally and
// 120 vertically (half the line); larger radii are treated as that maximum, and negative
// ones as 0.
void blurHorizontal(uint8_t* destination, const uint8_t* source, int n);
void blurVertical(uint8_t* destination, const uint8_t* source, int n);

namespace fast {
// Running sums (box_blur.cpp).
void blurHorizontal(uint8_t* destination, const uint8_t* source, int n);
void blurVertical(uint8_t* destination, const uint8_t* source, int n);
}  // namespace fast

namespace plain {
// The window sums added up afresh at every pixel (box_blur_plain.cpp).
void blurHorizontal(uint8_t* destination, const uint8_t* source, int n);
void blurVertical(uint8_t* destination, const uint8_t* source, int n);
}  // namespace plain
