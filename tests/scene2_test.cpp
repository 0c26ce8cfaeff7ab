// The sphere scene: its fade from white, the overlay always on top, the freeze at 19 s
// and the empty picture from 19.6 s. Runs on the generated data.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "scenes/scene_table.h"

namespace {

class SphereSceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(openDisplay(true));
        deformingSphereScene.load();
        palette = loadPalette("gfx\\Rrbt3.gif");
        picture = loadPictureOfSize("gfx\\Rrbt3.gif", kFrameWidth, kFrameHeight);
    }
    static void TearDownTestSuite() {
        deformingSphereScene.unload();
        palette.reset();
        picture.reset();
        closeDisplay();
    }
    void SetUp() override { deformingSphereScene.start(); }

    static std::vector<uint8_t> frame() { return std::vector<uint8_t>(FrameBuffer, FrameBuffer + kFrameSize); }

    static std::unique_ptr<Palette> palette;
    static std::unique_ptr<uint8_t[]> picture;
};

std::unique_ptr<Palette> SphereSceneTest::palette;
std::unique_ptr<uint8_t[]> SphereSceneTest::picture;

TEST_F(SphereSceneTest, FadesFromWhiteToThePicturePalette) {
    deformingSphereScene.render(0.0f);
    for (uint8_t c : currentPalette().rgb) ASSERT_EQ(c, 255);
    deformingSphereScene.render(2.0f);
    for (int i = 0; i < 768; ++i) ASSERT_EQ(currentPalette().rgb[i], std::max<int>(palette->rgb[i], 127));
    for (float t : {254 / 63.75f + 0.0001f, 3.999f}) {
        deformingSphereScene.render(t);
        EXPECT_TRUE(std::equal(palette->rgb, palette->rgb + 768, currentPalette().rgb)) << t;
    }
}

TEST_F(SphereSceneTest, SetsNoPaletteFromFourSeconds) {
    Palette marker;
    for (int i = 0; i < 768; ++i) marker.rgb[i] = static_cast<uint8_t>(i * 3);
    setPalette(&marker);
    deformingSphereScene.render(4.0f);
    deformingSphereScene.render(11.0f);
    EXPECT_TRUE(std::equal(marker.rgb, marker.rgb + 768, currentPalette().rgb));
}

TEST_F(SphereSceneTest, OverlayBytesOtherThanZeroAreAlwaysOnTop) {
    for (float t : {0.5f, 2.0f, 7.3f, 12.0f, 18.5f}) {
        deformingSphereScene.render(t);
        int sphereShows = 0;
        for (int i = 0; i < kFrameSize; ++i) {
            if (picture[i] != 0) {
                ASSERT_EQ(FrameBuffer[i], picture[i]) << "t " << t << " offset " << i;
            } else {
                sphereShows += FrameBuffer[i] != 0;
            }
        }
        // After the shake the sphere is there to be covered.
        if (t >= 2) {
            EXPECT_GT(sphereShows, 1000) << t;
        }
    }
}

TEST_F(SphereSceneTest, FreezesAt19AndVanishesAt19Point6) {
    deformingSphereScene.render(18.9f);
    deformingSphereScene.render(19.0f);
    const std::vector<uint8_t> frozen = frame();
    for (float t : {19.2f, 19.4f, 19.599f}) {
        deformingSphereScene.render(t);
        EXPECT_EQ(frame(), frozen) << t;
    }
    deformingSphereScene.render(19.6f);
    for (int i = 0; i < kFrameSize; ++i) ASSERT_EQ(FrameBuffer[i], picture[i]) << i;
    EXPECT_NE(frame(), frozen);
}

}  // namespace
