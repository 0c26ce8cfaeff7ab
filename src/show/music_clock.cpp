// The demo's clock kept with the music as heard.
#include "show/music_clock.h"

#include <algorithm>
#include <cmath>

#include "core/clock.h"
#include "platform/platform.h"
#include "show/player.h"
#include "show/timeline.h"
#include "show/timing_log.h"

namespace {

constexpr double kNearSeconds = 0.03;   // beyond this the clock catches up
constexpr double kCatchUpRate = 0.5;    // catching up: the clock at half or 1.5 its speed
constexpr double kEaseSeconds = 0.5;    // near: the offset eased out over this long
constexpr double kEaseRate = 0.05;      // ... at no more than this much of the speed
constexpr double kLongestPass = 0.1;    // a longer gap (a stall) counts as this long

double lastPassAt = -1.0;  // monotonic seconds of the latest pass that followed the music

}  // namespace

double clockCorrection(double ahead, double elapsed) {
    if (!(std::fabs(ahead) < 1e6) || !(elapsed > 0.0)) return 0.0;  // NaN too
    elapsed = std::min(elapsed, kLongestPass);
    if (std::fabs(ahead) > kNearSeconds)
        return -std::copysign(std::min(std::fabs(ahead), kCatchUpRate * elapsed), ahead);
    const double limit = kEaseRate * elapsed;
    return std::clamp(-ahead * std::min(1.0, elapsed / kEaseSeconds), -limit, limit);
}

void followTheMusic(DemoRun& run) {
    const double now = monotonicSeconds();
    const double elapsed = lastPassAt < 0.0 ? 0.0 : now - lastPassAt;
    lastPassAt = -1.0;
    if (run.stream == 0 || run.player.paused || currentScene < 0) return;
    const double heard = platform::audioStreamPosition(run.stream);
    if (heard < 0.0) return;  // not playing, or the backend cannot tell
    const double show = showSeconds(run);
    if (show >= showLength(run)) return;  // the last scene plays on past the music
    lastPassAt = now;
    // Sound that reaches the viewer later than reported (--audio-offset) holds the picture.
    const double ahead = show - (heard - run.audioOffsetSeconds);
    nudgeClock(clockCorrection(ahead, elapsed) * 1000.0);
}
