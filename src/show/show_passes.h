// The passes of the show as the simulated clock plays it (the frame tool, the video
// capture, seeking): pass n at show time n / fps, on a clock that counts whole
// milliseconds; each row of the timeline begins on the first pass after the one before it
// has run strictly longer than its duration, so a row begins a little after the sum of
// the durations before it.
#pragma once

#include <cstdint>

// The simulated machine has been up ten seconds when the show starts.
constexpr uint32_t kSimulatedBootTicks = 10000;
// Seeking replays the show at the frame tool's own rate.
constexpr double kSeekFps = 60.0;

// The clock's milliseconds on pass n.
uint32_t ticksOfPass(long pass, double fps);
// The first pass at or after the show time (pass 0 for any time up to 0): the pass on
// which the frame tool's --at stops.
long passAtOrAfter(double showSeconds, double fps);

// Where a pass of the show falls: the row current on it and the pass that row began on.
struct PassPlace {
    int row;
    long firstPass;
};
// For the rows of the timeline, played from the first.
PassPlace placeOfPass(long pass, double fps);
// The pass on which a row of the timeline begins; -1 for a row outside it.
long firstPassOfRow(int row, double fps);
// The scene time a row's render is given on a pass, as the main loop works it out.
float sceneSecondsOfPass(long pass, long firstPass, double fps);
// The first pass of a row on which its scene time has reached the seconds given: the pass
// on which the frame tool's --scene N --time T stops. -1 when the row ends before then,
// for a row outside the timeline, and for a time that is not a number of seconds >= 0.
long passAtSceneTime(int row, double sceneSeconds, double fps);
