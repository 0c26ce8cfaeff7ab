// The art of the rings, the sphere and the knot: what each needs of its palettes and pictures.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "assets/picture_loader.h"
#include "fx2d/palette_tables.h"
#include "generators.h"
#include "test_support.h"

namespace {

int brightness(const Palette& p, int i) { return p.rgb[i * 3] + p.rgb[i * 3 + 1] + p.rgb[i * 3 + 2]; }

TEST(RingSphereKnotArt, WritesTheSameBytesOnEveryRun) {
    TemporaryDirectory directory;
    writeRingSphereKnotArt(DataFolder("first"));
    writeRingSphereKnotArt(DataFolder("second"));
    for (const char* name : {"gfx/lezbizk!.pal", "gfx/Rrbt3.gif", "gfx/gouraud1.pal", "gfx/ggolf.gif",
                             "gfx/mavrel.gif"}) {
        const std::string first = readFileBytes(std::string("first/") + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, readFileBytes(std::string("second/") + name)) << name;
    }
}

TEST(RingSphereKnotArt, RingPaletteRampsFromBlackThroughTheRingShadesTowardWhite) {
    EXPECT_EQ(readFileBytes("gfx/lezbizk!.pal").size(), 768u);
    const auto palette = loadPalette("gfx\\lezbizk!.pal");
    EXPECT_EQ(brightness(*palette, 0), 0);
    for (int i = 1; i <= 128; ++i) EXPECT_GE(brightness(*palette, i), brightness(*palette, i - 1)) << i;
    EXPECT_GT(brightness(*palette, 128), 400);
    for (int i = 130; i <= 191; ++i) EXPECT_GE(brightness(*palette, i), brightness(*palette, i - 1)) << i;
    EXPECT_GE(brightness(*palette, 191), 3 * 250);
}

TEST(RingSphereKnotArt, SphereRampRisesFromBlack) {
    EXPECT_EQ(readFileBytes("gfx/gouraud1.pal").size(), 768u);
    const auto ramp = loadPalette("gfx\\gouraud1.pal");
    EXPECT_EQ(brightness(*ramp, 0), 0);
    // Rising all the way (6-bit components may hold a level for a few steps).
    for (int i = 16; i < 256; i += 16) EXPECT_GT(brightness(*ramp, i), brightness(*ramp, i - 16)) << i;
    EXPECT_GT(brightness(*ramp, 255), 3 * 220);
}

TEST(RingSphereKnotArt, OverlayLeavesTheSphereRoomAndHoldsItsShades) {
    const auto picture = loadPictureOfSize("gfx\\Rrbt3.gif", 320, 240);
    int seeThrough = 0;
    for (int y = 40; y < 140; ++y)
        for (int x = 50; x < 150; ++x) seeThrough += picture[y * 320 + x] == 0;
    EXPECT_GT(seeThrough, 8000);  // most of the region up and left of the centre

    const auto palette = loadPalette("gfx\\Rrbt3.gif");
    const auto ramp = loadPalette("gfx\\gouraud1.pal");
    std::set<int> closeEntries;
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = &ramp->rgb[i * 3];
        const int j = nearestColour(*palette, c[0], c[1], c[2]);
        const uint8_t* m = &palette->rgb[j * 3];
        const int dr = m[0] - c[0], dg = m[1] - c[1], db = m[2] - c[2];
        if (dr * dr + dg * dg + db * db <= 3 * 10 * 10) closeEntries.insert(j);
    }
    EXPECT_GE(closeEntries.size(), 48u);
}

TEST(RingSphereKnotArt, TextureUsesLevels1To15LitFromTheTopLeft) {
    const auto texture = loadPictureOfSize("gfx\\ggolf.gif", 256, 256);
    for (int i = 0; i < 65536; ++i) ASSERT_TRUE(texture[i] >= 1 && texture[i] <= 15) << i;
    EXPECT_GT(texture[80 * 256 + 80], texture[176 * 256 + 176]);
    EXPECT_GT(texture[128 * 256 + 128], texture[128 * 256 + 4]);  // darker at the rim
}

TEST(RingSphereKnotArt, BackgroundKeepsTheModelsLevelsToItself) {
    const auto background = loadPictureOfSize("gfx\\mavrel.gif", 320, 240);
    for (int i = 0; i < 320 * 240; ++i) ASSERT_GE(background[i], 16) << i;
    const auto scenePalette = loadPalette("gfx\\mavrel.gif");
    const auto texturePalette = loadPalette("gfx\\ggolf.gif");
    for (int i = 3; i < 48; ++i) EXPECT_EQ(scenePalette->rgb[i], texturePalette->rgb[i]) << i;
    EXPECT_EQ(brightness(*scenePalette, 0), 0);  // the wipes end on black
}

}  // namespace
