// The checkerboard smear and the transparent-index compositing passes.
#include "fx2d/frame_passes.h"

#include "core/display.h"

namespace {

constexpr int kSmearDown = 1;   // rows below
constexpr int kSmearRight = 3;  // columns to the right
constexpr int kSmearColumns = 158;
// The columns a row takes by mask, sixteen bytes at a time: a multiple of sixteen, all
// below the smear's last column.
constexpr int kSmearMaskedColumns = 304;

// One row of the smear: columns c = parity + 2i, i < kSmearColumns, from `below`. Up to
// kSmearMaskedColumns every column is chosen by a mask rather than a stride, which the
// compiler does sixteen at a time; the rest go one by one. The two rows never overlap.
void smearRow(uint8_t* __restrict row, const uint8_t* __restrict below, int parity) {
    for (int c = 0; c < kSmearMaskedColumns; ++c) {
        const uint8_t taken = static_cast<uint8_t>(((c & 1) == parity) * 0xFF);
        row[c] = static_cast<uint8_t>((below[c] & taken) | (row[c] & ~taken));
    }
    for (int c = kSmearMaskedColumns + parity; c < parity + 2 * kSmearColumns; c += 2) {
        row[c] = below[c];
    }
}

}  // namespace

void checkerboardSmear(uint8_t* frame) {
    for (int r = 0; r < kFrameHeight - kSmearDown; ++r) {
        uint8_t* row = frame + r * kFrameWidth;
        smearRow(row, row + kSmearDown * kFrameWidth + kSmearRight, r % 2);
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
