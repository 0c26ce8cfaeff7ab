// The ring flight: its fades, the camera's field of view, ring recycling, the ring
// shades and when the logo appears. Runs on the generated data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "scenes/flight_path.h"
#include "scenes/scene_table.h"

namespace {

class RingFlightTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(openDisplay(true));
        ringFlightScene.load();
        palette = loadPalette("gfx\\lezbizk!.pal");
    }
    static void TearDownTestSuite() {
        ringFlightScene.unload();
        palette.reset();
        closeDisplay();
    }
    void SetUp() override { ringFlightScene.start(); }

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
    ringFlightScene.render(0.0f);
    for (uint8_t c : currentPalette().rgb) ASSERT_EQ(c, 0);

    ringFlightScene.render(9.99f);  // level 254, not the full palette
    for (int i = 0; i < 768; ++i) ASSERT_EQ(currentPalette().rgb[i], (palette->rgb[i] * 254) >> 8);
    EXPECT_FALSE(samePalette(currentPalette(), *palette));
}

TEST_F(RingFlightTest, ATimeJustBeforeTheStartIsStillBlack) {
    // Right after a switch the clock's rounding can hand the scene a t slightly below 0.
    for (float t : {-0.04f, -0.5f}) {
        ringFlightScene.render(t);
        for (uint8_t c : currentPalette().rgb) ASSERT_EQ(c, 0) << t;
    }
}

TEST_F(RingFlightTest, SetsNoPaletteFromTenSecondsUntilAfter27AndAHalf) {
    const Palette marker = markerPalette();
    setPalette(&marker);
    for (float t : {10.0f, 15.0f, 20.0f, 27.5f}) {
        ringFlightScene.render(t);
        EXPECT_TRUE(samePalette(currentPalette(), marker)) << t;
    }
}

TEST_F(RingFlightTest, BurnsOutTowardWhiteAfter27AndAHalf) {
    ringFlightScene.render(28.0f);
    const float factor = std::exp(8 * 0.5f);
    for (int i = 0; i < 768; ++i) {
        const int expected = std::min(255, static_cast<int>(palette->rgb[i] * factor));
        ASSERT_EQ(currentPalette().rgb[i], expected) << i;
    }
    ringFlightScene.render(40.0f);  // the factor overflows to infinity
    for (int i = 0; i < 768; ++i) {
        ASSERT_EQ(currentPalette().rgb[i], palette->rgb[i] == 0 ? 0 : 255) << i;
    }
}

TEST(RingRow, FieldOfViewIs75UpTo20SecondsThenWidens) {
    for (float t : {0.0f, 0.5f, 9.99f, 10.0f, 10.01f, 15.0f, 19.99f, 20.0f}) {
        EXPECT_EQ(ringFieldOfView(t), 75.0f) << t;
    }
    EXPECT_GT(ringFieldOfView(20.5f), 75.0f);
    EXPECT_NEAR(ringFieldOfView(30.0f), 75 + 100 * std::log(2.0f), 1e-3);
}

TEST(RingRow, ARingLevelWithTheEyeStaysAndAPassedRingMovesAhead) {
    constexpr int kRings = 12;
    Vector3 centres[kRings];
    placeRingsOnPath(centres, kRings);
    recycleRing(centres[0], 0.0f, kRings);  // the eye is at z = 0, level with ring 0
    EXPECT_EQ(centres[0].z, 0.0f);

    const float eyeZ = 17.0f * 0.01f;  // 10 ms into the flight the eye is at z = 0.17
    recycleRing(centres[0], eyeZ, kRings);
    const Vector3 moved = centres[0];
    EXPECT_FLOAT_EQ(moved.z, 16.8f);
    const Vector3 onPath = flightPathPoint(moved.z);
    EXPECT_EQ(moved.x, onPath.x);
    EXPECT_EQ(moved.y, onPath.y);
    recycleRing(centres[1], eyeZ, kRings);
    const Vector3 next = centres[1];
    EXPECT_EQ(next.z, flightPathPoint(1.4f).z);
    EXPECT_EQ(next.x, flightPathPoint(1.4f).x);
}

// Rings are recycled one frame at a time, so the flight is played as the show plays it.
TEST_F(RingFlightTest, RingsStayInTheirShadesUntilTheLogoComesJustAfter15Seconds) {
    // Rings draw palette indices 0..128; the logo's lines lighten toward white beyond them.
    int litFrames = 0;
    for (int frame = 0; frame <= 300; ++frame) {
        const float t = frame * 0.05f;  // up to 15 s exactly
        ringFlightScene.render(t);
        ASSERT_LE(brightestIndex(), 128) << t;
        int lit = 0;
        for (int i = 0; i < kFrameSize; ++i) lit += FrameBuffer[i] > 64;
        litFrames += lit > kFrameSize / 20;
    }
    EXPECT_GT(litFrames, 250);  // the rings are there, lit, nearly all the time
    ringFlightScene.render(15.01f);
    EXPECT_GT(brightestIndex(), 128);
    ringFlightScene.render(22.0f);
    EXPECT_GT(brightestIndex(), 128);
}

}  // namespace
