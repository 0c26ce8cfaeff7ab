// The show's clock kept with the music as heard: the correction law on a simulated play,
// and the clock that never reads backwards when it is held back.
#include <gtest/gtest.h>

#include <cmath>

#include "core/clock.h"
#include "platform/headless/headless.h"
#include "show/music_clock.h"

namespace {

// Plays `seconds` at `fps` with the music heard `late` seconds after the show's start
// position (the output's latency): returns the show's offset from the music at the end,
// and checks every frame's step on the way.
double playAgainstMusic(double late, double seconds, double fps, double* biggestStepChange) {
    const double frame = 1.0 / fps;
    double show = 0.0, heard = -late;
    *biggestStepChange = 0.0;
    bool settled = false;
    for (double t = 0.0; t < seconds; t += frame) {
        const double step = frame + clockCorrection(show - heard, frame);
        EXPECT_GT(step, 0.0) << "the show stood still or went back at " << t;
        if (settled) *biggestStepChange = std::max(*biggestStepChange, std::fabs(step - frame));
        settled = settled || std::fabs(show - heard) < 0.03;
        show += step;
        heard += frame;
    }
    return show - heard;
}

TEST(MusicClock, CatchesUpWithTheSoundWithoutSteppingBackAndSettlesWithinAMillisecond) {
    for (double late : {0.25, 0.06, 0.01, -0.04}) {
        double biggestStepChange;
        const double left = playAgainstMusic(late, 4.0, 60.0, &biggestStepChange);
        EXPECT_LT(std::fabs(left), 0.0005) << "music " << late << " s late";
        // Once within reach, a frame's step never changes by a millisecond.
        EXPECT_LT(biggestStepChange, 0.001) << "music " << late << " s late";
    }
}

TEST(MusicClock, TakesNoCorrectionFromNonsense) {
    EXPECT_EQ(clockCorrection(NAN, 0.016), 0.0);
    EXPECT_EQ(clockCorrection(0.02, NAN), 0.0);
    EXPECT_EQ(clockCorrection(0.02, -1.0), 0.0);
    EXPECT_EQ(clockCorrection(INFINITY, 0.016), 0.0);
    // A stall counts as a tenth of a second at most: no leap of seconds.
    EXPECT_LE(std::fabs(clockCorrection(5.0, 30.0)), 0.05);
}

TEST(MusicClock, HeldBackTheClockStandsUntilThePlatformCatchesUp) {
    useRealClock();
    headless::setTicks(10000);
    ASSERT_EQ(clockTicks(), 10000u);
    nudgeClock(-5.0);
    EXPECT_EQ(clockTicks(), 10000u);
    headless::advanceTicks(3);
    EXPECT_EQ(clockTicks(), 10000u);
    headless::advanceTicks(3);
    EXPECT_EQ(clockTicks(), 10001u);
    nudgeClock(10.0);
    EXPECT_EQ(clockTicks(), 10011u);
    nudgeClock(NAN);
    EXPECT_EQ(clockTicks(), 10011u);
    nudgeClock(-5.0);  // back to no nudge for whatever runs next
}

}  // namespace
