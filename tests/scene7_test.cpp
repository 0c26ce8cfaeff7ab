// The blurred metaball scene: its alternating animation and camera windows with their
// persistent clocks, the switch to environment mapping, the blur radii, and its frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/display.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

using scene7::WindowClock;

TEST(Scene7Timing, WindowsAlternateEveryTwoSeconds) {
    EXPECT_TRUE(scene7::ballsMoveAt(0.0f));
    EXPECT_TRUE(scene7::ballsMoveAt(-0.0005f));  // the first frame may land just before 0
    EXPECT_TRUE(scene7::ballsMoveAt(1.99f));
    EXPECT_FALSE(scene7::ballsMoveAt(2.0f));
    EXPECT_FALSE(scene7::ballsMoveAt(3.99f));
    EXPECT_TRUE(scene7::ballsMoveAt(4.0f));
    EXPECT_TRUE(scene7::ballsMoveAt(17.99f));
    EXPECT_FALSE(scene7::ballsMoveAt(18.0f));
}

TEST(Scene7Timing, AClockDropsTheWholeSecondsOfAPause) {
    WindowClock clock{5.0f, 4.0f};
    scene7::advanceClock(clock, 6.3f);  // a gap of 2.3 s
    EXPECT_NEAR(clock.time, 5.3f, 1e-5f);
    EXPECT_FLOAT_EQ(clock.lastFrame, 6.3f);
    scene7::advanceClock(clock, 6.35f);  // an ordinary frame step
    EXPECT_NEAR(clock.time, 5.35f, 1e-5f);
}

TEST(Scene7Timing, TheFirstCameraFrameKeepsOnlyTheFractionOfItsStep) {
    WindowClock camera;  // both floats start at 0
    scene7::advanceClock(camera, 2.04f);
    EXPECT_NEAR(camera.time, 0.04f, 1e-5f);
}

TEST(Scene7Timing, ALaterVisitStepsTheClocksBack) {
    // The previous visit's last animation frame was at 17.98 s; the new visit starts at 0,
    // or a hair before it.
    WindowClock balls{9.0f, 17.98f};
    scene7::advanceClock(balls, -0.001f);
    EXPECT_NEAR(balls.time, 9.0f - 17.981f, 1e-4f);
    EXPECT_FLOAT_EQ(balls.lastFrame, -0.001f);
    scene7::advanceClock(balls, 0.05f);
    EXPECT_NEAR(balls.time, 9.0f - 17.93f, 1e-4f);
}

TEST(Scene7Timing, AnEndlessStepLeavesTheClockAsItWas) {
    WindowClock clock{1.0f, 0.0f};
    scene7::advanceClock(clock, INFINITY);
    EXPECT_FLOAT_EQ(clock.time, 1.0f);
    scene7::advanceClock(clock, NAN);
    EXPECT_FLOAT_EQ(clock.time, 1.0f);
}

TEST(Scene7Timing, EnvironmentMappingFromNineAndAHalfSeconds) {
    EXPECT_FALSE(scene7::environmentMappedAt(9.49f));
    EXPECT_TRUE(scene7::environmentMappedAt(9.5f));
}

TEST(Scene7Timing, BlurRadiiPulseThenGrow) {
    // sin(2.7 t) = -1 at t = 3 pi / 5.4: the horizontal pass copies.
    EXPECT_EQ(scene7::blurRadiiAt(4.712389f / 2.7f).horizontal, 0);
    // cos(5 - 3.8 t) = -1 at t = (5 + pi) / 3.8: the vertical pass copies.
    EXPECT_EQ(scene7::blurRadiiAt((5.0f + 3.1415927f) / 3.8f).vertical, 0);
    int widest = 0, tallest = 0;
    for (float t = 0.0f; t < 17.5f; t += 0.01f) {
        const scene7::BlurRadii r = scene7::blurRadiiAt(t);
        ASSERT_GE(r.horizontal, 0);
        ASSERT_GE(r.vertical, 0);
        widest = std::max(widest, r.horizontal);
        tallest = std::max(tallest, r.vertical);
    }
    EXPECT_GE(widest, 11);  // 6 sin + 6 reaches 12 only at the very peak
    EXPECT_LE(widest, 12);
    EXPECT_GE(tallest, 7);
    EXPECT_LE(tallest, 8);
    // At 20 s the growth adds 17.5 to both.
    const scene7::BlurRadii last = scene7::blurRadiiAt(20.0f);
    EXPECT_EQ(last.horizontal, static_cast<int>(6 * std::sin(54.0f) + 6 + 17.5f));
    EXPECT_EQ(last.vertical, static_cast<int>(4 * std::cos(5 - 76.0f) + 4 + 17.5f));
}

class Scene7Frames : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openDisplay(true));
        metaballsScene.load();
        metaballsScene.start();
    }
    void TearDown() override {
        metaballsScene.unload();
        closeDisplay();
    }
    static int litPixels() {
        return static_cast<int>(
            std::count_if(FrameBuffer, FrameBuffer + kFrameSize, [](uint8_t p) { return p != 0; }));
    }
};

TEST_F(Scene7Frames, TheBlobShowsInEveryWindowAndMeltsAtTheEnd) {
    // Two visits of the whole scene at 20 frames a second.
    for (int visit = 0; visit < 2; ++visit) {
        metaballsScene.start();
        for (int frame = 0; frame <= 400; ++frame) {
            const float t = frame * 0.05f - (frame == 0 ? 0.0005f : 0.0f);
            metaballsScene.render(t);
            if (frame % 40 == 10) {
                EXPECT_GT(litPixels(), 500) << "t = " << t;
            }
        }
    }
    // At 20 s the blur radii are past 20: nothing sharp is left.
    int maximum = *std::max_element(FrameBuffer, FrameBuffer + kFrameSize);
    EXPECT_LT(maximum, 255);
}
