// The flash meter on pictures whose flashing is known, and the flash limiter holding it
// under the limits while leaving a calm picture alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "safety/flash_limiter.h"
#include "safety/flash_meter.h"
#include "safety/frame_light.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr double kPi = 3.14159265358979323846;

// A frame of one colour, with another in the quarter-frame window at the top left.
std::vector<uint32_t> frameOf(uint32_t colour, uint32_t topLeftQuarter) {
    std::vector<uint32_t> pixels(kFrameSize, colour);
    for (int y = 0; y < kFrameHeight / 2; ++y)
        for (int x = 0; x < kFrameWidth / 2; ++x) pixels[y * kFrameWidth + x] = topLeftQuarter;
    return pixels;
}

// Seconds of a square wave between two pictures at the given number of flashes (cycles)
// a second, measured at the frame rate.
FlashReport measureSquareWave(const std::vector<uint32_t>& dark, const std::vector<uint32_t>& bright,
                              double flashesPerSecond, double seconds, double fps = 60.0) {
    FlashMeter meter(fps);
    const FrameLight darkLight = measureFrameLight(dark.data());
    const FrameLight brightLight = measureFrameLight(bright.data());
    for (long n = 0; n < long(seconds * fps); ++n) {
        const double t = n / fps;
        const bool lit = std::fmod(t * flashesPerSecond, 1.0) >= 0.5;
        meter.addFrame(t, lit ? brightLight : darkLight);
    }
    return meter.report();
}

int worstOf(const std::vector<int>& perSecond) {
    int worst = 0;
    for (int n : perSecond) worst = std::max(worst, n);
    return worst;
}

bool hasSpan(const FlashReport& report, FlashKind kind, FlashLevel level) {
    for (const FlashSpan& s : report.spans)
        if (s.kind == kind && s.level == level) return true;
    return false;
}

}  // namespace

TEST(FrameLight, LuminanceFollowsTheSrgbDefinition) {
    EXPECT_FLOAT_EQ(relativeLuminance(0, 0, 0), 0.0f);
    EXPECT_NEAR(relativeLuminance(255, 255, 255), 1.0f, 1e-6);
    EXPECT_NEAR(relativeLuminance(255, 0, 0), 0.2126f, 1e-6);
    // 128 / 255 = 0.50196: ((0.50196 + 0.055) / 1.055) ^ 2.4 = 0.21586, green's share 0.7152.
    EXPECT_NEAR(relativeLuminance(0, 128, 0), 0.7152 * 0.21586, 1e-5);
    EXPECT_NEAR(linearFromSrgb(10), 10 / 255.0 / 12.92, 1e-7);  // the straight part
    EXPECT_EQ(srgbFromLinear(linearFromSrgb(200)), 200);
    // Saturated red counts only where red makes 80% of the colour.
    EXPECT_GT(saturatedRed(255, 0, 0), 300.0f);
    EXPECT_EQ(saturatedRed(255, 200, 0), 0.0f);
    const std::vector<uint32_t> half = frameOf(kBlack, kWhite);
    const FrameLight light = measureFrameLight(half.data());
    EXPECT_NEAR(light.luminance[0], 0.25, 1e-6);  // the whole frame
    EXPECT_NEAR(light.luminance[1], 1.0, 1e-6);   // the window at the top left
    EXPECT_NEAR(light.luminance[9], 0.0, 1e-6);   // the one at the bottom right
}

TEST(FlashMeter, CountsTwoTransitionsForEveryFlashOfTheWholeFrame) {
    const std::vector<uint32_t> black = frameOf(kBlack, kBlack);
    const std::vector<uint32_t> white = frameOf(kWhite, kWhite);
    // 1.5 flashes a second pass quietly; 2 and 3 (four and six transitions) warn; 4 and 5
    // fail, and four seconds of them fail as extended flashing too.
    const FlashReport calm = measureSquareWave(black, white, 1.5, 10);
    EXPECT_TRUE(calm.passes());
    EXPECT_FALSE(calm.warns());
    EXPECT_EQ(worstOf(calm.luminancePerSecond), 3);
    for (double hz : {2.0, 3.0}) {
        const FlashReport r = measureSquareWave(black, white, hz, 3);
        EXPECT_TRUE(r.passes()) << hz << " Hz";
        EXPECT_TRUE(r.warns()) << hz << " Hz";
        EXPECT_EQ(worstOf(r.luminancePerSecond), int(2 * hz)) << hz << " Hz";
    }
    for (double hz : {4.0, 5.0}) {
        const FlashReport r = measureSquareWave(black, white, hz, 3);
        EXPECT_FALSE(r.passes()) << hz << " Hz";
        EXPECT_EQ(worstOf(r.luminancePerSecond), int(2 * hz)) << hz << " Hz";
        EXPECT_TRUE(hasSpan(r, FlashKind::Luminance, FlashLevel::Fail)) << hz << " Hz";
    }
    // Five transitions a second only warn, second by second; for six seconds they fail.
    const FlashReport long25 = measureSquareWave(black, white, 2.5, 6);
    EXPECT_FALSE(long25.passes());
    EXPECT_TRUE(hasSpan(long25, FlashKind::Luminance, FlashLevel::Extended));
    EXPECT_FALSE(hasSpan(long25, FlashKind::Luminance, FlashLevel::Fail));
    // The same at another frame rate: the counts are of seconds, not frames.
    EXPECT_EQ(worstOf(measureSquareWave(black, white, 4, 3, 144).luminancePerSecond), 8);
    EXPECT_EQ(worstOf(measureSquareWave(black, white, 4, 3, 30).luminancePerSecond), 8);
}

TEST(FlashMeter, AFlashInAQuarterOfTheScreenCountsWhereTheWholeFrameWouldDiluteIt) {
    // The window swings by 0.3 of luminance, the whole frame by 0.075: under the threshold.
    const uint32_t grey = 0x959595;  // luminance 0.30
    ASSERT_NEAR(relativeLuminance(0x95, 0x95, 0x95), 0.30, 0.005);
    const FlashReport r = measureSquareWave(frameOf(kBlack, kBlack), frameOf(kBlack, grey), 5, 3);
    EXPECT_FALSE(r.passes());
    EXPECT_EQ(worstOf(r.luminancePerSecond), 10);
}

TEST(FlashMeter, ChangesBetweenBrightStatesAndSmallChangesAreNotFlashes) {
    // Both states brighter than 0.8: the darker one must be below it for a transition.
    const uint32_t light = 0xEAEAEA;  // luminance 0.82
    const FlashReport bright = measureSquareWave(frameOf(light, light), frameOf(kWhite, kWhite), 5, 3);
    EXPECT_TRUE(bright.passes());
    EXPECT_EQ(worstOf(bright.luminancePerSecond), 0);
    // A swing of 0.08 is under the threshold however often it comes.
    const uint32_t dim = 0x4F4F4F;  // luminance 0.08
    const FlashReport small = measureSquareWave(frameOf(kBlack, kBlack), frameOf(dim, dim), 5, 3);
    EXPECT_EQ(worstOf(small.luminancePerSecond), 0);
}

TEST(FlashMeter, SaturatedRedFlashesFailEvenWhenTheirLuminanceChangesLittle) {
    const uint32_t red = 0xA00000;  // luminance 0.075, saturated red 112
    const FlashReport r = measureSquareWave(frameOf(red, red), frameOf(kBlack, kBlack), 5, 3);
    EXPECT_FALSE(r.passes());
    EXPECT_TRUE(hasSpan(r, FlashKind::Red, FlashLevel::Fail));
    EXPECT_FALSE(hasSpan(r, FlashKind::Luminance, FlashLevel::Fail));
    EXPECT_EQ(worstOf(r.redPerSecond), 10);
}

TEST(FlashMeter, ARunGoesOnThroughNoiseUntilItReachesTheThreshold) {
    // A slow rise of 0.2 in a second, jittering by a thousandth: one transition, not none.
    TransitionDetector detector(kLuminanceTransition);
    int transitions = 0;
    for (int n = 0; n <= 60; ++n) {
        const float jitter = n % 2 == 0 ? 0.0f : -0.001f;
        transitions += detector.add(0.1f + 0.2f * n / 60 + jitter) ? 1 : 0;
    }
    EXPECT_EQ(transitions, 1);
    // Having risen, it may not fall back 0.1 without a transition.
    float low, high;
    detector.quietRange(low, high);
    EXPECT_NEAR(low, 0.2f, 1e-5);
    EXPECT_EQ(high, std::numeric_limits<float>::infinity());  // the rise has been counted
}

namespace {

// A palette-index frame: index 0 everywhere, index 1 in the top-left quarter.
std::vector<uint8_t> indexFrame(bool quarterOnly) {
    std::vector<uint8_t> frame(kFrameSize, quarterOnly ? 0 : 1);
    for (int y = 0; y < kFrameHeight / 2; ++y)
        for (int x = 0; x < kFrameWidth / 2; ++x) frame[y * kFrameWidth + x] = 1;
    return frame;
}

// Plays a picture through the limiter at the frame rate and measures what it shows:
// palette entry 1 goes between black and white as the brightness function says.
struct Limited {
    FlashReport report;
    long softened = 0;          // frames not shown as drawn
    float largestSwing = 0.0f;  // of the whole frame's light between neighbouring frames
    // The largest change of a region's light from one frame to the next that the limiter
    // itself made (from jumpsFrom on): the change shown beyond the change drawn, or all of
    // it against it.
    float largestAddedJump = 0.0f;
};

FrameLight lightOf(const std::vector<uint8_t>& frame, const Palette& palette,
                   std::vector<uint32_t>& pixels) {
    for (int i = 0; i < kFrameSize; ++i) {
        const uint8_t* c = &palette.rgb[frame[i] * 3];
        pixels[i] = (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | c[2];
    }
    return measureFrameLight(pixels.data());
}

float addedJump(const FrameLight& lastDrawn, const FrameLight& drawn, const FrameLight& lastShown,
                const FrameLight& shown) {
    float largest = 0.0f;
    for (int r = 0; r < kLightRegionCount; ++r) {
        const float d = drawn.luminance[r] - lastDrawn.luminance[r];
        const float s = shown.luminance[r] - lastShown.luminance[r];
        largest = std::max(largest, s * d < 0 ? std::fabs(s) : std::fabs(s) - std::fabs(d));
    }
    return largest;
}

template <typename Brightness>
Limited limit(const std::vector<uint8_t>& frame, Brightness brightness, double seconds, double fps,
              double jumpsFrom = 0.0) {
    FlashLimiter limiter;
    FlashMeter meter(fps);
    Limited result;
    float last = -1.0f;
    std::vector<uint32_t> pixels(kFrameSize);
    FrameLight lastDrawn = {}, lastShown = {};
    for (long n = 0; n < long(seconds * fps); ++n) {
        const double t = n / fps;
        Palette drawn = {};
        const uint8_t level = brightness(t);
        drawn.rgb[3] = drawn.rgb[4] = drawn.rgb[5] = level;
        Palette shown;
        limiter.limit(frame.data(), drawn, t, shown);
        if (std::memcmp(shown.rgb, drawn.rgb, sizeof shown.rgb) != 0) ++result.softened;
        const FrameLight light = lightOf(frame, shown, pixels);
        const FrameLight drawnLight = lightOf(frame, drawn, pixels);
        if (last >= 0)
            result.largestSwing = std::max(result.largestSwing, std::fabs(light.luminance[1] - last));
        if (last >= 0 && t >= jumpsFrom)
            result.largestAddedJump = std::max(result.largestAddedJump,
                                               addedJump(lastDrawn, drawnLight, lastShown, light));
        last = light.luminance[1];
        lastDrawn = drawnLight;
        lastShown = light;
        meter.addFrame(t, light);
    }
    result.report = meter.report();
    return result;
}

}  // namespace

TEST(FlashLimiter, HoldsFlashingUnderTheWarningAtAnyFrameRateWithoutBlackingItOut) {
    for (bool quarterOnly : {false, true}) {
        for (double fps : {30.0, 60.0, 144.0}) {
            const Limited r = limit(indexFrame(quarterOnly),
                                    [](double t) { return std::fmod(t * 5, 1.0) < 0.5 ? 0 : 255; },
                                    6.0, fps);
            EXPECT_TRUE(r.report.passes()) << fps << " fps";
            EXPECT_FALSE(r.report.warns()) << fps << " fps";
            EXPECT_LE(worstOf(r.report.luminancePerSecond), 3) << fps << " fps";
            EXPECT_GT(r.softened, 0);
            // Damped, not stopped: the picture still visibly changes.
            EXPECT_GT(r.largestSwing, 0.01f) << fps << " fps";
        }
    }
}

TEST(FlashLimiter, BringsItsOwnChangesInOverTime) {
    // A quarter of the screen rests, flickers five times a second, then swings slowly, 1.2
    // times a second: between its transitions the contrast climbs back, and each one would
    // cut it to a calm spread of light again. (The flicker finds the picture as drawn with
    // its budget spent, where only a sudden change holds it: jumps count from 3 s on.)
    const auto flickerThenSwing = [](double t) {
        const double wave = t < 0.5 ? 0.0 : std::sin(2 * kPi * (t < 2.0 ? 5.0 : 1.2) * (t - 0.5));
        return int(120 + 100 * wave);
    };
    const Limited r = limit(indexFrame(true), flickerThenSwing, 10.0, 60.0, 3.0);
    EXPECT_GT(r.softened, 0);
    EXPECT_LE(r.largestAddedJump, 0.05f);
    // The whole screen doing the same leaves room for a hold that strays no further than a
    // gradual step from the drawing, from its first picture on, at any frame rate.
    for (double fps : {25.0, 60.0, 144.0}) {
        const Limited whole = limit(indexFrame(false), flickerThenSwing, 10.0, fps);
        EXPECT_GT(whole.softened, 0) << fps << " fps";
        EXPECT_FALSE(whole.report.warns()) << fps << " fps";
        EXPECT_LE(whole.largestAddedJump, 0.05f) << fps << " fps";
    }
}

TEST(FlashLimiter, ShowsACalmPictureExactlyAsDrawn) {
    // A fade from black to white over two seconds and back: one transition each way.
    const Limited r = limit(indexFrame(false),
                            [](double t) { return int(255 * (t < 2 ? t / 2 : 2 - t / 2)); }, 4.0,
                            60.0);
    EXPECT_EQ(r.softened, 0);
    EXPECT_TRUE(r.report.passes());
}

TEST(FlashLimiter, HoldsAFlickerThatStartsOnAPictureShownAsDrawn) {
    // A quarter of the screen rests, shown as drawn, then flickers five times a second, as
    // a square wave and as a smooth one: the first second of the flicker is held too.
    const auto square = [](double t) { return t < 0.5 || std::fmod(t * 5, 1.0) < 0.5 ? 0 : 255; };
    const auto smooth = [](double t) {
        return int(120 + 100 * (t < 0.5 ? 0.0 : std::sin(2 * kPi * 5.0 * (t - 0.5))));
    };
    for (double fps : {25.0, 60.0, 144.0}) {
        for (const Limited& r : {limit(indexFrame(true), square, 4.0, fps),
                                 limit(indexFrame(true), smooth, 4.0, fps)}) {
            EXPECT_FALSE(r.report.warns()) << fps << " fps";
            EXPECT_LE(worstOf(r.report.luminancePerSecond), 3) << fps << " fps";
            for (const FlashSpan& s : r.report.spans)
                ADD_FAILURE() << fps << " fps: " << s.worstPerSecond << " a second at " << s.from
                              << "-" << s.to << " s";
        }
    }
}
