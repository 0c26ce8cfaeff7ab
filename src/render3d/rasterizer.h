// Integer scan converters drawing into 320x240 images of palette indices: an
// anti-aliased line, two gouraud fills and an affine texture-mapped fill.
#pragma once

#include <cstdint>

// A projected vertex in screen pixels.
struct ScreenPoint {
    int x;
    int y;
};

// Vertices come from the camera's clip-and-project, so 0 <= x <= 320 and 0 <= y <= 240.
// A polygon covers rows top .. bottom - 1 and, on each row, columns xmin .. xmax - 1: a
// top-left fill rule for integer vertices. Its top row and left edge are its own, its
// lowest row and rightmost column are left to the neighbour, so faces sharing an edge
// draw each pixel once, with no gap and no overlap. Either winding is accepted; fewer
// than 3 vertices draw nothing. The fills share one edge table each and are not
// reentrant.

// Pixels are the interpolated colour bytes, used directly as palette indices.
void fillGouraud(const ScreenPoint* points, const uint8_t* colours, int count, uint8_t* dst);

// Pixels are table[interpolated shade]; table maps 256 intensities to palette indices.
void fillGouraudMapped(const ScreenPoint* points, const uint8_t* shades, int count,
                       const uint8_t* table, uint8_t* dst);

// Affine texture mapping; u and v are in texels and wrap modulo 256. The texture is
// 256x256 with texel (u, v) at v * 256 + u.
void fillTextured(const ScreenPoint* points, const int* u, const int* v, int count,
                  const uint8_t* texture, uint8_t* dst);

// An anti-aliased line through a shade table (65,536 bytes, entry level * 256 + colour),
// in the manner of Xiaolin Wu's lines: each step lights the two pixels straddling the
// ideal line, the near one with level 255 - f and the far one with level f, f being the
// 8.8 fraction of the way between them. The end with the larger x (x-major lines) or
// larger y (y-major lines) is not drawn. End points lie in 0..319, 0..239; partner pixels
// that would fall outside the image are skipped.
void drawLineAA(int x0, int y0, int x1, int y1, const uint8_t* shadeTable, uint8_t* dst);

namespace fast {
// Scan conversion over tables of edge crossings, spans written a group at a time
// (rasterizer.cpp).
void fillGouraud(const ScreenPoint* points, const uint8_t* colours, int count, uint8_t* dst);
void fillGouraudMapped(const ScreenPoint* points, const uint8_t* shades, int count,
                       const uint8_t* table, uint8_t* dst);
void fillTextured(const ScreenPoint* points, const int* u, const int* v, int count,
                  const uint8_t* texture, uint8_t* dst);
}  // namespace fast

namespace plain {
// The three fills in their plain form, one edge table for every polygon and one pixel at a
// time (rasterizer_plain.cpp): the pixels the fills above draw.
void fillGouraud(const ScreenPoint* points, const uint8_t* colours, int count, uint8_t* dst);
void fillGouraudMapped(const ScreenPoint* points, const uint8_t* shades, int count,
                       const uint8_t* table, uint8_t* dst);
void fillTextured(const ScreenPoint* points, const int* u, const int* v, int count,
                  const uint8_t* texture, uint8_t* dst);
}  // namespace plain
