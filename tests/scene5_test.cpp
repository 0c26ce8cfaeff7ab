// The credits scene: blurred credits brighten a settling warp, then the frozen frame
// dissolves block by block in transition-map order.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/display.h"
#include "data_files.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"
#include "test_support.h"

namespace {

constexpr int kGrey = 64;  // the picture's one colour

IndexedPicture greyRampPicture(int width, int height, uint8_t fill) {
    IndexedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(size_t(width) * height, fill);
    for (int i = 0; i < 256; ++i)
        picture.colours.push_back(Colour{uint8_t(i), uint8_t(i), uint8_t(i)});
    return picture;
}

// Credits: a white bar over rows 100..139, columns 100..219. Picture: one mid grey in a
// grey-ramp palette, so shade level L of the picture shows as a brighter grey. Map: block
// values chosen per test, 128 elsewhere.
class CreditsSceneTest : public ::testing::Test {
   protected:
    void writeData(const std::vector<std::pair<int, uint8_t>>& mapValues) {
        IndexedPicture map = greyRampPicture(20, 15, 128);
        for (const auto& [block, value] : mapValues) map.pixels[block] = value;
        writeGif(DataFolder(".").path("gfx\\overgang1.gif"), map);
        writeGif(DataFolder(".").path("gfx\\_urk.gif"), greyRampPicture(256, 256, kGrey));
        IndexedPicture credits = greyRampPicture(320, 240, 0);
        for (int y = 100; y < 140; ++y)
            for (int x = 100; x < 220; ++x) credits.pixels[y * 320 + x] = 255;
        writeGif(DataFolder(".").path("gfx\\credits.gif"), credits);
    }
    void loadScene(const std::vector<std::pair<int, uint8_t>>& mapValues = {}) {
        writeData(mapValues);
        ASSERT_TRUE(openDisplay(true));
        creditsScene.load();
        creditsScene.start();
        loaded = true;
    }
    void TearDown() override {
        if (!loaded) return;
        creditsScene.unload();
        closeDisplay();
    }

    // How many pixels of block (bx, by) the dissolve still shows.
    static int shownPixels(int bx, int by) {
        int count = 0;
        for (int y = by * 16; y < by * 16 + 16; ++y)
            for (int x = bx * 16; x < bx * 16 + 16; ++x) count += ScratchFrame[y * 320 + x] != 0;
        return count;
    }
    static int shownPixels() {
        int count = 0;
        for (int i = 0; i < kFrameSize; ++i) count += ScratchFrame[i] != 0;
        return count;
    }

    TemporaryDirectory directory;
    bool loaded = false;
};

TEST(CreditsSceneTiming, BlurRadiiStartAtFiftyAndThirtyEightAndEndAtZero) {
    EXPECT_EQ(scene5::horizontalBlurRadius(0.0f), 50);
    EXPECT_EQ(scene5::verticalBlurRadius(0.0f), 38);
    for (float t : {5.0f, 5.2f, 5.5f}) {
        EXPECT_EQ(scene5::horizontalBlurRadius(t), 0) << t;
        EXPECT_EQ(scene5::verticalBlurRadius(t), 0) << t;
    }
    for (float t = 0.0f; t < 5.0f; t += 0.05f) {
        EXPECT_LE(scene5::horizontalBlurRadius(t), 50);
        EXPECT_LE(scene5::verticalBlurRadius(t), 50);
    }
}

TEST(CreditsSceneTiming, DissolveReachAndBlockInsets) {
    EXPECT_EQ(scene5::dissolveReach(5.5001f), 263);
    EXPECT_EQ(scene5::dissolveReach(5.51f), 262);
    EXPECT_EQ(scene5::dissolveReach(7.5f), 0);
    EXPECT_EQ(scene5::dissolveReach(8.0f), -66);
    // Whole while R >= value + 8; then one pixel a side per step; gone at d <= 0.
    EXPECT_EQ(scene5::blockInset(262, 253), 0);
    EXPECT_EQ(scene5::blockInset(262, 254), 0);
    EXPECT_EQ(scene5::blockInset(262, 255), 1);
    EXPECT_EQ(scene5::blockInset(1, 0), 7);
    EXPECT_EQ(scene5::blockInset(0, 0), 8);
    EXPECT_EQ(scene5::blockInset(-5, 0), 8);
}

TEST_F(CreditsSceneTest, SharpCreditsTurnThePictureWhiteOverAStillPicture) {
    loadScene();
    creditsScene.render(5.0f);
    const std::vector<uint8_t> still(FrameBuffer, FrameBuffer + kFrameSize);
    EXPECT_EQ(still[120 * 320 + 160], 255);   // credits level 255: white
    EXPECT_EQ(still[120 * 320 + 99], kGrey);  // just outside the bar: untouched
    EXPECT_EQ(still[10 * 320 + 10], kGrey);
    for (float t : {5.1f, 5.3f, 5.5f}) {
        creditsScene.render(t);
        EXPECT_TRUE(std::equal(still.begin(), still.end(), FrameBuffer)) << t;
    }
}

TEST_F(CreditsSceneTest, CreditsStartBlurred) {
    loadScene();
    creditsScene.render(0.0f);
    EXPECT_GT(FrameBuffer[120 * 320 + 90], kGrey);  // the glow spreads past the bar
    EXPECT_LT(FrameBuffer[120 * 320 + 160], 255);   // and the bar is no longer full white
}

TEST_F(CreditsSceneTest, FrozenFrameDissolvesInMapOrder) {
    // Block (1, 1) at 255, (2, 1) at 254, (3, 1) at 0; the bar's blocks are all 128.
    loadScene({{20 + 1, 255}, {20 + 2, 254}, {20 + 3, 0}});
    creditsScene.render(5.5f);  // the last phase-1 frame stays in the FrameBuffer
    const std::vector<uint8_t> frozen(FrameBuffer, FrameBuffer + kFrameSize);

    creditsScene.render(5.51f);  // R = 262
    EXPECT_EQ(shownPixels(1, 1), 14 * 14);
    EXPECT_EQ(shownPixels(2, 1), 16 * 16);
    EXPECT_EQ(shownPixels(3, 1), 16 * 16);
    EXPECT_EQ(ScratchFrame[16 * 320 + 16], 0);      // the shrunk block's corner
    EXPECT_EQ(ScratchFrame[17 * 320 + 17], kGrey);  // just inside it
    EXPECT_EQ(ScratchFrame[120 * 320 + 160], 255);  // the frozen credits

    creditsScene.render(7.49f);  // R = 1: only the block at 0 is left, as a 2x2 square
    EXPECT_EQ(shownPixels(3, 1), 4);
    EXPECT_EQ(shownPixels(), 4);
    EXPECT_EQ(ScratchFrame[23 * 320 + 55], kGrey);

    for (float t : {7.5f, 7.9f}) {
        creditsScene.render(t);
        EXPECT_EQ(shownPixels(), 0) << t;
    }
    EXPECT_TRUE(std::equal(frozen.begin(), frozen.end(), FrameBuffer));
}

TEST(CreditsSceneData, PicturesOfTheWrongSizeEndTheProgram) {
    TemporaryDirectory directory;
    writeGif(DataFolder(".").path("gfx\\overgang1.gif"), greyRampPicture(20, 15, 0));
    writeGif(DataFolder(".").path("gfx\\_urk.gif"), greyRampPicture(320, 240, 0));
    writeGif(DataFolder(".").path("gfx\\credits.gif"), greyRampPicture(320, 240, 0));
    EXPECT_EXIT(creditsScene.load(), ::testing::ExitedWithCode(1), "_urk.gif: Error loading file");
    writeGif(DataFolder(".").path("gfx\\_urk.gif"), greyRampPicture(256, 256, 0));
    writeGif(DataFolder(".").path("gfx\\credits.gif"), greyRampPicture(256, 256, 0));
    EXPECT_EXIT(creditsScene.load(), ::testing::ExitedWithCode(1),
                "credits.gif: Error loading file");
}

}  // namespace
