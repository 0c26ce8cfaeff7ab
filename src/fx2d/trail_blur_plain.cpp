// The trail blur written out plainly: the 25-term sum at every pixel, in place.
#include "fx2d/trail_blur.h"

#include "platform/frame_size.h"

namespace plain {

void blurTrails(uint8_t* frame) {
    for (int y = kTrailBorder; y < kFrameHeight - kTrailBorder; ++y) {
        for (int x = kTrailBorder; x < kFrameWidth - kTrailBorder; ++x) {
            int sum = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) sum += frame[(y + dy) * kFrameWidth + x + dx];
            frame[y * kFrameWidth + x] = static_cast<uint8_t>(sum / 26);
        }
    }
}

}  // namespace plain
