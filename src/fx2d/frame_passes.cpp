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

void overlayOpaque(const uint8_t* picture, uint8_t* frame) {
    for (int i = 0; i < kFrameSize; ++i) {
        if (picture[i] != 0) frame[i] = picture[i];
    }
}

void fillEmpty(uint8_t* frame, const uint8_t* background) {
    for (int i = 0; i < kFrameSize; ++i) {
        if (frame[i] == 0) frame[i] = background[i];
    }
}
