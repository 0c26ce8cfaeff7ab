// The ring flight: its fades, the camera's field of view, ring recycling, the ring
// shades and when the logo appears. Runs on the generated data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "scenes/scene1.h"

namespace {

class RingFlightTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(openDisplay(true));
        scene1::load();
        palette = loadPalette("gfx\\lezbizk!.pal");
    }
    static void TearDownTestSuite() {
        scene1::unload();
        palette.reset();
        closeDisplay();
    }
    void SetUp() override { scene1::start(); }

    static int brightestIndex() { return *std::max_element(FrameBuffer, FrameBuffer + kFrameSize); }

    static std::unique_ptr<Palette> palette;
};

std::unique_ptr<Palette> RingFlightTest::palette;

Palette markerPalette() {
    Palette marker;
    for (int i = 0; i < 768; ++i) marker.rgb[i] = static_cast<uint8_t>(i * 7);
    return marker;
}

bool samePalette(const Palette& a, const Palette& b) {
    return std::equal(a.rgb, a.rgb + 768, b.rgb);
}

TEST_F(RingFlightTest, FadesInFromBlackOverTenSeconds) {
    scene1::render(0.0f);
    for (uint8_t c : currentPalette().rgb) ASSERT_EQ(c, 0);

    scene1::render(9.99f);  // level 254, not the full palette
    for (int i = 0; i < 768; ++i) ASSERT_EQ(currentPalette().rgb[i], (palette->rgb[i] * 254) >> 8);
    EXPECT_FALSE(samePalette(currentPalette(), *palette));
}

TEST_F(RingFlightTest, ATimeJustBeforeTheStartIsStillBlack) {
    // Right after a switch the clock's rounding can hand the scene a t slightly below 0.
    for (float t : {-0.04f, -0.5f}) {
        scene1::render(t);
        for (uint8_t c : currentPalette().rgb) ASSERT_EQ(c, 0) << t;
    }
}

TEST_F(RingFlightTest, SetsNoPaletteFromTenSecondsUntilAfter27AndAHalf) {
    const Palette marker = markerPalette();
    setPalette(&marker);
    for (float t : {10.0f, 15.0f, 20.0f, 27.5f}) {
        scene1::render(t);
        EXPECT_TRUE(samePalette(currentPalette(), marker)) << t;
    }
}

TEST_F(RingFlightTest, BurnsOutTowardWhiteAfter27AndAHalf) {
    scene1::render(28.0f);
    const float factor = std::exp(8 * 0.5f);
    for (int i = 0; i < 768; ++i) {
        const int expected = std::min(255, static_cast<int>(palette->rgb[i] * factor));
        ASSERT_EQ(currentPalette().rgb[i], expected) << i;
    }
    scene1::render(40.0f);  // the factor overflows to infinity
    for (int i = 0; i < 768; ++i) {
        ASSERT_EQ(currentPalette().rgb[i], palette->rgb[i] == 0 ? 0 : 255) << i;
    }
}

TEST_F(RingFlightTest, FieldOfViewIs75UpTo20SecondsThenWidens) {
    for (float t : {0.0f, 0.5f, 9.99f, 10.0f, 10.01f, 15.0f, 19.99f, 20.0f}) {
        EXPECT_EQ(scene1::ringFieldOfView(t), 75.0f) << t;
    }
    EXPECT_GT(scene1::ringFieldOfView(20.5f), 75.0f);
    EXPECT_NEAR(scene1::ringFieldOfView(30.0f), 75 + 100 * std::log(2.0f), 1e-3);
}

TEST_F(RingFlightTest, ARingLevelWithTheEyeStaysAndAPassedRingMovesAhead) {
    scene1::render(0.0f);  // the eye is at z = 0, level with ring 0
    EXPECT_EQ(scene1::ringCentre(0).z, 0.0f);

    scene1::render(0.01f);  // the eye has moved on to z = 0.17
    const Vector3 moved = scene1::ringCentre(0);
    EXPECT_FLOAT_EQ(moved.z, 16.8f);
    const Vector3 onPath = scene1::pathPoint(moved.z);
    EXPECT_EQ(moved.x, onPath.x);
    EXPECT_EQ(moved.y, onPath.y);
    const Vector3 next = scene1::ringCentre(1);
    EXPECT_EQ(next.z, scene1::pathPoint(1.4f).z);
    EXPECT_EQ(next.x, scene1::pathPoint(1.4f).x);
}

// Rings are recycled one frame at a time, so the flight is played as the show plays it.
TEST_F(RingFlightTest, RingsStayInTheirShadesUntilTheLogoComesJustAfter15Seconds) {
    // Rings draw palette indices 0..128; the logo's lines lighten toward white beyond them.
    int litFrames = 0;
    for (int frame = 0; frame <= 300; ++frame) {
        const float t = frame * 0.05f;  // up to 15 s exactly
        scene1::render(t);
        ASSERT_LE(brightestIndex(), 128) << t;
        int lit = 0;
        for (int i = 0; i < kFrameSize; ++i) lit += FrameBuffer[i] > 64;
        litFrames += lit > kFrameSize / 20;
    }
    EXPECT_GT(litFrames, 250);  // the rings are there, lit, nearly all the time
    scene1::render(15.01f);
    EXPECT_GT(brightestIndex(), 128);
    scene1::render(22.0f);
    EXPECT_GT(brightestIndex(), 128);
}

}  // namespace
