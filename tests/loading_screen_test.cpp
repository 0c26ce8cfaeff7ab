// The loading screen: bar lengths, the ramp's colours, and the picture under the bar.
#include <gtest/gtest.h>

#include <cstring>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "fx2d/palette_tables.h"
#include "platform/headless/headless.h"
#include "show/loading_screen.h"

namespace {

constexpr const char* kPicture = "gfx\\zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif";

class LoadingScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openDisplay(true));
        picture = loadPicture(kPicture);
        palette = loadPalette(kPicture);
        beginLoadingScreen();
    }
    void TearDown() override {
        endLoadingScreen();
        closeDisplay();
    }

    // How many pixels of a bar row differ from the picture, counted from column 60.
    int barLength(int row) const {
        int length = 0;
        while (length < 260 && FrameBuffer[row * 320 + 60 + length] != picture[row * 320 + 60 + length])
            ++length;
        return length;
    }
    bool frameIsPicture() const { return std::memcmp(FrameBuffer, picture.get(), kFrameSize) == 0; }

    std::unique_ptr<uint8_t[]> picture;
    std::unique_ptr<Palette> palette;
};

TEST_F(LoadingScreenTest, FullBarCoversRows110To129FromColumn60) {
    drawLoadingProgress(1.0f);
    for (int row = 110; row < 130; ++row) ASSERT_EQ(barLength(row), 200) << row;
    EXPECT_EQ(barLength(109), 0);
    EXPECT_EQ(barLength(130), 0);
}

TEST_F(LoadingScreenTest, BarLengthFollowsTheFraction) {
    drawLoadingProgress(0.0f);
    EXPECT_TRUE(frameIsPicture());
    drawLoadingProgress(0.004f);
    EXPECT_TRUE(frameIsPicture());
    drawLoadingProgress(0.09090909f);
    EXPECT_EQ(barLength(120), 18);
    drawLoadingProgress(9 * 0.09090909f);
    EXPECT_EQ(barLength(110), 163);
    EXPECT_EQ(barLength(129), 163);
}

TEST_F(LoadingScreenTest, RampRunsFromNearBlackToNearYellowInThePicturesColours) {
    drawLoadingProgress(1.0f);
    const uint8_t* row = FrameBuffer + 115 * 320;
    EXPECT_EQ(row[60], nearestColour(*palette, 0, 0, 0));
    EXPECT_EQ(row[60 + 199], nearestColour(*palette, 254, 254, 0));
    EXPECT_EQ(row[60 + 100], nearestColour(*palette, 128, 128, 0));
    // The palette holds a real yellow ramp, so the bar's ends are what they should be.
    const uint8_t* end = &palette->rgb[row[60 + 199] * 3];
    EXPECT_GE(end[0], 240);
    EXPECT_GE(end[1], 240);
    EXPECT_LE(end[2], 16);
}

TEST_F(LoadingScreenTest, PictureUnderTheBarIsRestoredBetweenSteps) {
    drawLoadingProgress(1.0f);
    drawLoadingProgress(0.0f);
    EXPECT_TRUE(frameIsPicture());
}

TEST_F(LoadingScreenTest, EveryStepIsPresentedInThePicturesPalette) {
    const int before = headless::presentCount();
    drawLoadingProgress(0.5f);
    EXPECT_EQ(headless::presentCount(), before + 1);
    EXPECT_EQ(std::memcmp(currentPalette().rgb, palette->rgb, 768), 0);
}

TEST_F(LoadingScreenTest, FractionsOutsideZeroToOneStayInsideTheBar) {
    drawLoadingProgress(7.5f);
    EXPECT_EQ(barLength(120), 200);
    drawLoadingProgress(-1.0f);
    EXPECT_TRUE(frameIsPicture());
}

}  // namespace
