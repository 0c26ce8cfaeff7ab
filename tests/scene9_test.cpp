// The particle trails: the program's random source, the in-place trail blur, saturating
// dots, the velocity update turns, and an hour of the scene without end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "core/display.h"
#include "core/random.h"
#include "fx2d/particle_plot.h"
#include "fx2d/trail_blur.h"
#include "platform/headless/headless.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

namespace {

int litPixels(const uint8_t* frame) {
    return static_cast<int>(
        std::count_if(frame, frame + kFrameSize, [](uint8_t p) { return p != 0; }));
}

}  // namespace

TEST(RandomSource, FirstDrawsFromStateOne) {
    RandomSource source;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) EXPECT_EQ(source.draw(), value);
}

TEST(RandomSource, DrawsStayInFifteenBits) {
    RandomSource source;
    for (int i = 0; i < 100000; ++i) {
        const int value = source.draw();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(TrailDots, SaturateAtWhite) {
    std::vector<uint8_t> frame(kFrameSize, 0);
    for (int hit = 0; hit < 3; ++hit) plotParticle(frame.data(), 10.5f, 20.9f);
    EXPECT_EQ(frame[20 * kFrameWidth + 10], 240);
    plotParticle(frame.data(), 10.0f, 20.0f);
    EXPECT_EQ(frame[20 * kFrameWidth + 10], 255);
    frame[0] = 176;
    plotParticle(frame.data(), 0.0f, 0.0f);
    EXPECT_EQ(frame[0], 255);
}

TEST(TrailDots, TruncateTowardZeroAndSkipWhatIsOffScreen) {
    std::vector<uint8_t> frame(kFrameSize, 0);
    plotParticle(frame.data(), -0.7f, 5.0f);  // column 0
    EXPECT_EQ(frame[5 * kFrameWidth], 80);
    plotParticle(frame.data(), 319.99f, 239.99f);
    EXPECT_EQ(frame[kFrameSize - 1], 80);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto& [x, y] : {std::pair{-1.0f, 5.0f}, {320.0f, 5.0f}, {5.0f, 240.0f},
                               {5.0f, -1.0f}, {inf, 5.0f}, {-inf, 5.0f}, {nan, 5.0f},
                               {5.0f, nan}, {3e9f, -3e9f}}) {
        plotParticle(frame.data(), x, y);
    }
    EXPECT_EQ(litPixels(frame.data()), 2);
}

TEST(TrailBlur, LeavesBlackBlackAndLetsFaintDotsDie) {
    std::vector<uint8_t> frame(kFrameSize, 0);
    blurTrails(frame.data());
    EXPECT_EQ(litPixels(frame.data()), 0);
    frame[100 * kFrameWidth + 100] = 25;  // 25 / 26 truncates to 0
    blurTrails(frame.data());
    EXPECT_EQ(litPixels(frame.data()), 0);
}

TEST(TrailBlur, SmearsDownAndToTheRight) {
    std::vector<uint8_t> frame(kFrameSize, 0);
    frame[100 * kFrameWidth + 100] = 255;
    blurTrails(frame.data());
    // The pixels before it in reading order saw the original 255; the dot itself and the
    // ones after see the smeared values.
    EXPECT_EQ(frame[98 * kFrameWidth + 98], 9);  // 255 / 26
    EXPECT_EQ(frame[98 * kFrameWidth + 97], 0);
    EXPECT_GT(frame[102 * kFrameWidth + 102], 0);
    EXPECT_EQ(frame[103 * kFrameWidth + 100], 0);
}

TEST(TrailBlur, MatchesThePlainSumBitForBit) {
    std::vector<uint8_t> frame(kFrameSize);
    RandomSource source;
    for (uint8_t& p : frame) p = static_cast<uint8_t>(source.draw() & 255);
    std::vector<uint8_t> expected = frame;
    for (int pass = 0; pass < 3; ++pass) {
        blurTrails(frame.data());
        plain::blurTrails(expected.data());
        ASSERT_EQ(frame, expected) << "pass " << pass;
    }
}

TEST(TrailBlur, TheBorderIsClearedAllRound) {
    std::vector<uint8_t> frame(kFrameSize, 200);
    clearBorder(frame.data());
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            const bool border = x < 5 || x >= 315 || y < 5 || y >= 235;
            ASSERT_EQ(frame[y * kFrameWidth + x], border ? 0 : 200) << x << ", " << y;
        }
    }
}

TEST(VelocityUpdates, StartAfterTwoSecondsOnEverySecondFrame) {
    scene9::UpdateTurn turn;
    EXPECT_FALSE(turn.take(1.9f));
    EXPECT_FALSE(turn.take(2.0f));  // not yet, and the flag stays
    EXPECT_EQ(turn.flag, 0);
    EXPECT_TRUE(turn.take(2.05f));
    EXPECT_FALSE(turn.take(2.1f));
    EXPECT_TRUE(turn.take(2.15f));
    // A later visit: the flag carries over, so its first turn may be a pause.
    EXPECT_FALSE(turn.take(2.0f));
    EXPECT_FALSE(turn.take(2.05f));
    EXPECT_TRUE(turn.take(2.1f));
}

TEST(Scene9Frames, AnHourOfTrailsKeepsDrawingWithoutFault) {
    ASSERT_TRUE(openDisplay(true));
    attractorTrailsScene.load();
    attractorTrailsScene.start();
    const int presentedBefore = headless::presentCount();
    // One hour at 10 frames a second. At this coarse step most particles soon fly off
    // to huge, infinite and NaN positions; the ones left keep drawing trails a while.
    constexpr int kFrames = 36000;
    for (int frame = 0; frame < kFrames; ++frame) {
        const float t = frame * 0.1f - (frame == 0 ? 0.0005f : 0.0f);
        attractorTrailsScene.render(t);
        if (frame == 300) {
            EXPECT_GT(litPixels(FrameBuffer), 1000);
        }
    }
    EXPECT_EQ(headless::presentCount() - presentedBefore, kFrames);
    // A second visit starts afresh from a black frame with new directions.
    attractorTrailsScene.start();
    EXPECT_EQ(litPixels(FrameBuffer), 0);
    attractorTrailsScene.render(0.1f);
    EXPECT_EQ(litPixels(FrameBuffer), 1);  // all ten thousand still at the origin
    attractorTrailsScene.render(0.2f);
    EXPECT_GT(litPixels(FrameBuffer), 1000);
    attractorTrailsScene.unload();
    closeDisplay();
}
