// The trail blur by running sums.
#include "fx2d/trail_blur.h"

#include "platform/frame_size.h"

void fast::blurTrails(uint8_t* frame) {
    // Running column sums give exactly the direct 25-term sums: each column's sum over
    // the five rows around the current one is kept up to date as pixels are replaced.
    // Sums of bytes are never negative, so they are kept unsigned, which makes the
    // division by 26 a plain multiply and shift; and every column of the frame has a
    // sum, moved down a row in one pass over whole rows (only columns 3..316 are read).
    constexpr int kFirst = kTrailBorder;
    constexpr int kLastRow = kFrameHeight - 1 - kTrailBorder;
    constexpr int kLastColumn = kFrameWidth - 1 - kTrailBorder;
    uint32_t columnSums[kFrameWidth] = {};
    for (int y = kFirst - 2; y <= kFirst + 2; ++y) {
        const uint8_t* row = frame + y * kFrameWidth;
        for (int x = 0; x < kFrameWidth; ++x) columnSums[x] += row[x];
    }
    for (int y = kFirst; y <= kLastRow; ++y) {
        uint8_t* row = frame + y * kFrameWidth;
        if (y > kFirst) {
            const uint8_t* leaving = row - 3 * kFrameWidth;
            const uint8_t* entering = row + 2 * kFrameWidth;
            for (int x = 0; x < kFrameWidth; ++x) columnSums[x] += entering[x] - leaving[x];
        }
        uint32_t blockSum = 0;
        for (int x = kFirst - 2; x <= kFirst + 2; ++x) blockSum += columnSums[x];
        for (int x = kFirst; x <= kLastColumn; ++x) {
            const uint32_t value = blockSum / 26;  // 26, not 25: the trails fade
            const uint32_t old = row[x];
            row[x] = static_cast<uint8_t>(value);
            columnSums[x] += value - old;
            blockSum += value - old;
            if (x < kLastColumn) blockSum += columnSums[x + 3] - columnSums[x - 2];
        }
    }
}
