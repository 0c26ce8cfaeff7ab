// The checkerboard smear and the transparent-index compositing passes.
#include "fx2d/frame_passes.h"

#include "core/display.h"

namespace {

constexpr int kSmearDown = 1;   // rows below
constexpr int kSmearRight = 3;  // columns to the right
constexpr int kSmearColumns = 158;

}  // namespace

void checkerboardSmear(uint8_t* frame) {
    for (int r = 0; r < kFrameHeight - kSmearDown; ++r) {
        uint8_t* row = frame + r * kFrameWidth;
        const uint8_t* below = row + kSmearDown * kFrameWidth + kSmearRight;
        for (int c = r % 2, i = 0; i < kSmearColumns; c += 2, ++i) row[c] = below[c];
    }
}

// Both compositing passes choose each byte with a mask rather than a branch, and their
// two frames never overlap (__restrict says so), so the compiler can do sixteen bytes
// at a time; the bytes chosen are the same.

void overlayOpaque(const uint8_t* __restrict picture, uint8_t* __restrict frame) {
    for (int i = 0; i < kFrameSize; ++i) {
        const uint8_t covered = static_cast<uint8_t>(-(picture[i] != 0));  // 0xFF or 0
        frame[i] = static_cast<uint8_t>((picture[i] & covered) | (frame[i] & ~covered));
    }
}

void fillEmpty(uint8_t* __restrict frame, const uint8_t* __restrict background) {
    for (int i = 0; i < kFrameSize; ++i) {
        const uint8_t empty = static_cast<uint8_t>(-(frame[i] == 0));  // 0xFF or 0
        frame[i] = static_cast<uint8_t>(frame[i] | (background[i] & empty));
    }
}
