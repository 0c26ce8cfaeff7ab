// The demo's clock: the platform's millisecond counter in seconds, as a 32-bit float; or,
// for frames at exact times (the frame tool, video capture, tests), a simulated counter
// that a driver moves.
#pragma once

#include <cstdint>

// Milliseconds, wrapping at 2^32: the simulated count when one is set, else the platform's.
uint32_t clockTicks();

// A millisecond count in seconds, as the clock reads it.
inline float secondsOfTicks(uint32_t milliseconds) {
    return static_cast<float>(static_cast<int64_t>(milliseconds)) * 0.001f;
}

// Read afresh at every step that needs it, never cached within a pass.
inline float clockSeconds() { return secondsOfTicks(clockTicks()); }

// The real clock moved on or held back by this many milliseconds in all (the show kept
// with the music as heard). The clock never reads less than it has read: held back, it
// stands until the platform's count catches up.
void nudgeClock(double milliseconds);

// From now on the clock reads these milliseconds, until the next call or useRealClock.
void setSimulatedTicks(uint32_t milliseconds);
void useRealClock();
