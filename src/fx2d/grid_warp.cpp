// Grid-interpolated texture warp: per pixel two adds, two shifts and one lookup.
#include "fx2d/grid_warp.h"

#include "core/display.h"
#include "core/fixed_point.h"

namespace {

constexpr int kBlockSize = 16;

// The 8.8 accumulators are held in unsigned 32 bits so that far-out grid coordinates wrap
// around instead of overflowing; only bits 8..15 ever reach the texture, and those are the
// same either way.
using WrappingFixed8 = uint32_t;

WrappingFixed8 toWrappingFixed8(int32_t value) {
    return static_cast<WrappingFixed8>(value) << kFixed8Bits;
}

// A sixteenth of the difference of two grid coordinates, in 8.8: (to - from) * 256 / 16,
// exact because it is formed before any shift.
WrappingFixed8 perRowStep(int32_t from, int32_t to) {
    return (static_cast<WrappingFixed8>(to) - static_cast<WrappingFixed8>(from)) << 4;
}

// (to - from) / 16 as an arithmetic shift, flooring negative differences.
WrappingFixed8 sixteenthOf(WrappingFixed8 from, WrappingFixed8 to) {
    return static_cast<WrappingFixed8>(static_cast<int32_t>(to - from) >> 4);
}

uint8_t texel(const uint8_t* texture, WrappingFixed8 u, WrappingFixed8 v) {
    return texture[((v >> kFixed8Bits) & 255) * 256 + ((u >> kFixed8Bits) & 255)];
}

// One 16x16 block whose corners are grid points (by, bx) .. (by + 1, bx + 1).
void warpBlock(const int32_t* u, const int32_t* v, const uint8_t* texture,
               uint8_t* destination, int bx, int by) {
    const int top = by * kGridColumns + bx;
    const int bottom = top + kGridColumns;
    // Left and right block edges in 8.8, and their steps per pixel row.
    WrappingFixed8 uLeft = toWrappingFixed8(u[top]), uRight = toWrappingFixed8(u[top + 1]);
    WrappingFixed8 vLeft = toWrappingFixed8(v[top]), vRight = toWrappingFixed8(v[top + 1]);
    const WrappingFixed8 uLeftStep = perRowStep(u[top], u[bottom]);
    const WrappingFixed8 uRightStep = perRowStep(u[top + 1], u[bottom + 1]);
    const WrappingFixed8 vLeftStep = perRowStep(v[top], v[bottom]);
    const WrappingFixed8 vRightStep = perRowStep(v[top + 1], v[bottom + 1]);

    uint8_t* row = destination + by * kBlockSize * kFrameWidth + bx * kBlockSize;
    for (int y = 0; y < kBlockSize; ++y, row += kFrameWidth) {
        const WrappingFixed8 du = sixteenthOf(uLeft, uRight);
        const WrappingFixed8 dv = sixteenthOf(vLeft, vRight);
        WrappingFixed8 pu = uLeft, pv = vLeft;
        for (int x = 0; x < kBlockSize; ++x) {
            row[x] = texel(texture, pu, pv);
            pu += du;
            pv += dv;
        }
        uLeft += uLeftStep;
        uRight += uRightStep;
        vLeft += vLeftStep;
        vRight += vRightStep;
    }
}

}  // namespace

void gridWarp(const int32_t* u, const int32_t* v, const uint8_t* texture,
              uint8_t* destination) {
    for (int by = 0; by < kGridRows - 1; ++by)
        for (int bx = 0; bx < kGridColumns - 1; ++bx)
            warpBlock(u, v, texture, destination, bx, by);
}
