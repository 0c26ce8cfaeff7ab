// The checkerboard smear, and the transparent-index compositing passes made quick: each
// of those writes many bytes at a time the same bytes the plain passes of
// frame_passes_plain.cpp write one at a time.
#include "fx2d/frame_passes.h"

#include <cstring>

#include "core/display.h"

// A pixel at a time: no quicker way saves enough of its scene to be worth a second
// version.
void checkerboardSmear(uint8_t* frame) {
    for (int r = 0; r < kFrameHeight - 1; ++r) {
        for (int c = r % 2; c <= 315; c += 2) {
            frame[r * kFrameWidth + c] = frame[(r + 1) * kFrameWidth + c + 3];
        }
    }
}

// Both compositing passes choose each byte with a mask rather than a branch, and their
// two frames never overlap (__restrict says so), so the compiler can do sixteen bytes
// at a time; the bytes chosen are the same.

void fast::overlayOpaque(const uint8_t* __restrict picture, uint8_t* __restrict frame) {
    for (int i = 0; i < kFrameSize; ++i) {
        const uint8_t covered = static_cast<uint8_t>(-(picture[i] != 0));  // 0xFF or 0
        frame[i] = static_cast<uint8_t>((picture[i] & covered) | (frame[i] & ~covered));
    }
}

void fast::fillEmpty(uint8_t* __restrict frame, const uint8_t* __restrict background) {
    for (int i = 0; i < kFrameSize; ++i) {
        const uint8_t empty = static_cast<uint8_t>(-(frame[i] == 0));  // 0xFF or 0
        frame[i] = static_cast<uint8_t>(frame[i] | (background[i] & empty));
    }
}
