// Writes a 320x240 frame of 0x00RRGGBB pixels as an RGB PNG.
#pragma once

#include <cstdint>
#include <string>

// False, with the reason in `error`, when the file cannot be written whole; a file that
// had the name is then as it was.
bool writePng(const char* path, const uint32_t* pixels, int width, int height,
              std::string& error);
