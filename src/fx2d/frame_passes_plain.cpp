// The frame passes, plain: a pixel at a time, with a branch where a pixel is chosen.
// frame_passes.cpp writes the same bytes many at a time.
#include "fx2d/frame_passes.h"

#include "core/display.h"

namespace plain {

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

}  // namespace plain
