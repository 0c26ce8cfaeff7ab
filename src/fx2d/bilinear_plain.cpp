// The zoom feedback, plain: pixel after pixel, in the order the pass is defined, each
// taking its bilinear sample from the image as the pass has left it so far.
// bilinear.cpp gives every pixel the same value faster.
#include "fx2d/bilinear.h"

#include <algorithm>

#include "core/display.h"
#include "core/fixed_point.h"

namespace plain {

namespace {

// One pixel's share of a run: about 15/16 of the bilinear sample at (x, y), 16.16 fixed
// point, plus 1/16 of the old value.
void blendSample(uint8_t* image, Fixed16 x, Fixed16 y, uint8_t* pixel) {
    const int32_t sx = floorFixed16(x);
    const int32_t sy = floorFixed16(y);
    const BilinearWeightEntry& w = bilinearWeights(sixteenthsOfFixed16(x), sixteenthsOfFixed16(y));
    // With a zero fraction the right (or lower) neighbour has weight 0; reading the pixel
    // itself instead gives the same sum and never steps past the last column or row.
    const uint8_t* upper = image + sy * kFrameWidth + sx;
    const int32_t right = sixteenthsOfFixed16(x) != 0 ? 1 : 0;
    const int32_t down = sixteenthsOfFixed16(y) != 0 ? kFrameWidth : 0;
    const int32_t sum = upper[0] * w.upperLeft + upper[right] * w.upperRight +
                        upper[down] * w.lowerLeft + upper[down + right] * w.lowerRight;
    // sum is 0..4080 (sixteen times the sample); 15 * sum + 16 * old is at most 65,280.
    *pixel = static_cast<uint8_t>((sum * 15 + *pixel * 16) >> 8);
}

// Row r from column `first` outward by columnStep (-1 or +1), up to but not including
// column `end`: each pixel (c, r) sampled at the centre plus (c - cx, r - cy) * k / 65536.
void blendRow(uint8_t* image, int cx, int cy, int k, int r, int first, int end, int columnStep) {
    sampleBlendRun(image, first, end, toFixed16(cy) + (r - cy) * k,
                   toFixed16(cx) + (first - cx) * k, 0, columnStep * k, r * kFrameWidth,
                   columnStep);
}

}  // namespace

void sampleBlendRun(uint8_t* image, int32_t i, int32_t iEnd, int32_t y, int32_t x,
                    int32_t dy, int32_t dx, int32_t rowOffset, int32_t iStep) {
    while (i != iEnd) {
        blendSample(image, x, y, image + rowOffset + i);
        y += dy;
        x += dx;
        i += iStep;
    }
}

// Four regions, each row going outward from the centre column and the rows outward from
// the centre row: up and leftward (columns cx down to 1), down and leftward, up and
// rightward (columns cx + 1 up to 319), down and rightward. Row 0 and column 0 are never
// written.
void zoomBlend(uint8_t* image, int cx, int cy, int k) {
    cx = std::clamp(cx, 0, kFrameWidth - 1);
    cy = std::clamp(cy, 0, kFrameHeight - 1);
    k = std::clamp(k, 1, 65535);
    for (int r = cy; r >= 1; --r) blendRow(image, cx, cy, k, r, cx, 0, -1);
    for (int r = cy + 1; r < kFrameHeight; ++r) blendRow(image, cx, cy, k, r, cx, 0, -1);
    for (int r = cy; r >= 1; --r) blendRow(image, cx, cy, k, r, cx + 1, kFrameWidth, 1);
    for (int r = cy + 1; r < kFrameHeight; ++r) {
        blendRow(image, cx, cy, k, r, cx + 1, kFrameWidth, 1);
    }
}

}  // namespace plain
