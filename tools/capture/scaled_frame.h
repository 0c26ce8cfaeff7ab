// The frame on screen as the file's picture: every pixel becomes a scale x scale block, so
// that no encoder ever blends two pixels' colours. The frame is written straight into the
// encoder's picture, in the layout it takes, a row at a time: each row of blocks is filled
// once and copied for the block's other rows.
#pragma once

#include <cstdint>

#include "core/frame_format.h"

// `count` indices, each repeated `scale` times: the GIF's rows.
void expandIndexRow(const uint8_t* indices, int count, int scale, uint8_t* out);

// 0x00RRGGBB words (bytes B, G, R, 0 in memory), rows `stride` bytes apart: the lossless
// encoders' picture.
void expandToBgr0(const uint8_t* indices, const Palette& palette, int scale, uint8_t* out,
                  int stride);

// BT.709 Y'CbCr in the limited range, chroma at half the size both ways (4:2:0), into three
// planes with their strides. Each chroma sample is the mean of the 2x2 pixels it covers:
// with an even scale those are always one block, and the sample is its colour exactly.
void expandToYuv420(const uint8_t* indices, const Palette& palette, int scale,
                    uint8_t* const planes[3], const int strides[3]);
