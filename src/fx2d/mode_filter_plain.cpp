// The mode filter, plain: for every output pixel, the 64 bytes of its block counted
// afresh. mode_filter.cpp reaches the same pixels keeping the counts as the block moves.
#include "fx2d/mode_filter.h"

#include "core/display.h"

namespace plain {

void modeFilter8x8(const uint8_t* source, uint8_t* destination) {
    for (int y = 4; y <= 235; ++y) {
        for (int x = 4; x <= 315; ++x) {
            const uint8_t* test = source + y * kFrameWidth + x - 4;
            if ((test[0] | test[1] | test[2] | test[3]) == 0) continue;
            // The block: rows y .. y + 7 (those inside the frame), columns x - 4 .. x + 3.
            int counts[16] = {};
            for (int r = y; r < y + 8 && r < kFrameHeight; ++r) {
                for (int c = x - 4; c < x + 4; ++c) {
                    const uint8_t value = source[r * kFrameWidth + c];
                    if (value < 16) ++counts[value];
                }
            }
            // The most frequent of 1..15; >= hands ties to the higher value, and a block
            // with none of them to 15.
            int best = 0;
            int winner = 0;
            for (int value = 1; value < 16; ++value) {
                if (counts[value] >= best) {
                    best = counts[value];
                    winner = value;
                }
            }
            destination[y * kFrameWidth + x] = static_cast<uint8_t>(winner);
        }
    }
}

}  // namespace plain
