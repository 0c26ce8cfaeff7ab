// Fixed-point bilinear sampler and zoom feedback: one table lookup, four multiplies and a
// shift per pixel, in place, with no second buffer.
#include "fx2d/bilinear.h"

#include <algorithm>

#include "core/display.h"

namespace {

// Entry fx * 16 + fy. File-level work table, built once at start-up.
BilinearWeightEntry weightTable[256];

// Writes one pixel's share of a run: about 15/16 of the sample plus 1/16 of the old value.
void blendSample(uint8_t* image, int32_t x, int32_t y, uint8_t* pixel) {
    const int32_t sx = x >> 16;  // 16.16 to whole pixels, flooring
    const int32_t sy = y >> 16;
    const int32_t fx = (x >> 12) & 15;  // fraction in sixteenths
    const int32_t fy = (y >> 12) & 15;
    const BilinearWeightEntry& w = weightTable[fx * 16 + fy];
    // With a zero fraction the right (or lower) neighbour has weight 0; reading the pixel
    // itself instead gives the same sum and never steps past the last column or row.
    const uint8_t* upper = image + sy * kFrameWidth + sx;
    const int32_t right = fx != 0 ? 1 : 0;
    const int32_t down = fy != 0 ? kFrameWidth : 0;
    const int32_t sum = upper[0] * w.upperLeft + upper[right] * w.upperRight +
                        upper[down] * w.lowerLeft + upper[down + right] * w.lowerRight;
    // sum is 0..4080 (sixteen times the sample); 15 * sum + 16 * old is at most 65,280.
    *pixel = static_cast<uint8_t>((sum * 15 + *pixel * 16) >> 8);
}

}  // namespace

void buildBilinearWeights() {
    for (int fx = 0; fx < 16; ++fx) {
        for (int fy = 0; fy < 16; ++fy) {
            BilinearWeightEntry& w = weightTable[fx * 16 + fy];
            w.lowerRight = static_cast<uint8_t>(fx * fy / 16);
            w.lowerLeft = static_cast<uint8_t>((16 - fx) * fy / 16);
            w.upperRight = static_cast<uint8_t>(fx * (16 - fy) / 16);
            // The rest, so that the four always add up to exactly 16.
            w.upperLeft = static_cast<uint8_t>(16 - w.lowerRight - w.lowerLeft - w.upperRight);
        }
    }
}

const BilinearWeightEntry& bilinearWeights(int fx, int fy) {
    return weightTable[(fx & 15) * 16 + (fy & 15)];
}

namespace {

// A run along one row (dy = 0), which is every run of the zoom: the sample row, its
// fraction and its lower neighbour stay the same for the whole run, and the weights
// come from the table's column for that fraction. Each pixel gets the very sum and
// blend blendSample would give it, from the image as the run has left it so far.
void blendRowRun(uint8_t* image, int32_t i, int32_t iEnd, int32_t y, int32_t x, int32_t dx,
                 int32_t rowOffset, int32_t iStep) {
    const int32_t fy = (y >> 12) & 15;
    const uint8_t* upper = image + (y >> 16) * kFrameWidth;
    const int32_t down = fy != 0 ? kFrameWidth : 0;
    const BilinearWeightEntry* weightsForFy = weightTable + fy;  // entry fx is at fx * 16
    uint8_t* pixel = image + rowOffset + i;
    for (; i != iEnd; i += iStep, x += dx, pixel += iStep) {
        const int32_t fx = (x >> 12) & 15;
        const BilinearWeightEntry& w = weightsForFy[fx * 16];
        const uint8_t* sample = upper + (x >> 16);
        const int32_t right = fx != 0 ? 1 : 0;
        const int32_t sum = sample[0] * w.upperLeft + sample[right] * w.upperRight +
                            sample[down] * w.lowerLeft + sample[down + right] * w.lowerRight;
        *pixel = static_cast<uint8_t>((sum * 15 + *pixel * 16) >> 8);
    }
}

}  // namespace

void sampleBlendRun(uint8_t* image, int32_t i, int32_t iEnd, int32_t y, int32_t x,
                    int32_t dy, int32_t dx, int32_t rowOffset, int32_t iStep) {
    if (dy == 0) {
        blendRowRun(image, i, iEnd, y, x, dx, rowOffset, iStep);
        return;
    }
    while (i != iEnd) {
        blendSample(image, x, y, image + rowOffset + i);
        y += dy;
        x += dx;
        i += iStep;
    }
}

void zoomBlend(uint8_t* image, int cx, int cy, int k) {
    cx = std::clamp(cx, 0, kFrameWidth - 1);
    cy = std::clamp(cy, 0, kFrameHeight - 1);
    k = std::clamp(k, 1, 65535);
    // 16.16: the centre, and the sample positions of the first pixel left and right of it.
    const int32_t centreX = cx * 65536;
    const int32_t centreY = cy * 65536;
    const int32_t rightStartX = centreX + k;

    // Four quarters, each row going outward from the centre column, the rows going
    // outward from the centre row. Samples lie between the centre and the pixel, so each
    // reads pixels this pass has mostly already blended: that draws the streaks.
    for (int r = cy; r >= 1; --r)  // up, leftward
        sampleBlendRun(image, cx, 0, centreY + (r - cy) * k, centreX, 0, -k, r * kFrameWidth, -1);
    for (int r = cy + 1; r < kFrameHeight; ++r)  // down, leftward
        sampleBlendRun(image, cx, 0, centreY + (r - cy) * k, centreX, 0, -k, r * kFrameWidth, -1);
    for (int r = cy; r >= 1; --r)  // up, rightward
        sampleBlendRun(image, cx + 1, kFrameWidth, centreY + (r - cy) * k, rightStartX, 0, k,
                       r * kFrameWidth, 1);
    for (int r = cy + 1; r < kFrameHeight; ++r)  // down, rightward
        sampleBlendRun(image, cx + 1, kFrameWidth, centreY + (r - cy) * k, rightStartX, 0, k,
                       r * kFrameWidth, 1);
}
