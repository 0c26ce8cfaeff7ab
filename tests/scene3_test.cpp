// The model scene: the filtered model over the picture, and the two interlaced wipes.
// Runs on the generated data.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "scenes/scene_table.h"

namespace {

class ModelSceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(openDisplay(true));
        knotOverPondScene.load();
        background = loadPictureOfSize("gfx\\mavrel.gif", kFrameWidth, kFrameHeight);
        palette = loadPalette("gfx\\mavrel.gif");
    }
    static void TearDownTestSuite() {
        knotOverPondScene.unload();
        background.reset();
        palette.reset();
        closeDisplay();
    }
    void SetUp() override {
        knotOverPondScene.start();
        knotOverPondScene.render(14.9f);  // the last image of the drawing phase
        lastImage.assign(ScratchFrame, ScratchFrame + kFrameSize);
    }

    static bool rowIsEmpty(int row) {
        return std::all_of(ScratchFrame + row * kFrameWidth, ScratchFrame + (row + 1) * kFrameWidth,
                           [](uint8_t p) { return p == 0; });
    }
    bool rowIsAsDrawn(int row) const {
        return std::equal(ScratchFrame + row * kFrameWidth, ScratchFrame + (row + 1) * kFrameWidth,
                          lastImage.begin() + row * kFrameWidth);
    }
    // Rows first, first + 2, ... up to last are empty and the others as drawn.
    void expectEmptyRows(int first, int last, int step = 2) const {
        for (int row = 0; row < kFrameHeight; ++row) {
            const bool wiped = row >= first && row <= last && (row - first) % step == 0;
            if (wiped) {
                EXPECT_TRUE(rowIsEmpty(row)) << "row " << row;
            } else {
                EXPECT_TRUE(rowIsAsDrawn(row)) << "row " << row;
            }
        }
    }

    static std::unique_ptr<uint8_t[]> background;
    static std::unique_ptr<Palette> palette;
    std::vector<uint8_t> lastImage;
};

std::unique_ptr<uint8_t[]> ModelSceneTest::background;
std::unique_ptr<Palette> ModelSceneTest::palette;

TEST_F(ModelSceneTest, StartShowsThePicturePalette) {
    EXPECT_TRUE(std::equal(palette->rgb, palette->rgb + 768, currentPalette().rgb));
}

TEST_F(ModelSceneTest, FilteredModelInTextureLevelsOverThePicture) {
    for (float t : {2.0f, 8.0f, 12.0f}) {
        knotOverPondScene.render(t);
        int modelPixels = 0;
        for (int i = 0; i < kFrameSize; ++i) {
            const uint8_t p = ScratchFrame[i];
            if (p >= 1 && p <= 15) {
                ++modelPixels;
            } else {
                ASSERT_EQ(p, background[i]) << "t " << t << " offset " << i;
            }
        }
        EXPECT_GT(modelPixels, 100) << t;
    }
    // The filter never writes the four-pixel border: the picture shows there.
    for (int x = 0; x < kFrameWidth; ++x) EXPECT_EQ(ScratchFrame[x], background[x]);
}

TEST_F(ModelSceneTest, FirstWipeClearsEvenRowsFromTheTop) {
    knotOverPondScene.render(15.0f);  // n = 0: row 0 at once
    expectEmptyRows(0, 0);
    knotOverPondScene.render(15.5f);  // n = 60
    expectEmptyRows(0, 120);
    knotOverPondScene.render(15.9999f);
    expectEmptyRows(0, 238);
}

TEST_F(ModelSceneTest, SecondWipeWaitsThenClearsOddRowsFromTheBottom) {
    knotOverPondScene.render(15.999f);
    knotOverPondScene.render(16.2f);  // m = 384: the even rows are gone, nothing more
    expectEmptyRows(0, 238);
    knotOverPondScene.render(16.75f);  // m = 120: 60 odd rows from the bottom
    for (int row = 0; row < kFrameHeight; ++row) {
        const bool wiped = row % 2 == 0 || row >= 121;
        EXPECT_EQ(rowIsEmpty(row), wiped) << "row " << row;
    }
}

TEST_F(ModelSceneTest, EveryEvenRowIsClearFromSixteenSecondsAtCommonFrameRates) {
    // Passes at k / fps: at 30 and 60 fps none falls in the first wipe's last moments.
    for (int fps : {30, 60, 144}) {
        knotOverPondScene.render(14.9f);
        for (int k = 15 * fps;; ++k) {
            const float t = static_cast<float>(k) / fps;
            if (t >= 16.5f) break;
            knotOverPondScene.render(t);
            if (t < 16) continue;
            for (int row = 0; row < kFrameHeight; row += 2) {
                ASSERT_TRUE(rowIsEmpty(row)) << fps << " fps, t " << t << ", row " << row;
                ASSERT_TRUE(rowIsAsDrawn(row + 1)) << fps << " fps, t " << t << ", row " << row + 1;
            }
        }
    }
}

TEST_F(ModelSceneTest, LateFramesClearEveryRowAndStayInsideTheFrame) {
    knotOverPondScene.render(15.999f);
    for (float t : {17.01f, 17.5f, 1000.0f, 3.0e9f}) {
        knotOverPondScene.render(t);
        for (int row = 0; row < kFrameHeight; ++row) ASSERT_TRUE(rowIsEmpty(row)) << t << " " << row;
    }
}

}  // namespace
