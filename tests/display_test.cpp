// The display: whole-frame operations and when a new palette shows in each mode.
#include <gtest/gtest.h>

#include "core/display.h"
#include "platform/headless/headless.h"

namespace {

Palette solidPalette(uint8_t r, uint8_t g, uint8_t b) {
    Palette p;
    for (int i = 0; i < 256; ++i) {
        p.rgb[i * 3] = r;
        p.rgb[i * 3 + 1] = g;
        p.rgb[i * 3 + 2] = b;
    }
    return p;
}

TEST(FrameOperations, ClearUsesOnlyTheLowEightBits) {
    static uint8_t frame[kFrameSize];
    clearFrame(frame, 0x1FF);
    for (int i = 0; i < kFrameSize; i += 997) EXPECT_EQ(frame[i], 0xFF);
    EXPECT_EQ(frame[kFrameSize - 1], 0xFF);
}

TEST(FrameOperations, CopyIsExact) {
    static uint8_t source[kFrameSize], destination[kFrameSize];
    for (int i = 0; i < kFrameSize; ++i) source[i] = uint8_t(i * 7 + (i >> 8));
    copyFrame(destination, source);
    for (int i = 0; i < kFrameSize; ++i) ASSERT_EQ(destination[i], source[i]);
}

TEST(WindowedDisplay, StartsBlackAndShowsANewPaletteAtTheNextPresent) {
    ASSERT_TRUE(openDisplay(true));
    EXPECT_FALSE(headless::windowFullScreen());
    clearFrame(FrameBuffer, 9);
    presentFrame(FrameBuffer);
    EXPECT_EQ(headless::lastPresentedPixels()[0], 0u);

    const Palette red = solidPalette(255, 0, 0);
    const int presents = headless::presentCount();
    setPalette(&red);
    showPaletteChange();
    EXPECT_EQ(headless::presentCount(), presents);  // nothing on screen changes yet
    presentFrame(FrameBuffer);
    EXPECT_EQ(headless::lastPresentedPixels()[0], 0xFF0000u);
    closeDisplay();
}

TEST(FullScreenDisplay, StartsWithTheColourCube) {
    ASSERT_TRUE(openDisplay(false));
    EXPECT_TRUE(headless::windowFullScreen());
    FrameBuffer[0] = 0xFF;  // 3-3-2: white
    FrameBuffer[1] = 0x1C;  // green bits only
    FrameBuffer[2] = 0x03;  // blue bits only
    FrameBuffer[3] = 0x20;  // lowest red step: 255 / 7
    presentFrame(FrameBuffer);
    const uint32_t* shown = headless::lastPresentedPixels();
    EXPECT_EQ(shown[0], 0xFFFFFFu);
    EXPECT_EQ(shown[1], 0x00FF00u);
    EXPECT_EQ(shown[2], 0x0000FFu);
    EXPECT_EQ(shown[3], 0x240000u);
    closeDisplay();
}

TEST(FullScreenDisplay, ANewPaletteShowsOnTheFrameAlreadyOnScreen) {
    ASSERT_TRUE(openDisplay(false));
    clearFrame(FrameBuffer, 4);
    presentFrame(FrameBuffer);
    clearFrame(FrameBuffer, 5);  // drawn but not presented: not on screen

    const Palette blue = solidPalette(0, 0, 200);
    setPalette(&blue);
    showPaletteChange();
    EXPECT_EQ(headless::lastPresentedPixels()[0], 200u);
    EXPECT_EQ(currentPalette().rgb[2], 200);

    // A present after the change shows it once; the pass's end then has nothing to add.
    const Palette green = solidPalette(0, 100, 0);
    setPalette(&green);
    presentFrame(FrameBuffer);
    const int presents = headless::presentCount();
    showPaletteChange();
    EXPECT_EQ(headless::presentCount(), presents);
    EXPECT_EQ(headless::lastPresentedPixels()[0], 0x006400u);
    closeDisplay();
}

}  // namespace

namespace {

// A stand-in limiter: every colour shown at a quarter, its calls counted.
int limits = 0, reapplies = 0, resets = 0;
void quarter(const Palette& palette, Palette& shown) {
    for (int i = 0; i < 768; ++i) shown.rgb[i] = palette.rgb[i] / 4;
}
const PresentationLimiter quarterLimiter{
    [](const uint8_t*, const Palette& palette, double, Palette& shown) {
        ++limits;
        quarter(palette, shown);
    },
    [](const Palette& palette, Palette& shown) {
        ++reapplies;
        quarter(palette, shown);
    },
    [] { ++resets; }, [] { return 0.0; }};

}  // namespace

TEST(GentleDisplay, PicturesPassTheInstalledLimiterAndWithoutOneAreShownAsDrawn) {
    ASSERT_TRUE(openDisplay(true));
    const Palette grey = solidPalette(200, 100, 40);
    setPalette(&grey);
    clearFrame(FrameBuffer, 1);
    setGentleMode(true);

    presentFrame(FrameBuffer);  // no limiter installed
    EXPECT_EQ(headless::lastPresentedPixels()[0], 0xC86428u);
    EXPECT_EQ(paletteOnScreen().rgb[0], 200);

    installPresentationLimiter(&quarterLimiter);
    restartGentleLimiter();
    EXPECT_EQ(resets, 1);
    presentFrame(FrameBuffer);
    EXPECT_EQ(limits, 1);
    EXPECT_EQ(headless::lastPresentedPixels()[0], 0x32190Au);
    EXPECT_EQ(paletteOnScreen().rgb[0], 50);
    presentAgain();  // a held picture: the last choice again, no new picture for the limiter
    EXPECT_EQ(reapplies, 1);
    EXPECT_EQ(limits, 1);
    EXPECT_EQ(headless::lastPresentedPixels()[0], 0x32190Au);

    setGentleMode(false);  // off: as drawn, though a limiter is installed
    presentFrame(FrameBuffer);
    EXPECT_EQ(limits, 1);
    EXPECT_EQ(headless::lastPresentedPixels()[0], 0xC86428u);
    installPresentationLimiter(nullptr);
    closeDisplay();
}
