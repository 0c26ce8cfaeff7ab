// Whole-frame passes: the 8x8 mode filter, the checkerboard smear and the two
// transparent-index compositing passes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/display.h"
#include "fx2d/frame_passes.h"
#include "fx2d/mode_filter.h"

namespace {

using Frame = std::vector<uint8_t>;  // exactly 320x240: reads past it are caught by ASan

Frame patternFrame(uint32_t seed) {
    Frame frame(kFrameSize);
    for (uint8_t& p : frame) {
        seed = seed * 1664525u + 1013904223u;
        p = static_cast<uint8_t>(seed >> 24);
    }
    return frame;
}

uint8_t& at(Frame& frame, int x, int y) { return frame[y * kFrameWidth + x]; }

// Fills the 8x8 block of output pixel (x, y): rows y..y+7, columns x-4..x+3.
void fillBlock(Frame& frame, int x, int y, const std::vector<uint8_t>& values) {
    for (int i = 0; i < 64; ++i) at(frame, x - 4 + i % 8, y + i / 8) = values[i];
}

class ModeFilterTest : public ::testing::Test {
protected:
    Frame source = Frame(kFrameSize, 0);
    Frame output = Frame(kFrameSize, 0xEE);  // marks pixels the filter leaves alone

    uint8_t filtered(int x, int y) {
        modeFilter8x8(source.data(), output.data());
        return at(output, x, y);
    }
};

TEST_F(ModeFilterTest, EmptyTestBytesLeaveThePixelAloneWhateverTheBlockHolds) {
    fillBlock(source, 100, 50, std::vector<uint8_t>(64, 7));
    for (int c = 96; c < 100; ++c) at(source, c, 50) = 0;  // the four test bytes
    EXPECT_EQ(filtered(100, 50), 0xEE);
}

TEST_F(ModeFilterTest, ABlockOfOneValueGivesThatValue) {
    for (uint8_t value = 1; value <= 15; ++value) {
        fillBlock(source, 100, 50, std::vector<uint8_t>(64, value));
        EXPECT_EQ(filtered(100, 50), value);
    }
}

TEST_F(ModeFilterTest, TiesGoToTheHigherValue) {
    std::vector<uint8_t> block(64, 3);
    for (int i = 1; i < 64; i += 2) block[i] = 5;
    fillBlock(source, 100, 50, block);
    EXPECT_EQ(filtered(100, 50), 5);
}

TEST_F(ModeFilterTest, TheMostFrequentValueWinsOverAHigherOne) {
    std::vector<uint8_t> block(64, 2);
    for (int i = 0; i < 20; ++i) block[i * 3] = 14;
    fillBlock(source, 100, 50, block);
    EXPECT_EQ(filtered(100, 50), 2);
}

TEST_F(ModeFilterTest, OnlyZeroAndValuesAbove15GiveFifteen) {
    std::vector<uint8_t> block(64, 0);
    for (int i = 0; i < 64; i += 3) block[i] = static_cast<uint8_t>(16 + i * 3);
    block[0] = 200;  // a test byte that is not 0
    fillBlock(source, 100, 50, block);
    EXPECT_EQ(filtered(100, 50), 15);
}

TEST_F(ModeFilterTest, ValuesAbove15NeverAppear) {
    source = patternFrame(7);
    modeFilter8x8(source.data(), output.data());
    for (int y = 4; y <= 235; ++y)
        for (int x = 4; x <= 315; ++x) {
            const uint8_t p = at(output, x, y);
            EXPECT_TRUE((p >= 1 && p <= 15) || p == 0xEE) << x << "," << y;
        }
}

TEST_F(ModeFilterTest, BordersAreNotWritten) {
    source.assign(kFrameSize, 9);
    modeFilter8x8(source.data(), output.data());
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x) {
            const bool inside = y >= 4 && y <= 235 && x >= 4 && x <= 315;
            EXPECT_EQ(at(output, x, y), inside ? 9 : 0xEE) << x << "," << y;
        }
}

TEST_F(ModeFilterTest, BlocksReachingBelowTheFrameCountOnlyItsRows) {
    // Output row 235 counts rows 235..239, the last of the frame; the frame here is
    // exactly 320x240, so a read past it is caught in the sanitizer build.
    for (int y = 235; y < 240; ++y)
        for (int x = 96; x < 104; ++x) at(source, x, y) = y < 237 ? 6 : 4;
    // 16 sixes and 24 fours.
    EXPECT_EQ(filtered(100, 235), 4);
    for (int x = 96; x < 104; ++x) at(source, x, 237) = 6;
    // 24 sixes, 16 fours.
    EXPECT_EQ(filtered(100, 235), 6);
}

TEST_F(ModeFilterTest, GivesThePlainFiltersPixelsOnBusyFrames) {
    // Patches of few values, specks of large ones and empty stretches, down to the last
    // rows: every way a block's counts can change as it moves along and down.
    for (uint32_t seed : {1u, 2u, 3u}) {
        const Frame noise = patternFrame(seed);
        for (int i = 0; i < kFrameSize; ++i) {
            const int x = i % kFrameWidth, y = i / kFrameWidth;
            const bool empty = ((x / 24 + y / 20 + seed) % 3) == 0;
            source[i] = empty ? 0 : static_cast<uint8_t>(noise[i] % (seed == 3 ? 64 : 18));
        }
        output.assign(kFrameSize, 0xEE);
        modeFilter8x8(source.data(), output.data());
        Frame expected(kFrameSize, 0xEE);
        plain::modeFilter8x8(source.data(), expected.data());
        ASSERT_TRUE(output == expected) << "seed " << seed;
    }
}

// Each pass (and its plain twin, where it has one) against the pass's definition.
TEST(CheckerboardSmear, EverySecondPixelTakesItsNeighbourOneDownThreeRight) {
    const Frame before = patternFrame(3);
    Frame frame = before;
    checkerboardSmear(frame.data());
    for (int r = 0; r < kFrameHeight; ++r) {
        for (int c = 0; c < kFrameWidth; ++c) {
            const bool copied = r < 239 && (c - r) % 2 == 0 && c - r % 2 <= 314;
            const uint8_t expected =
                copied ? before[(r + 1) * kFrameWidth + c + 3] : before[r * kFrameWidth + c];
            ASSERT_EQ(frame[r * kFrameWidth + c], expected) << "row " << r << " column " << c;
        }
    }
}

TEST(Compositing, OverlayCoversWithEveryIndexButZero) {
    const Frame picture = patternFrame(5);
    const Frame before = patternFrame(6);
    for (auto overlay : {overlayOpaque, plain::overlayOpaque}) {
        Frame frame = before;
        overlay(picture.data(), frame.data());
        for (int i = 0; i < kFrameSize; ++i)
            ASSERT_EQ(frame[i], picture[i] != 0 ? picture[i] : before[i]) << i;
    }
}

TEST(Compositing, FillReplacesOnlyEmptyPixels) {
    const Frame background = patternFrame(8);
    Frame before = patternFrame(9);
    for (int i = 0; i < kFrameSize; i += 3) before[i] = 0;
    for (auto fill : {fillEmpty, plain::fillEmpty}) {
        Frame frame = before;
        fill(frame.data(), background.data());
        for (int i = 0; i < kFrameSize; ++i)
            ASSERT_EQ(frame[i], before[i] == 0 ? background[i] : before[i]) << i;
    }
}

}  // namespace
