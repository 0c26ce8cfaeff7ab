// The box blur as defined: at every pixel, the window's pixels that lie inside the line
// added up afresh and divided by 2n.
#include "fx2d/box_blur.h"

#include <algorithm>
#include <cstring>

#include "platform/frame_size.h"

namespace plain {
namespace {

void blurLines(uint8_t* destination, const uint8_t* source, int n, bool horizontal) {
    const int length = horizontal ? kFrameWidth : kFrameHeight;
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            const int position = horizontal ? x : y;
            int sum = 0;
            for (int j = std::max(position - n, 0); j <= std::min(position + n - 1, length - 1);
                 ++j) {
                sum += horizontal ? source[y * kFrameWidth + j] : source[j * kFrameWidth + x];
            }
            destination[y * kFrameWidth + x] = static_cast<uint8_t>(sum / (2 * n));
        }
    }
}

void blurOrCopy(uint8_t* destination, const uint8_t* source, int n, bool horizontal) {
    n = std::min(n, (horizontal ? kFrameWidth : kFrameHeight) / 2);
    if (n <= 0) {
        std::memcpy(destination, source, kFrameSize);
        return;
    }
    blurLines(destination, source, n, horizontal);
}

}  // namespace

void blurHorizontal(uint8_t* destination, const uint8_t* source, int n) {
    blurOrCopy(destination, source, n, true);
}

void blurVertical(uint8_t* destination, const uint8_t* source, int n) {
    blurOrCopy(destination, source, n, false);
}

}  // namespace plain
