// The demo's clock: the platform's millisecond counter in seconds, as a 32-bit float.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Read afresh at every step that needs it, never cached within a pass.
inline float clockSeconds() {
    return static_cast<float>(static_cast<int64_t>(platform::ticks())) * 0.001f;
}
