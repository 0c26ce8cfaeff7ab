// The demo's clock, real or simulated.
#include "core/clock.h"

#include "platform/platform.h"

namespace {

bool simulated = false;
uint32_t simulatedTicks = 0;

}  // namespace

uint32_t clockTicks() { return simulated ? simulatedTicks : platform::ticks(); }

void setSimulatedTicks(uint32_t milliseconds) {
    simulated = true;
    simulatedTicks = milliseconds;
}

void useRealClock() { simulated = false; }
