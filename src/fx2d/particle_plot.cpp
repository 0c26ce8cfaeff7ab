// Particles as bright pixels, and the trail picture's border cleared.
#include "fx2d/particle_plot.h"

#include <cstring>

#include "core/numeric.h"
#include "fx2d/trail_blur.h"
#include "platform/frame_size.h"

void clearBorder(uint8_t* frame) {
    std::memset(frame, 0, kTrailBorder * kFrameWidth);
    uint8_t* const bottom = frame + (kFrameHeight - kTrailBorder) * kFrameWidth;
    std::memset(bottom, 0, kTrailBorder * kFrameWidth);
    for (int y = kTrailBorder; y < kFrameHeight - kTrailBorder; ++y) {
        uint8_t* row = frame + y * kFrameWidth;
        std::memset(row, 0, kTrailBorder);
        std::memset(row + kFrameWidth - kTrailBorder, 0, kTrailBorder);
    }
}

void plotParticle(uint8_t* frame, float x, float y) {
    // Truncation toward zero puts everything above -1 into column or row 0 and up;
    // NaN fails every comparison.
    if (!(x > -1.0f && x < kFrameWidth && y > -1.0f && y < kFrameHeight)) return;
    uint8_t& pixel = frame[truncToInt(y) * kFrameWidth + truncToInt(x)];
    const int brighter = pixel + kParticleBrightness;
    pixel = static_cast<uint8_t>(brighter > 255 ? 255 : brighter);
}
