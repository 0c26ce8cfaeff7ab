// Bilinear sampling of 320x240 8-bit intensity images, and the zoom-feedback pass that
// smears an image in place away from a centre point.
#pragma once

#include <cstdint>

// The four weights, in sixteenths, of one sub-pixel position (fx, fy) between pixel
// (x, y) and its right, lower and lower-right neighbours. They add up to 16.
struct BilinearWeightEntry {
    uint8_t lowerRight;  // pixel (x + 1, y + 1)
    uint8_t lowerLeft;   // pixel (x, y + 1)
    uint8_t upperRight;  // pixel (x + 1, y)
    uint8_t upperLeft;   // pixel (x, y)
};

// Fills the weight table; called once at start-up before any scene loads.
void buildBilinearWeights();

// The table entry for the sub-pixel fractions fx, fy (0..15, sixteenths of a pixel).
const BilinearWeightEntry& bilinearWeights(int fx, int fy);

// The zoom feedback over the whole image: each pixel (c, r) except row 0 and column 0
// takes its sample at the centre (cx, cy) plus (c - cx, r - cy) * k / 65536, working
// outward from the centre so that streaks grow away from it. Meant for
// 0 <= cx <= 319, 0 <= cy <= 239, 0 < k < 65536; values outside are clamped into that
// range, which keeps every sample inside the image.
void zoomBlend(uint8_t* image, int cx, int cy, int k);

namespace fast {
// Rows four pixels at a time (bilinear.cpp).
void zoomBlend(uint8_t* image, int cx, int cy, int k);
}  // namespace fast

namespace plain {
// The zoom pixel after pixel in the order it is defined (bilinear_plain.cpp), by runs:
// for i = i, i + iStep, ... until iEnd, the byte image[rowOffset + i] becomes about 15/16
// of the bilinear sample at (x, y) plus 1/16 of its old value, and (x, y) steps by
// (dx, dy). x and y are 16.16 fixed point. The image is read as the run writes it. Every
// sample must lie inside the image: 0 <= x >> 16 <= 319, 0 <= y >> 16 <= 239 (a
// neighbour with zero weight is not read, so a sample on the last row or column is
// allowed).
void sampleBlendRun(uint8_t* image, int32_t i, int32_t iEnd, int32_t y, int32_t x,
                    int32_t dy, int32_t dx, int32_t rowOffset, int32_t iStep);
void zoomBlend(uint8_t* image, int cx, int cy, int k);
}  // namespace plain
