// Palette fades: toward black by a level, burning out toward white, lifted to a floor.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/display.h"
#include "fx2d/palette_fades.h"

namespace {

Palette rampPalette() {
    Palette palette;
    for (int i = 0; i < 768; ++i) palette.rgb[i] = static_cast<uint8_t>(i % 256);
    return palette;
}

TEST(PaletteFades, FromBlackScalesByLevelOver256) {
    const Palette source = rampPalette();
    Palette out;
    fadePaletteFromBlack(source, 0, out);
    for (uint8_t c : out.rgb) EXPECT_EQ(c, 0);
    fadePaletteFromBlack(source, 254, out);
    for (int i = 0; i < 768; ++i) EXPECT_EQ(out.rgb[i], (source.rgb[i] * 254) >> 8);
    EXPECT_EQ(out.rgb[255], 253);  // not the full colour
}

TEST(PaletteFades, BurnOutSaturatesAndKeepsZeroComponentsZero) {
    const Palette source = rampPalette();
    Palette out;
    burnPaletteTowardWhite(source, 2.5f, out);
    for (int i = 0; i < 768; ++i) {
        const int expected = std::min(255, static_cast<int>(source.rgb[i] * 2.5f));
        EXPECT_EQ(out.rgb[i], expected);
    }
    for (float factor : {1e30f, std::numeric_limits<float>::infinity()}) {
        burnPaletteTowardWhite(source, factor, out);
        for (int i = 0; i < 768; ++i) EXPECT_EQ(out.rgb[i], source.rgb[i] == 0 ? 0 : 255);
    }
}

TEST(PaletteFades, LiftRaisesEveryComponentToTheFloor) {
    const Palette source = rampPalette();
    Palette out;
    liftPaletteFloor(source, 255, out);
    for (uint8_t c : out.rgb) EXPECT_EQ(c, 255);
    liftPaletteFloor(source, 100, out);
    for (int i = 0; i < 768; ++i) EXPECT_EQ(out.rgb[i], std::max<int>(source.rgb[i], 100));
    liftPaletteFloor(source, 0, out);
    for (int i = 0; i < 768; ++i) EXPECT_EQ(out.rgb[i], source.rgb[i]);
}

}  // namespace
