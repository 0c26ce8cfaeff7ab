// The mode filter, made quick: a 16-bin histogram per output pixel over an 8x8 block.
// The blocks of neighbouring pixels overlap in all but one column, and those of
// neighbouring rows in all but one row, so the counts are kept per column and moved along
// rather than taken afresh from 64 bytes for every pixel, as the plain filter of
// mode_filter_plain.cpp does; the pixels are the same.
#include "fx2d/mode_filter.h"

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

// The counts of the values 1..15, a byte each, eight to a word: value v counts in byte
// v % 8 of word v / 8. (Value 0 never wins, so it is not counted.) This is SWAR, SIMD
// within a register: one 64-bit add or subtract moves eight counts at once. A block
// holds 64 pixels, so no count passes 64 and none carries into its neighbour; and a
// block's counts include each of its columns', so taking a column away never borrows.
struct Counts {
    uint64_t word[2];
};

bool isCounted(uint8_t value) { return value - 1u < kLevels - 1u; }
uint64_t one(uint8_t value) { return uint64_t{1} << (8 * (value & 7)); }

void add(Counts& counts, const Counts& more) {
    counts.word[0] += more.word[0];
    counts.word[1] += more.word[1];
}
void takeAway(Counts& counts, const Counts& less) {
    counts.word[0] -= less.word[0];
    counts.word[1] -= less.word[1];
}

// The counts of every column over the current block's rows. File-level work table.
Counts columnCounts[kFrameWidth];

// A row enters (sign +1) or leaves (-1) the column counts; runs of eight empty pixels,
// most of the frame, are passed over at once.
void countRow(const uint8_t* row, int sign) {
    for (int x = 0; x < kFrameWidth; x += 8) {
        uint64_t eight;
        std::memcpy(&eight, row + x, sizeof eight);
        if (eight == 0) continue;
        for (int c = x; c < x + 8; ++c) {
            const uint8_t value = row[c];
            if (!isCounted(value)) continue;
            uint64_t& word = columnCounts[c].word[value >> 3];
            word = sign > 0 ? word + one(value) : word - one(value);
        }
    }
}

// The most frequent value 1..15 (ties to the higher value, 15 when none is counted).
// Each value's count and the value itself make one key, count above value: the largest
// key has the highest count and, of equal counts, the higher value (value 0, never
// counted, has key 0 and never wins). The sixteen keys are worked out side by side and
// their largest found in three halvings, with no branch, where comparing count by count
// guesses at every value. The vector types are GCC's and Clang's; they map onto SSE2 and
// WebAssembly SIMD alike.
uint8_t modeOf(const Counts& counts) {
    typedef uint8_t Bytes __attribute__((vector_size(8)));
    typedef int16_t Keys __attribute__((vector_size(16)));
    const Keys lane = {0, 1, 2, 3, 4, 5, 6, 7};
    Bytes low, high;
    std::memcpy(&low, &counts.word[0], sizeof low);
    std::memcpy(&high, &counts.word[1], sizeof high);
    const Keys lowKeys = __builtin_convertvector(low, Keys) << 4 | lane;
    const Keys highKeys = __builtin_convertvector(high, Keys) << 4 | (lane + 8);
    Keys best = lowKeys > highKeys ? lowKeys : highKeys;
    Keys other = __builtin_shufflevector(best, best, 4, 5, 6, 7, 0, 1, 2, 3);
    best = best > other ? best : other;
    other = __builtin_shufflevector(best, best, 2, 3, 0, 1, 4, 5, 6, 7);
    best = best > other ? best : other;
    other = __builtin_shufflevector(best, best, 1, 0, 2, 3, 4, 5, 6, 7);
    best = best > other ? best : other;
    return static_cast<uint8_t>(best[0] & (kLevels - 1));
}

}  // namespace

void fast::modeFilter8x8(const uint8_t* source, uint8_t* destination) {
    std::memset(columnCounts, 0, sizeof columnCounts);
    for (int r = kFirstRow; r < kFirstRow + kBlock; ++r) countRow(source + r * kFrameWidth, 1);

    for (int y = kFirstRow; y <= kLastRow; ++y) {
        if (y > kFirstRow) {
            // The block moves down a row; rows below the frame count nothing.
            countRow(source + (y - 1) * kFrameWidth, -1);
            if (y + kBlock - 1 < kFrameHeight) countRow(source + (y + kBlock - 1) * kFrameWidth, 1);
        }
        const uint8_t* sourceRow = source + y * kFrameWidth;
        uint8_t* out = destination + y * kFrameWidth;
        Counts block = {{0, 0}};
        int blockColumn = -1;  // the output column whose block `block` holds
        for (int x = kFirstColumn; x <= kLastColumn; ++x) {
            // Empty areas are skipped on the strength of four bytes of the block's top row.
            uint32_t test;
            std::memcpy(&test, sourceRow + x - kHalfWidth, sizeof test);
            if (test == 0) continue;
            if (blockColumn == x - 1) {
                takeAway(block, columnCounts[x - kHalfWidth - 1]);
                add(block, columnCounts[x + kHalfWidth - 1]);
            } else {
                block = {{0, 0}};
                for (int c = x - kHalfWidth; c < x + kHalfWidth; ++c) add(block, columnCounts[c]);
            }
            blockColumn = x;
            out[x] = modeOf(block);
        }
    }
}
