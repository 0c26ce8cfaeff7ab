// The polygon fills, plain: one edge table for every polygon. Each edge walks its rows in
// 16.16 fixed point and leaves, on every row, the leftmost and the rightmost x any edge
// reached with the attributes there; then each row's span is filled pixel by pixel in
// 8.8. Start here; rasterizer.cpp draws the same pixels faster.
#include "render3d/rasterizer.h"

#include <algorithm>
#include <utility>

#include "core/fixed_point.h"
#include "platform/frame_size.h"

namespace plain {

namespace {

constexpr int kWidth = kFrameWidth;
constexpr int kHeight = kFrameHeight;

// What the edges left on one row: the least and the greatest x reached, and the
// attributes (a shade, or texel u and v) at those two points. File-level work table.
struct EdgeRow {
    int xmin, xmax;
    int attributesAtMin[2];
    int attributesAtMax[2];
};
EdgeRow edgeTable[kHeight];

// How an edge steps its attributes down the rows. The shaded fills divide each change by
// the row count; the textured fill takes one truncated reciprocal and multiplies, so that
// its long edges fall slightly short of their far values.
enum class EdgeSteps { Divided, ByReciprocal };

// A vertex of the polygon with its attributes (the second one unused by the shaded fills).
struct EdgeEnd {
    ScreenPoint point;
    int attributes[2];
};

// One edge, from its upper end to its lower one: on each row r = top .. bottom - 1 inside
// the image, the crossing x = floor(x) enters the row when it is the first to reach a
// new least or a new greatest x. Horizontal edges add nothing.
void walkEdge(EdgeEnd a, EdgeEnd b, EdgeSteps steps) {
    if (a.point.y == b.point.y) return;
    if (a.point.y > b.point.y) std::swap(a, b);
    const int rows = b.point.y - a.point.y;
    auto stepOf = [&](int change) {
        return steps == EdgeSteps::Divided ? toFixed16(change) / rows
                                           : change * (kFixed16One / rows);
    };
    const Fixed16 dx = stepOf(b.point.x - a.point.x);
    const Fixed16 dAttribute[2] = {stepOf(b.attributes[0] - a.attributes[0]),
                                   stepOf(b.attributes[1] - a.attributes[1])};
    Fixed16 x = toFixed16(a.point.x);
    Fixed16 attribute[2] = {toFixed16(a.attributes[0]), toFixed16(a.attributes[1])};
    for (int r = a.point.y; r < b.point.y; ++r) {
        if (r >= 0 && r < kHeight) {
            EdgeRow& row = edgeTable[r];
            const int crossing = floorFixed16(x);
            if (crossing < row.xmin) {
                row.xmin = crossing;
                row.attributesAtMin[0] = floorFixed16(attribute[0]);
                row.attributesAtMin[1] = floorFixed16(attribute[1]);
            }
            if (crossing > row.xmax) {
                row.xmax = crossing;
                row.attributesAtMax[0] = floorFixed16(attribute[0]);
                row.attributesAtMax[1] = floorFixed16(attribute[1]);
            }
        }
        x += dx;
        attribute[0] += dAttribute[0];
        attribute[1] += dAttribute[1];
    }
}

// The scan conversion of all three fills: the polygon's rows top .. bottom - 1 (kept
// inside the image) reset, every edge walked, vertex i - 1 to vertex i and the last back
// to the first, then drawSpan(row, table row) for every row some edges opened.
// end(i) gives vertex i with its attributes.
template <typename End, typename DrawSpan>
void scanConvert(const ScreenPoint* points, int count, EdgeSteps steps, End end,
                 DrawSpan drawSpan) {
    if (count < 3) return;
    int top = points[0].y, bottom = points[0].y;
    for (int i = 1; i < count; ++i) {
        top = std::min(top, points[i].y);
        bottom = std::max(bottom, points[i].y);
    }
    top = std::clamp(top, 0, kHeight);
    bottom = std::clamp(bottom, 0, kHeight);
    if (top == bottom) return;
    for (int r = top; r < bottom; ++r) {
        edgeTable[r].xmin = kWidth;
        edgeTable[r].xmax = 0;
    }
    for (int i = 1; i <= count; ++i) walkEdge(end(i - 1), end(i % count), steps);
    for (int r = top; r < bottom; ++r) {
        if (edgeTable[r].xmin < edgeTable[r].xmax) drawSpan(r, edgeTable[r]);
    }
}

// Pixel x of a row, when it lies inside the image (it always does within the callers'
// contract).
void putPixel(uint8_t* dst, int r, int x, uint8_t value) {
    if (x >= 0 && x < kWidth) dst[r * kWidth + x] = value;
}

// The shaded fills' vertices: the shade as the one attribute.
auto shadedEnds(const ScreenPoint* points, const uint8_t* shades) {
    return [points, shades](int i) { return EdgeEnd{points[i], {shades[i], 0}}; };
}

}  // namespace

void fillGouraud(const ScreenPoint* points, const uint8_t* colours, int count, uint8_t* dst) {
    scanConvert(points, count, EdgeSteps::Divided, shadedEnds(points, colours),
                [&](int r, const EdgeRow& row) {
                    const int length = row.xmax - row.xmin;
                    const Fixed8 step =
                        toFixed8(row.attributesAtMax[0] - row.attributesAtMin[0]) / length;
                    // An 8.8 colour in a 16-bit accumulator that wraps; the pixel is its
                    // whole part, the high byte.
                    uint16_t colour = static_cast<uint16_t>(toFixed8(row.attributesAtMin[0]));
                    for (int x = row.xmin; x < row.xmax; ++x) {
                        putPixel(dst, r, x, static_cast<uint8_t>(floorFixed8(colour)));
                        colour = static_cast<uint16_t>(colour + step);
                    }
                });
}

void fillGouraudMapped(const ScreenPoint* points, const uint8_t* shades, int count,
                       const uint8_t* table, uint8_t* dst) {
    scanConvert(points, count, EdgeSteps::Divided, shadedEnds(points, shades),
                [&](int r, const EdgeRow& row) {
                    const int length = row.xmax - row.xmin;
                    const Fixed8 step =
                        toFixed8(row.attributesAtMax[0] - row.attributesAtMin[0]) / length;
                    Fixed8 shade = toFixed8(row.attributesAtMin[0]);
                    for (int x = row.xmin; x < row.xmax; ++x) {
                        // Between two bytes the shade stays within 0..255; the mask only
                        // keeps the table index safe.
                        putPixel(dst, r, x, table[floorFixed8(shade) & 255]);
                        shade += step;
                    }
                });
}

void fillTextured(const ScreenPoint* points, const int* u, const int* v, int count,
                  const uint8_t* texture, uint8_t* dst) {
    scanConvert(points, count, EdgeSteps::ByReciprocal,
                [&](int i) { return EdgeEnd{points[i], {u[i], v[i]}}; },
                [&](int r, const EdgeRow& row) {
                    const int length = row.xmax - row.xmin;
                    const Fixed8 du =
                        toFixed8(row.attributesAtMax[0] - row.attributesAtMin[0]) / length;
                    const Fixed8 dv =
                        toFixed8(row.attributesAtMax[1] - row.attributesAtMin[1]) / length;
                    Fixed8 tu = toFixed8(row.attributesAtMin[0]);
                    Fixed8 tv = toFixed8(row.attributesAtMin[1]);
                    for (int x = row.xmin; x < row.xmax; ++x) {
                        // Only the low 8 bits of the whole parts count: the texture wraps.
                        const int texel = (floorFixed8(tv) & 255) * 256 + (floorFixed8(tu) & 255);
                        putPixel(dst, r, x, texture[texel]);
                        tu += du;
                        tv += dv;
                    }
                });
}

}  // namespace plain
