// Writes a 320x240 frame of 0x00RRGGBB pixels as an RGB PNG.
#pragma once

#include <cstdint>

bool writePng(const char* path, const uint32_t* pixels, int width, int height);
