// The gentle show's limiter: the one flash limiter that presentation passes every picture
// through in gentle mode, once installed in the display's hook.
#pragma once

#include "safety/flash_limiter.h"

// Installs the limiter in presentation (core/display.h). Any number of times; the
// program does it before it opens the display.
void installGentleLimiter();

// Its history, which the seek's checkpoints keep with the scenes' state and put back.
const FlashLimiter& gentleLimiter();
void setGentleLimiter(const FlashLimiter& limiter);
