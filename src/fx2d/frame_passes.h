// Whole-frame byte passes over 320x240 frames: the checkerboard smear and the two ways
// of laying one picture over another with index 0 as the see-through colour.
#pragma once

#include <cstdint>

// For rows r = 0..238 and every second column c = (r mod 2) + 2i up to 315, pixel (r, c)
// takes the value of pixel (r + 1, c + 3). Rows run top to bottom and each reads only the
// row below, still unchanged, so every copy sees the frame as it was. Row 239 and the
// other pixels keep their values.
void checkerboardSmear(uint8_t* frame);

// Every non-zero byte of the picture is stored at the same offset of the frame; zero
// bytes let the frame show through. The picture and the frame are distinct buffers.
void overlayOpaque(const uint8_t* picture, uint8_t* frame);

// Every zero byte of the frame is replaced by the background's byte at the same offset.
// The frame and the background are distinct buffers.
void fillEmpty(uint8_t* frame, const uint8_t* background);

namespace fast {
// Branch-free, a whole frame at a time (frame_passes.cpp).
void overlayOpaque(const uint8_t* picture, uint8_t* frame);
void fillEmpty(uint8_t* frame, const uint8_t* background);
}  // namespace fast

namespace plain {
// The same two passes a pixel at a time (frame_passes_plain.cpp).
void overlayOpaque(const uint8_t* picture, uint8_t* frame);
void fillEmpty(uint8_t* frame, const uint8_t* background);
}  // namespace plain
