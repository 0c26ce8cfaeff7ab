// The demo's clock: the platform's millisecond counter in seconds, as a 32-bit float; or,
// for frames at exact times (the frame tool, video capture, tests), a simulated counter
// that a driver moves.
#pragma once

#include <cstdint>

// Milliseconds, wrapping at 2^32: the simulated count when one is set, else the platform's.
uint32_t clockTicks();

// Read afresh at every step that needs it, never cached within a pass.
inline float clockSeconds() {
    return static_cast<float>(static_cast<int64_t>(clockTicks())) * 0.001f;
}

// From now on the clock reads these milliseconds, until the next call or useRealClock.
void setSimulatedTicks(uint32_t milliseconds);
void useRealClock();
