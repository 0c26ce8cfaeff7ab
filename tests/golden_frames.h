// The golden frames: the frame tool's frames at about a hundred show times (60 frames per
// second), each kept as a hash of the frame on screen and the palette it is shown in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/display.h"

struct GoldenFrame {
    double showSeconds;
    uint64_t hash;
};

// Scene changes by the table fall at 30, 50, 67, 87, 95, 100, 120 and 145 s.
inline constexpr GoldenFrame kGolden[] = {
#include "golden_frames.inc"
};
inline constexpr size_t kGoldenCount = sizeof kGolden / sizeof kGolden[0];

// FNV-1a, 64 bits.
inline uint64_t hashBytes(uint64_t hash, const uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001B3ull;
    }
    return hash;
}

inline uint64_t hashFrameOnScreen() {
    const uint64_t hash = hashBytes(0xCBF29CE484222325ull, frameOnScreen(), kFrameSize);
    return hashBytes(hash, paletteOnScreen().rgb, sizeof paletteOnScreen().rgb);
}
