// The frame on screen as the video's picture: every palette index becomes its colour, and
// every pixel a scale x scale block, so that no encoder ever blends two pixels' colours.
#pragma once

#include <cstdint>
#include <vector>

#include "core/display.h"

// Fills `pixels` (resized to 320 x scale by 240 x scale) with 0x00RRGGBB colours, row 0
// at the top.
void drawScaledFrame(const uint8_t* indices, const Palette& palette, int scale,
                     std::vector<uint32_t>& pixels);
