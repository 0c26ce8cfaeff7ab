// The mode filter: a 16-bin histogram per output pixel over an 8x8 block.
#include "fx2d/mode_filter.h"

#include <algorithm>
#include <cstring>

#include "core/display.h"

namespace {

constexpr int kBlock = 8;
constexpr int kHalfWidth = 4;   // the block spans x-4 .. x+3
constexpr int kLevels = 16;     // values 0..15 are counted
constexpr int kFirstRow = 4;
constexpr int kLastRow = 235;
constexpr int kFirstColumn = 4;
constexpr int kLastColumn = 315;

// The most frequent value 1..15 of a block whose top-left byte is at `block`; `rows` of
// its eight rows lie inside the frame.
uint8_t blockMode(const uint8_t* block, int rows) {
    // 64 counts fit in a byte.
    uint8_t counts[kLevels];
    std::memset(counts, 0, sizeof counts);
    for (int r = 0; r < rows; ++r) {
        const uint8_t* row = block + r * kFrameWidth;
        for (int c = 0; c < kBlock; ++c) {
            if (row[c] < kLevels) ++counts[row[c]];
        }
    }
    int best = 0;
    uint8_t winner = 0;
    for (int value = 1; value < kLevels; ++value) {
        if (counts[value] >= best) {  // >=: ties go to the higher value
            best = counts[value];
            winner = static_cast<uint8_t>(value);
        }
    }
    return winner;
}

}  // namespace

void modeFilter8x8(const uint8_t* source, uint8_t* destination) {
    for (int y = kFirstRow; y <= kLastRow; ++y) {
        const int rows = std::min(kBlock, kFrameHeight - y);
        const uint8_t* sourceRow = source + y * kFrameWidth;
        uint8_t* out = destination + y * kFrameWidth;
        for (int x = kFirstColumn; x <= kLastColumn; ++x) {
            const uint8_t* test = sourceRow + x - kHalfWidth;
            // Empty areas are skipped on the strength of four bytes of the block's top row.
            if ((test[0] | test[1] | test[2] | test[3]) == 0) continue;
            out[x] = blockMode(test, rows);
        }
    }
}
