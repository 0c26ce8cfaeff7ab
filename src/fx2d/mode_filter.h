// The 8x8 mode filter: flat patches of the most frequent colour among indices 1..15.
#pragma once

#include <cstdint>

// Filters a 320x240 frame into another. Output pixel (x, y), for x = 4..315 and
// y = 4..235, looks at the four source bytes of row y at columns x-4..x-1: when all are 0
// it is left as it is; otherwise it becomes the most frequent value 1..15 in the block of
// rows y..y+7 and columns x-4..x+3 (ties go to the higher value; values 0 and above 15 are
// not counted, and a block holding none of 1..15 gives 15). Block rows below row 239 are
// outside the frame and count nothing. Pixels outside that range are not written.
void modeFilter8x8(const uint8_t* source, uint8_t* destination);

namespace fast {
void modeFilter8x8(const uint8_t* source, uint8_t* destination);  // mode_filter.cpp
}  // namespace fast

namespace plain {
// The same filter, each block counted afresh (mode_filter_plain.cpp).
void modeFilter8x8(const uint8_t* source, uint8_t* destination);
}  // namespace plain
