// The reveal scene: blocks appear in map order and grow from their centres.
#include <gtest/gtest.h>

#include <vector>

#include "core/display.h"
#include "data_files.h"
#include "scenes/scene_table.h"
#include "test_support.h"

namespace {

// Time at which the reveal level reaches r (mid-way into that level).
float timeOfLevel(int r) { return (r + 0.5f) / 58.666668f; }

class RevealSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A map with block (3, 2) at 100 and all others at 255, over a picture of index 9.
        IndexedPicture map;
        map.width = 20;
        map.height = 15;
        map.pixels.assign(300, 255);
        map.pixels[2 * 20 + 3] = 100;
        map.colours.assign(256, Colour{0, 0, 0});
        writeGif(DataFolder(".").path("gfx\\overgang2.gif"), map);
        IndexedPicture picture;
        picture.width = 320;
        picture.height = 240;
        picture.pixels.assign(kFrameSize, 9);
        picture.colours.assign(256, Colour{10, 20, 30});
        writeGif(DataFolder(".").path("gfx\\cool.gif"), picture);
        ASSERT_TRUE(openDisplay(true));
        revealScene.load();
        revealScene.start();
    }
    void TearDown() override {
        revealScene.unload();
        closeDisplay();
    }

    // The bounding box of the revealed pixels in block (3, 2); -1 sides when none.
    struct Square {
        int left = -1, top = -1, size = 0;
    };
    Square revealedSquare() const {
        Square square;
        int count = 0;
        for (int y = 32; y < 48; ++y) {
            for (int x = 48; x < 64; ++x) {
                if (ScratchFrame[y * 320 + x] != 9) continue;
                if (square.left < 0 || x < square.left) square.left = x;
                if (square.top < 0 || y < square.top) square.top = y;
                ++count;
            }
        }
        for (int s = 0; s <= 16; ++s)
            if (s * s == count) square.size = s;
        return square;
    }
    int revealedPixels() const {
        int count = 0;
        for (int i = 0; i < kFrameSize; ++i) count += ScratchFrame[i] == 9;
        return count;
    }

    TemporaryDirectory directory;
};

TEST_F(RevealSceneTest, StartsAllBlack) {
    revealScene.render(0.0f);
    EXPECT_EQ(revealedPixels(), 0);
}

TEST_F(RevealSceneTest, BlockGrowsFromItsCentre) {
    revealScene.render(timeOfLevel(100));
    EXPECT_EQ(revealedPixels(), 0);  // d = 0: an empty square
    revealScene.render(timeOfLevel(101));
    Square s = revealedSquare();
    EXPECT_EQ(s.size, 2);
    EXPECT_EQ(s.left, 48 + 7);
    EXPECT_EQ(s.top, 32 + 7);
    revealScene.render(timeOfLevel(102));
    EXPECT_EQ(revealedSquare().size, 4);
    revealScene.render(timeOfLevel(108));
    EXPECT_EQ(revealedSquare().size, 16);
    EXPECT_EQ(revealedPixels(), 256);  // no other block yet
}

TEST_F(RevealSceneTest, WholePictureStandsFromFourAndAHalfSeconds) {
    for (float t : {4.5f, 4.8f, 5.0f, 7.0f}) {
        revealScene.render(t);
        EXPECT_EQ(revealedPixels(), kFrameSize) << t;
    }
    revealScene.render(timeOfLevel(262));
    EXPECT_LT(revealedPixels(), kFrameSize);  // blocks at 255 are whole from level 263
}

TEST_F(RevealSceneTest, SlightlyNegativeTimeShowsBlack) {
    revealScene.render(-0.01f);
    EXPECT_EQ(revealedPixels(), 0);
}

TEST(RevealSceneData, MapOfTheWrongSizeEndsTheProgram) {
    TemporaryDirectory directory;
    IndexedPicture map;
    map.width = 16;
    map.height = 16;
    map.pixels.assign(256, 0);
    map.colours.assign(256, Colour{0, 0, 0});
    writeGif(DataFolder(".").path("gfx\\overgang2.gif"), map);
    EXPECT_EXIT(revealScene.load(), ::testing::ExitedWithCode(1),
                "overgang2.gif: Error loading file");
}

}  // namespace
