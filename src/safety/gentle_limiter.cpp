// The gentle show's limiter, reached by presentation through its hook.
#include "safety/gentle_limiter.h"

#include "core/display.h"

namespace {

FlashLimiter limiter;

void limit(const uint8_t* frame, const Palette& palette, double seconds, Palette& shown) {
    limiter.limit(frame, palette, seconds, shown);
}

void reapply(const Palette& palette, Palette& shown) { limiter.reapply(palette, shown); }

void reset() { limiter.reset(); }

double lastSeconds() { return limiter.lastSeconds(); }

const PresentationLimiter hook{limit, reapply, reset, lastSeconds};

}  // namespace

void installGentleLimiter() { installPresentationLimiter(&hook); }

const FlashLimiter& gentleLimiter() { return limiter; }

void setGentleLimiter(const FlashLimiter& state) { limiter = state; }
