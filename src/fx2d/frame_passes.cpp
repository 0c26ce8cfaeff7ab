// The checkerboard smear and the transparent-index compositing passes, made quick: each
// writes many bytes at a time the same bytes the plain passes of frame_passes_plain.cpp
// write one at a time.
#include "fx2d/frame_passes.h"

#include <cstring>

#include "core/display.h"

namespace {

constexpr int kSmearDown = 1;   // rows below
constexpr int kSmearRight = 3;  // columns to the right
constexpr int kSmearColumns = 158;
// The column pairs a row takes by mask, many at a time: all below the smear's last column.
constexpr int kSmearMaskedPairs = 152;

// A pair of neighbouring pixels seen as one 16-bit value: the bits of its first pixel
// (parity 0) or of its second (parity 1), whatever the byte order.
uint16_t pixelOfPair(int parity) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(parity == 0 ? 0xFF : 0),
                              static_cast<uint8_t>(parity == 0 ? 0 : 0xFF)};
    uint16_t mask;
    std::memcpy(&mask, bytes, sizeof mask);
    return mask;
}

// One row of the smear: columns c = parity + 2i, i < kSmearColumns, from `below`. The
// first kSmearMaskedPairs column pairs take one pixel of each pair from below by a mask
// that is the same for every pair, which the compiler does many pairs at a time; the
// rest go one by one. The two rows never overlap.
void smearRow(uint8_t* __restrict row, const uint8_t* __restrict below, int parity) {
    const uint16_t taken = pixelOfPair(parity);
    for (int i = 0; i < kSmearMaskedPairs; ++i) {
        uint16_t pair, pairBelow;
        std::memcpy(&pair, row + 2 * i, sizeof pair);
        std::memcpy(&pairBelow, below + 2 * i, sizeof pairBelow);
        pair = static_cast<uint16_t>((pairBelow & taken) | (pair & ~taken));
        std::memcpy(row + 2 * i, &pair, sizeof pair);
    }
    for (int c = 2 * kSmearMaskedPairs + parity; c < parity + 2 * kSmearColumns; c += 2) {
        row[c] = below[c];
    }
}

}  // namespace

void fast::checkerboardSmear(uint8_t* frame) {
    for (int r = 0; r < kFrameHeight - kSmearDown; ++r) {
        uint8_t* row = frame + r * kFrameWidth;
        smearRow(row, row + kSmearDown * kFrameWidth + kSmearRight, r % 2);
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
