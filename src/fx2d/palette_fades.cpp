// Palette fades toward black and white.
#include "fx2d/palette_fades.h"

#include <algorithm>

#include "core/numeric.h"

void fadePaletteFromBlack(const Palette& source, int level, Palette& out) {
    // A level below 0 (a time just before the fade's start) would turn every non-zero
    // component into 255 for a frame: it is black, as level 0.
    const int scale = std::clamp(level, 0, 256);
    for (int i = 0; i < 768; ++i) out.rgb[i] = static_cast<uint8_t>((source.rgb[i] * scale) >> 8);
}

void burnPaletteTowardWhite(const Palette& source, float factor, Palette& out) {
    for (int i = 0; i < 768; ++i) {
        const int c = source.rgb[i];
        // 0 * infinity would be NaN: zero components are settled before multiplying.
        out.rgb[i] = c == 0 ? 0 : static_cast<uint8_t>(std::min(255, truncToInt(c * factor)));
    }
}

void liftPaletteFloor(const Palette& source, int floor, Palette& out) {
    const uint8_t lowest = static_cast<uint8_t>(std::clamp(floor, 0, 255));
    for (int i = 0; i < 768; ++i) out.rgb[i] = std::max(source.rgb[i], lowest);
}
