// A free-form warp of a 256x256 texture over the whole frame, steered by a coarse grid of
// texture coordinates, one point every 16 pixels.
#pragma once

#include <cstdint>

constexpr int kGridColumns = 21;  // points at x = 0, 16, ..., 320
constexpr int kGridRows = 16;     // points at y = 0, 16, ..., 240
constexpr int kGridPoints = kGridColumns * kGridRows;

// Texture coordinates wanted at the grid points, row-major: point (row j, column i) is at
// index j * kGridColumns + i and belongs to screen pixel (16 i, 16 j). The last row and
// column lie just outside the frame and serve only as block corners.
struct WarpGrid {
    int32_t u[kGridPoints];  // texture column
    int32_t v[kGridPoints];  // texture row
};

// Fills all 320x240 destination pixels from the texture (256 rows of 256, wrapping in
// both directions), interpolating the grid's coordinates bilinearly in each 16x16 block.
void gridWarp(const int32_t* u, const int32_t* v, const uint8_t* texture,
              uint8_t* destination);
