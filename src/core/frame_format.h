// The shape of a frame and of its palette, which every part of the program draws in.
#pragma once

#include <cstdint>

#include "platform/frame_size.h"

// 256 entries of (red, green, blue), each 0..255.
struct Palette {
    uint8_t rgb[256 * 3];
};
