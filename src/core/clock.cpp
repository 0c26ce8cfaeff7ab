// The demo's clock, real or simulated.
#include "core/clock.h"

#include <cmath>

#include "platform/platform.h"

namespace {

bool simulated = false;
uint32_t simulatedTicks = 0;
double nudgedMs = 0.0;      // added to the platform's count
uint32_t lastRealTicks = 0;  // the real clock's latest reading
bool realRead = false;

uint32_t realTicks() {
    uint32_t now = platform::ticks() + uint32_t(int64_t(std::llround(nudgedMs)));
    // Wrapping arithmetic: a reading before the last is held at the last.
    if (realRead && int32_t(now - lastRealTicks) < 0) now = lastRealTicks;
    lastRealTicks = now;
    realRead = true;
    return now;
}

}  // namespace

uint32_t clockTicks() { return simulated ? simulatedTicks : realTicks(); }

void nudgeClock(double milliseconds) {
    // A NaN or an absurd step is no correction (the sum keeps its millisecond precision).
    if (std::fabs(milliseconds) < 1e6) nudgedMs += milliseconds;
}

void setSimulatedTicks(uint32_t milliseconds) {
    simulated = true;
    simulatedTicks = milliseconds;
}

void useRealClock() { simulated = false; }
