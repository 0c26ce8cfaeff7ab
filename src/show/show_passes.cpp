// The simulated show's passes and where its rows begin.
#include "show/show_passes.h"

#include <cmath>

#include "core/clock.h"
#include "scenes/scene_table.h"
#include "show/timeline.h"

namespace {

// Beyond this, a row that has not ended by time is taken to last (the last row's
// FLT_MAX): a day of show time at any rate the tools allow.
constexpr long kLongestRowPasses = 86400L * 1000;
// Nothing is looked for beyond a day into a scene.
constexpr double kLongestSceneSeconds = 86400.0;

// The first pass after firstPass on which the row has run strictly longer than its
// duration, by the main loop's own float comparison; -1 when it never ends.
long endPassOfRow(int row, long firstPass, double fps) {
    const float start = secondsOfTicks(ticksOfPass(firstPass, fps));
    const float duration = timelineRows[row].duration;
    // From a pass safely short of the duration (the clock's whole milliseconds and the
    // float seconds err by far less than 10 ms), then pass by pass.
    const double passes = std::floor((double(duration) - 0.01) * fps);
    if (!(passes < double(kLongestRowPasses))) return -1;
    long pass = firstPass + (passes > 1.0 ? long(passes) : 1);
    while (!(secondsOfTicks(ticksOfPass(pass, fps)) - start > duration)) ++pass;
    return pass;
}

}  // namespace

uint32_t ticksOfPass(long pass, double fps) {
    // Whole milliseconds, as the real clock counts them.
    return kSimulatedBootTicks + static_cast<uint32_t>(pass * 1000.0 / fps);
}

long passAtOrAfter(double showSeconds, double fps) {
    if (!(showSeconds > 0.0)) return 0;
    long pass = static_cast<long>(std::ceil(showSeconds * fps));
    while (pass > 0 && (pass - 1) / fps >= showSeconds) --pass;
    while (pass / fps < showSeconds) ++pass;
    return pass;
}

PassPlace placeOfPass(long pass, double fps) {
    PassPlace place = {0, 0};
    for (;;) {
        if (place.row + 1 >= timelineRowCount) return place;
        const long end = endPassOfRow(place.row, place.firstPass, fps);
        if (end < 0 || pass < end) return place;
        place = {place.row + 1, end};
    }
}

long firstPassOfRow(int row, double fps) {
    if (row < 0 || row >= timelineRowCount) return -1;
    long first = 0;
    for (int r = 0; r < row; ++r) {
        first = endPassOfRow(r, first, fps);
        if (first < 0) return -1;
    }
    return first;
}

float sceneSecondsOfPass(long pass, long firstPass, double fps) {
    return secondsOfTicks(ticksOfPass(pass, fps)) - secondsOfTicks(ticksOfPass(firstPass, fps));
}

long passAtSceneTime(int row, double sceneSeconds, double fps) {
    const long first = firstPassOfRow(row, fps);
    if (first < 0 || !(sceneSeconds >= 0.0 && sceneSeconds <= kLongestSceneSeconds)) return -1;
    const long end = endPassOfRow(row, first, fps);  // -1: the row never ends
    // From a pass safely short of the time, as for a row's end, then pass by pass.
    const double passes = std::floor((sceneSeconds - 0.01) * fps);
    long pass = first + (passes > 0.0 ? long(passes) : 0);
    while (sceneSecondsOfPass(pass, first, fps) < sceneSeconds) ++pass;
    return end >= 0 && pass >= end ? -1 : pass;
}
