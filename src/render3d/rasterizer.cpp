// Polygon scan conversion with per-row edge tables, gouraud and affine texture spans,
// and the anti-aliased line. Edges step in 16.16 fixed point, spans and lines in 8.8.
#include "render3d/rasterizer.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// What the edges left on one row: the leftmost and rightmost x reached, and the
// attribute values at those two points.
struct ShadeEdgeRow {
    int xmin, xmax, cmin, cmax;
};
struct TextureEdgeRow {
    int xmin, xmax, umin, umax, vmin, vmax;
};

ShadeEdgeRow shadeEdges[kHeight];
TextureEdgeRow textureEdges[kHeight];

// Rows an edge from ys to ye (ys < ye) walks, limited to the image: rows first .. last-1.
// Within the callers' contract nothing is cut; the limit keeps the tables safe anyway.
// Coordinates and texels must stay below 32768 in size for the 16.16 steps to fit.
struct RowRange {
    int first;
    int last;
};

RowRange rowsInImage(int ys, int ye) { return {std::max(ys, 0), std::min(ye, kHeight)}; }

// The edge walk of the gouraud fills: x and the shade step in 16.16 from the upper end.
void scanEdgeShade(int x0, int y0, int c0, int x1, int y1, int c1) {
    if (y0 == y1) return;  // horizontal edges add nothing
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        std::swap(c0, c1);
    }
    const int n = y1 - y0;
    const int dx = ((x1 - x0) * 65536) / n;
    const int dc = ((c1 - c0) * 65536) / n;
    const RowRange rows = rowsInImage(y0, y1);
    if (rows.first >= rows.last) return;
    int x = x0 * 65536 + dx * (rows.first - y0);
    int c = c0 * 65536 + dc * (rows.first - y0);
    for (int r = rows.first; r < rows.last; ++r) {
        ShadeEdgeRow& row = shadeEdges[r];
        const int xi = x >> 16;
        if (xi < row.xmin) {
            row.xmin = xi;
            row.cmin = c >> 16;
        }
        if (xi > row.xmax) {
            row.xmax = xi;
            row.cmax = c >> 16;
        }
        x += dx;
        c += dc;
    }
}

// The textured edge walk. It takes one reciprocal per edge and multiplies; the
// truncated reciprocal makes long edges fall slightly short of their far values.
void scanEdgeTexture(int x0, int y0, int u0, int v0, int x1, int y1, int u1, int v1) {
    if (y0 == y1) return;
    if (y0 > y1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
        std::swap(u0, u1);
        std::swap(v0, v1);
    }
    const int reciprocal = 65536 / (y1 - y0);
    const int dx = (x1 - x0) * reciprocal;
    const int du = (u1 - u0) * reciprocal;
    const int dv = (v1 - v0) * reciprocal;
    const RowRange rows = rowsInImage(y0, y1);
    if (rows.first >= rows.last) return;
    const int skipped = rows.first - y0;
    int x = x0 * 65536 + dx * skipped;
    int u = u0 * 65536 + du * skipped;
    int v = v0 * 65536 + dv * skipped;
    for (int r = rows.first; r < rows.last; ++r) {
        TextureEdgeRow& row = textureEdges[r];
        const int xi = x >> 16;
        if (xi < row.xmin) {
            row.xmin = xi;
            row.umin = u >> 16;
            row.vmin = v >> 16;
        }
        if (xi > row.xmax) {
            row.xmax = xi;
            row.umax = u >> 16;
            row.vmax = v >> 16;
        }
        x += dx;
        u += du;
        v += dv;
    }
}

// The scan conversion the three fills share: find the rows, reset them in the edge
// table, walk every edge (i-1 -> i, closing with the last -> first), then draw the span
// of every row that some edge pair opened. walkEdge(from, to) and drawSpan(row, entry,
// first) are the fill's own parts; first is the column drawing starts at, which is
// xmin unless a span starts left of the image.
template <typename EdgeRow, typename WalkEdge, typename DrawSpan>
void scanPolygon(const ScreenPoint* points, int count, EdgeRow* table, WalkEdge walkEdge,
                 DrawSpan drawSpan) {
    if (count < 3) return;
    int top = points[0].y;
    int bottom = points[0].y;
    for (int i = 1; i < count; ++i) {
        top = std::min(top, points[i].y);
        bottom = std::max(bottom, points[i].y);
    }
    top = std::max(std::min(top, kHeight), 0);
    bottom = std::min(std::max(bottom, 0), kHeight);
    if (top >= bottom) return;

    for (int r = top; r < bottom; ++r) {
        table[r].xmin = kWidth;
        table[r].xmax = 0;
    }
    for (int i = 1; i <= count; ++i) walkEdge(i - 1, i % count);
    for (int r = top; r < bottom; ++r) {
        const EdgeRow& row = table[r];
        if (row.xmin < row.xmax) drawSpan(r, row);
    }
}

// The columns of a span, kept inside the image: pixels first .. end-1, with skip the
// number of interpolation steps taken off the left (0 within the callers' contract).
struct SpanColumns {
    int first;
    int end;
    int skip;
};

SpanColumns spanColumns(int xmin, int xmax) {
    const int first = std::max(xmin, 0);
    return {first, std::min(xmax, kWidth), first - xmin};
}

}  // namespace

void fillGouraud(const ScreenPoint* points, const uint8_t* colours, int count, uint8_t* dst) {
    scanPolygon(
        points, count, shadeEdges,
        [&](int i, int j) {
            scanEdgeShade(points[i].x, points[i].y, colours[i], points[j].x, points[j].y,
                          colours[j]);
        },
        [&](int r, const ShadeEdgeRow& row) {
            const int length = row.xmax - row.xmin;
            const int step = ((row.cmax - row.cmin) * 256) / length;
            const SpanColumns span = spanColumns(row.xmin, row.xmax);
            // 8.8 colour in a 16-bit accumulator that wraps; the pixel is its high byte.
            uint16_t colour = static_cast<uint16_t>(row.cmin * 256 + span.skip * step);
            uint8_t* pixel = dst + r * kWidth;
            for (int x = span.first; x < span.end; ++x) {
                pixel[x] = static_cast<uint8_t>(colour >> 8);
                colour = static_cast<uint16_t>(colour + step);
            }
        });
}

void fillGouraudMapped(const ScreenPoint* points, const uint8_t* shades, int count,
                       const uint8_t* table, uint8_t* dst) {
    scanPolygon(
        points, count, shadeEdges,
        [&](int i, int j) {
            scanEdgeShade(points[i].x, points[i].y, shades[i], points[j].x, points[j].y,
                          shades[j]);
        },
        [&](int r, const ShadeEdgeRow& row) {
            const int length = row.xmax - row.xmin;
            const int step = ((row.cmax - row.cmin) * 256) / length;
            const SpanColumns span = spanColumns(row.xmin, row.xmax);
            int shade = row.cmin * 256 + span.skip * step;  // 8.8
            uint8_t* pixel = dst + r * kWidth;
            for (int x = span.first; x < span.end; ++x) {
                // Interpolating between bytes stays within 0..255; the mask only keeps
                // the table index safe.
                pixel[x] = table[(shade >> 8) & 255];
                shade += step;
            }
        });
}

void fillTextured(const ScreenPoint* points, const int* u, const int* v, int count,
                  const uint8_t* texture, uint8_t* dst) {
    scanPolygon(
        points, count, textureEdges,
        [&](int i, int j) {
            scanEdgeTexture(points[i].x, points[i].y, u[i], v[i], points[j].x, points[j].y,
                            u[j], v[j]);
        },
        [&](int r, const TextureEdgeRow& row) {
            const int length = row.xmax - row.xmin;
            const int du = ((row.umax - row.umin) * 256) / length;
            const int dv = ((row.vmax - row.vmin) * 256) / length;
            const SpanColumns span = spanColumns(row.xmin, row.xmax);
            int tu = row.umin * 256 + span.skip * du;  // 8.8 texel coordinates
            int tv = row.vmin * 256 + span.skip * dv;
            uint8_t* pixel = dst + r * kWidth;
            for (int x = span.first; x < span.end; ++x) {
                // Only the low 8 bits of the integer parts count: the texture wraps.
                pixel[x] = texture[((tv >> 8) & 255) * 256 + ((tu >> 8) & 255)];
                tu += du;
                tv += dv;
            }
        });
}

namespace {

// Lights one pixel through the shade table; pixels outside the image are skipped.
void shadePixel(uint8_t* dst, int x, int y, int level, const uint8_t* shadeTable) {
    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight) return;
    uint8_t& pixel = dst[y * kWidth + x];
    pixel = shadeTable[level * 256 + pixel];
}

}  // namespace

void drawLineAA(int x0, int y0, int x1, int y1, const uint8_t* shadeTable, uint8_t* dst) {
    if (x0 == x1 && y0 == y1) return;
    y0 = std::min(y0, kHeight - 1);
    y1 = std::min(y1, kHeight - 1);
    // Ends that differed only below the image collapse to one point: nothing to draw.
    if (x0 == x1 && y0 == y1) return;

    if (std::abs(x1 - x0) > std::abs(y1 - y0)) {
        // x-major: one column per step, y in 8.8; the partner pixel lies below.
        if (x0 > x1) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        const int slope = ((y1 - y0) * 256) / (x1 - x0);
        int y = y0 * 256;
        for (int x = x0; x < x1; ++x) {
            const int row = y >> 8;
            const int f = y & 255;
            shadePixel(dst, x, row, 255 - f, shadeTable);
            shadePixel(dst, x, row + 1, f, shadeTable);
            y += slope;
        }
    } else {
        // y-major (also exact diagonals): one row per step, x in 8.8; the partner pixel
        // lies to the right.
        if (y0 > y1) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        const int slope = ((x1 - x0) * 256) / (y1 - y0);
        int x = x0 * 256;
        for (int row = y0; row < y1; ++row) {
            const int column = x >> 8;
            const int f = x & 255;
            shadePixel(dst, column, row, 255 - f, shadeTable);
            shadePixel(dst, column + 1, row, f, shadeTable);
            x += slope;
        }
    }
}
