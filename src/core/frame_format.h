// The shape of a frame and of its palette, which every part of the program draws in.
#pragma once

#include <cstdint>

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 240;
constexpr int kFrameSize = kFrameWidth * kFrameHeight;

// 256 entries of (red, green, blue), each 0..255.
struct Palette {
    uint8_t rgb[256 * 3];
};
