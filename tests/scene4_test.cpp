// The swirl scene: its opening wipe, the dots of the pulsing sphere, and the fade table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "fx2d/bilinear.h"
#include "fx2d/palette_tables.h"
#include "platform/headless/headless.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

namespace {

// Loads the scene from the generated data folder (the tests' working directory).
class SwirlSceneTest : public ::testing::Test {
   protected:
    static void SetUpTestSuite() {
        buildBilinearWeights();
        ASSERT_TRUE(openDisplay(true));
        swirlScene.load();
        swirlScene.start();
    }
    static void TearDownTestSuite() {
        swirlScene.unload();
        closeDisplay();
    }

    static bool rowIs(const uint8_t* frame, int row, const uint8_t* expected) {
        return std::equal(frame + row * kFrameWidth, frame + (row + 1) * kFrameWidth, expected);
    }
    static bool rowIsBlack(const uint8_t* frame, int row) {
        const uint8_t* begin = frame + row * kFrameWidth;
        return std::all_of(begin, begin + kFrameWidth, [](uint8_t p) { return p == 0; });
    }
};

TEST(SwirlSceneWipe, EvenRowsFromTheTopThenOddRowsFromTheBottom) {
    for (int row = 0; row < kFrameHeight; ++row) {
        EXPECT_EQ(scene4::wipeShowsRow(row, 0.5f), row % 2 == 0 && row <= 120) << row;
        EXPECT_EQ(scene4::wipeShowsRow(row, 1.5f), row % 2 == 0 || row >= 121) << row;
        EXPECT_EQ(scene4::wipeShowsRow(row, 1.0f), row % 2 == 0) << row;
        EXPECT_EQ(scene4::wipeShowsRow(row, 1.999f), true) << row;
        EXPECT_FALSE(scene4::wipeShowsRow(row, -0.01f)) << row;
    }
    EXPECT_TRUE(scene4::wipeShowsRow(0, 0.0f));  // h = 0 still shows row 0
}

TEST(SwirlSceneSphere, VerticesAppearOverTheFirstSixSeconds) {
    EXPECT_EQ(scene4::visibleVertexCount(1000, 1.0f), 25);
    EXPECT_EQ(scene4::visibleVertexCount(561, 1.0f), 14);  // trunc(0.025 * 561)
    EXPECT_EQ(scene4::visibleVertexCount(1000, 0.0f), 0);
    EXPECT_EQ(scene4::visibleVertexCount(1000, -0.01f), 0);
    EXPECT_EQ(scene4::visibleVertexCount(1000, 6.4f), 1000);
    EXPECT_EQ(scene4::visibleVertexCount(1000, 19.0f), 1000);
}

TEST(SwirlSceneSphere, DotsOnlyInFrontOfTheEyeAndInsideTheFrame) {
    scene4::DotPlacement dot{};
    ASSERT_TRUE(scene4::placeDot(Vector3(0.0f, 0.0f, 4.0f), dot));
    EXPECT_EQ(dot.size, 5);
    EXPECT_EQ(dot.left, 160);
    EXPECT_EQ(dot.top, 115);
    ASSERT_TRUE(scene4::placeDot(Vector3(0.0f, 0.0f, 7.5f), dot));
    EXPECT_EQ(dot.size, 1);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(scene4::placeDot(Vector3(1.0f, 1.0f, 0.0f), dot));   // at the eye
    EXPECT_FALSE(scene4::placeDot(Vector3(0.0f, 0.0f, -0.5f), dot));  // behind it
    EXPECT_FALSE(scene4::placeDot(Vector3(0.0f, 0.0f, 8.5f), dot));   // size 0: too far
    EXPECT_FALSE(scene4::placeDot(Vector3(nan, 0.0f, 4.0f), dot));
    EXPECT_FALSE(scene4::placeDot(Vector3(0.0f, 0.0f, nan), dot));
    EXPECT_FALSE(scene4::placeDot(Vector3(inf, 0.0f, 4.0f), dot));
    // Size 5 at depth 4: x must stay strictly between 10 and 310 (x = 160 + 64 view.x).
    EXPECT_FALSE(scene4::placeDot(Vector3(-2.34375f, 0.0f, 4.0f), dot));  // sx = 10
    EXPECT_TRUE(scene4::placeDot(Vector3(-2.328125f, 0.0f, 4.0f), dot));  // sx = 11
    EXPECT_FALSE(scene4::placeDot(Vector3(2.34375f, 0.0f, 4.0f), dot));   // sx = 310
    EXPECT_FALSE(scene4::placeDot(Vector3(0.0f, 1.71875f, 4.0f), dot));   // sy = 230
}

TEST_F(SwirlSceneTest, FadeTableKeepsColoursAtLevelZeroAndTurnsThemBlackAtTheTop) {
    const std::unique_ptr<Palette> palette = loadPalette("gfx\\tex(as).gif");
    int nearestBlack = 0;
    for (int i = 1; i < 256; ++i) {
        const uint8_t* c = &palette->rgb[i * 3];
        const uint8_t* best = &palette->rgb[nearestBlack * 3];
        if (c[0] * c[0] + c[1] * c[1] + c[2] * c[2] <
            best[0] * best[0] + best[1] * best[1] + best[2] * best[2])
            nearestBlack = i;
    }
    std::vector<uint8_t> table(kShadeTableSize);
    buildDarkeningTable(*palette, table.data());
    for (int colour = 0; colour < 256; ++colour) {
        const int kept = table[colour];
        EXPECT_LE(kept, colour);
        EXPECT_TRUE(std::equal(&palette->rgb[kept * 3], &palette->rgb[kept * 3 + 3],
                               &palette->rgb[colour * 3]))
            << colour;
        EXPECT_EQ(table[255 * 256 + colour], nearestBlack) << colour;
    }
}

TEST_F(SwirlSceneTest, WipeShowsTheFinishedFrameOnBlack) {
    swirlScene.render(0.5f);
    for (int row = 0; row < kFrameHeight; ++row) {
        if (row % 2 == 0 && row <= 120)
            EXPECT_TRUE(rowIs(ScratchFrame, row, FrameBuffer + row * kFrameWidth)) << row;
        else
            EXPECT_TRUE(rowIsBlack(ScratchFrame, row)) << row;
    }
    swirlScene.render(1.5f);
    for (int row = 0; row < kFrameHeight; ++row) {
        if (row % 2 == 0 || row >= 121)
            EXPECT_TRUE(rowIs(ScratchFrame, row, FrameBuffer + row * kFrameWidth)) << row;
        else
            EXPECT_TRUE(rowIsBlack(ScratchFrame, row)) << row;
    }
}

TEST_F(SwirlSceneTest, AfterTheWipeThePictureIsShownOverTheMaskOfDots) {
    swirlScene.render(8.0f);
    const Palette& palette = currentPalette();
    const uint32_t* shown = headless::lastPresentedPixels();
    for (int i = 0; i < kFrameSize; ++i) {
        const uint8_t* c = &palette.rgb[FrameBuffer[i] * 3];
        ASSERT_EQ(shown[i], (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | c[2]) << i;
    }
    int lit = 0, full = 0;
    for (int i = 0; i < kFrameSize; ++i) {
        lit += ScratchFrame[i] != 0;
        full += ScratchFrame[i] == 255;
    }
    EXPECT_GT(lit, 1000);  // the sphere's dots, smeared
    EXPECT_LT(full, lit);  // soft, not solid
}

TEST_F(SwirlSceneTest, FirstFramesAtAndJustBeforeZeroAreDrawn) {
    swirlScene.render(-0.01f);
    for (int row = 0; row < kFrameHeight; ++row) EXPECT_TRUE(rowIsBlack(ScratchFrame, row)) << row;
    swirlScene.render(0.0f);  // only row 0 so far
    EXPECT_TRUE(rowIs(ScratchFrame, 0, FrameBuffer));
    for (int row = 1; row < kFrameHeight; ++row) EXPECT_TRUE(rowIsBlack(ScratchFrame, row)) << row;
}

}  // namespace
