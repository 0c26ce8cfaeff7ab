// Polygon scan conversion, made quick: triangles without the edge table, gouraud spans
// eight pixels at a time; and the anti-aliased line. Edges step in 16.16 fixed point,
// spans and lines in 8.8. The plain fills, one edge table for every polygon and one pixel
// at a time, are in rasterizer_plain.cpp; start there. These draw the very same pixels.
#include "render3d/rasterizer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/fixed_point.h"
#include "platform/frame_size.h"

namespace {

constexpr int kWidth = kFrameWidth;
constexpr int kHeight = kFrameHeight;

// Where an edge crosses a row: the whole x reached and the attribute values there.
struct ShadeCrossing {
    int x, c;
};
struct TexelCrossing {
    int x, u, v;
};

// What the edges left on one row: the leftmost and the rightmost crossing.
template <typename Crossing>
struct EdgeRow {
    Crossing min, max;
};

EdgeRow<ShadeCrossing> shadeEdges[kHeight];
EdgeRow<TexelCrossing> textureEdges[kHeight];

// Rows an edge from ys to ye (ys < ye) walks, limited to the image: rows first .. last-1.
// Within the callers' contract nothing is cut; the limit keeps the tables safe anyway.
// Coordinates and texels must stay below 32768 in size for the 16.16 steps to fit.
struct RowRange {
    int first;
    int last;
};

RowRange rowsInImage(int ys, int ye) { return {std::max(ys, 0), std::min(ye, kHeight)}; }

// The edge walk of the gouraud fills: x and the shade step in 16.16 from the upper end
// (ys), starting at row `first`.
class ShadeEdge {
public:
    ShadeEdge(int xs, int ys, int cs, int xe, int ye, int ce, int first) {
        const int n = ye - ys;
        dx_ = toFixed16(xe - xs) / n;
        dc_ = toFixed16(ce - cs) / n;
        x_ = toFixed16(xs) + dx_ * (first - ys);
        c_ = toFixed16(cs) + dc_ * (first - ys);
    }
    ShadeCrossing crossing() const { return {floorFixed16(x_), floorFixed16(c_)}; }
    void nextRow() {
        x_ += dx_;
        c_ += dc_;
    }
    // Becomes other when take is set, chosen without a branch.
    void takeIf(bool take, const ShadeEdge& other) {
        x_ = take ? other.x_ : x_;
        c_ = take ? other.c_ : c_;
        dx_ = take ? other.dx_ : dx_;
        dc_ = take ? other.dc_ : dc_;
    }

private:
    Fixed16 x_, c_, dx_, dc_;
};

// The textured edge walk. It takes one reciprocal per edge and multiplies; the
// truncated reciprocal makes long edges fall slightly short of their far values.
class TexelEdge {
public:
    TexelEdge(int xs, int ys, int us, int vs, int xe, int ye, int ue, int ve, int first) {
        const Fixed16 reciprocal = kFixed16One / (ye - ys);
        dx_ = (xe - xs) * reciprocal;
        du_ = (ue - us) * reciprocal;
        dv_ = (ve - vs) * reciprocal;
        const int skipped = first - ys;
        x_ = toFixed16(xs) + dx_ * skipped;
        u_ = toFixed16(us) + du_ * skipped;
        v_ = toFixed16(vs) + dv_ * skipped;
    }
    TexelCrossing crossing() const {
        return {floorFixed16(x_), floorFixed16(u_), floorFixed16(v_)};
    }
    void nextRow() {
        x_ += dx_;
        u_ += du_;
        v_ += dv_;
    }
    // Becomes other when take is set, chosen without a branch.
    void takeIf(bool take, const TexelEdge& other) {
        x_ = take ? other.x_ : x_;
        u_ = take ? other.u_ : u_;
        v_ = take ? other.v_ : v_;
        dx_ = take ? other.dx_ : dx_;
        du_ = take ? other.du_ : du_;
        dv_ = take ? other.dv_ : dv_;
    }

private:
    Fixed16 x_, u_, v_, dx_, du_, dv_;
};

// An edge's crossings entered in the table: a row keeps the first crossing that reaches
// its smallest x and the first that reaches its largest.
template <typename Crossing, typename Edge>
void walkEdgeIntoTable(Edge edge, RowRange rows, EdgeRow<Crossing>* table) {
    for (int r = rows.first; r < rows.last; ++r) {
        EdgeRow<Crossing>& row = table[r];
        const Crossing crossing = edge.crossing();
        if (crossing.x < row.min.x) row.min = crossing;
        if (crossing.x > row.max.x) row.max = crossing;
        edge.nextRow();
    }
}

// The top and bottom rows of a polygon, limited to the image: rows top .. bottom-1.
RowRange polygonRows(const ScreenPoint* points, int count) {
    int top = points[0].y;
    int bottom = points[0].y;
    for (int i = 1; i < count; ++i) {
        top = std::min(top, points[i].y);
        bottom = std::max(bottom, points[i].y);
    }
    return {std::max(std::min(top, kHeight), 0), std::min(std::max(bottom, 0), kHeight)};
}

// The scan conversion the three fills share: find the rows, reset them in the edge
// table, walk every edge (i-1 -> i, closing with the last -> first), then draw the span
// of every row that some edge pair opened. makeEdge(from, to, first) builds the fill's
// edge walk from the upper end of the edge to its lower one, at row `first`;
// drawSpan(row, left, right) draws the pixels from the left crossing up to, not
// including, the right one.
template <typename Crossing, typename MakeEdge, typename DrawSpan>
void scanPolygon(const ScreenPoint* points, int count, EdgeRow<Crossing>* table,
                 MakeEdge makeEdge, DrawSpan drawSpan) {
    const RowRange rows = polygonRows(points, count);
    if (rows.first >= rows.last) return;
    for (int r = rows.first; r < rows.last; ++r) {
        table[r].min.x = kWidth;
        table[r].max.x = 0;
    }
    for (int i = 1; i <= count; ++i) {
        int upper = i - 1, lower = i % count;
        if (points[upper].y == points[lower].y) continue;  // horizontal edges add nothing
        if (points[upper].y > points[lower].y) std::swap(upper, lower);
        const RowRange edgeRows = rowsInImage(points[upper].y, points[lower].y);
        if (edgeRows.first >= edgeRows.last) continue;
        walkEdgeIntoTable(makeEdge(upper, lower, edgeRows.first), edgeRows, table);
    }
    for (int r = rows.first; r < rows.last; ++r) {
        const EdgeRow<Crossing>& row = table[r];
        if (row.min.x < row.max.x) drawSpan(r, row.min, row.max);
    }
}

// Triangles, nearly every polygon drawn (faces that need no clipping stay triangles),
// skip the table. Each row of a triangle is crossed by exactly two of its edges: the
// long one from the top vertex to the bottom one, and the short one beside that row. The
// table would keep the crossing with the smaller x as the row's left end and the other
// as its right end, whichever edge came first, and draw nothing where the two x are
// equal; so the span is drawn straight from the two crossings, the same pixels as the
// plain scan conversion (rasterizer_plain.cpp) draws.
template <typename MakeEdge, typename DrawSpan>
void scanTriangle(const ScreenPoint* points, MakeEdge makeEdge, DrawSpan drawSpan) {
    // The vertices in the order of their y, sorted without a branch (tiny triangles make
    // any branch on their shape a guess): each y with its vertex number beside it in one
    // key, the keys ordered by min and max, the numbers read back.
    const int64_t k0 = int64_t{points[0].y} * 4, k1 = int64_t{points[1].y} * 4 + 1,
                  k2 = int64_t{points[2].y} * 4 + 2;
    const int64_t topKey = std::min(std::min(k0, k1), k2);
    const int64_t bottomKey = std::max(std::max(k0, k1), k2);
    const int top = static_cast<int>(topKey & 3), bottom = static_cast<int>(bottomKey & 3);
    const int middle = 3 - top - bottom;
    const RowRange rows = rowsInImage(points[top].y, points[bottom].y);
    if (rows.first >= rows.last) return;

    // Rows above the middle vertex take the upper short edge, the others the lower one.
    // One short edge walks every row: the upper one, replaced at the middle row by the
    // lower one as it stands at its own first row. The swap is chosen without a branch,
    // where a loop per edge would guess wrong at the end of each.
    const int middleY = points[middle].y;
    const RowRange upperRows = rowsInImage(points[top].y, middleY);
    const RowRange lowerRows = rowsInImage(middleY, points[bottom].y);
    auto longEdge = makeEdge(top, bottom, rows.first);
    // An edge without rows (horizontal, or off the image) is never read: any stands in.
    const auto lowerEdge =
        lowerRows.first < lowerRows.last ? makeEdge(middle, bottom, lowerRows.first) : longEdge;
    auto shortEdge = upperRows.first < upperRows.last ? makeEdge(top, middle, upperRows.first)
                                                      : lowerEdge;
    for (int r = rows.first; r < rows.last; ++r) {
        shortEdge.takeIf(r == middleY, lowerEdge);
        const auto a = longEdge.crossing();
        const auto b = shortEdge.crossing();
        if (a.x < b.x) {
            drawSpan(r, a, b);
        } else if (b.x < a.x) {
            drawSpan(r, b, a);
        }
        longEdge.nextRow();
        shortEdge.nextRow();
    }
}

// The fills' entry: triangles straight, other polygons through the edge table.
template <typename Crossing, typename MakeEdge, typename DrawSpan>
void scanConvert(const ScreenPoint* points, int count, EdgeRow<Crossing>* table,
                 MakeEdge makeEdge, DrawSpan drawSpan) {
    if (count < 3) return;
    if (count == 3) {
        scanTriangle(points, makeEdge, drawSpan);
    } else {
        scanPolygon(points, count, table, makeEdge, drawSpan);
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

// Gouraud spans are written this many pixels at a time: all at once for nearly every span
// of the small triangles most 3D scenes are made of.
constexpr int kSpanGroup = 8;

// A group of `count` pixels of a gouraud span (at most kSpanGroup; none when count <= 0),
// worked out for all eight at once and merged into the row through a mask: the bytes the
// pixel loop of plain::fillGouraud writes, without a loop whose length changes from row
// to row (its exit is a branch the processor mostly guesses wrong). All eight bytes must
// lie within the row. The vector types are GCC's and Clang's; they map onto SSE2 and
// WebAssembly SIMD alike.
void writeShadeGroup(uint8_t* pixels, int count, uint16_t colour, Fixed8 step) {
    typedef uint16_t Colours __attribute__((vector_size(16)));
    typedef int16_t Flags __attribute__((vector_size(16)));
    typedef uint8_t Bytes __attribute__((vector_size(8)));
    const Colours lane = {0, 1, 2, 3, 4, 5, 6, 7};
    // Pixel k's 8.8 accumulator is k steps on, wrapping at 16 bits as the loop's does;
    // the pixel is its whole part, the high byte.
    const Colours colours = colour + static_cast<uint16_t>(step) * lane;
    const Flags inSpan = __builtin_convertvector(lane, Flags) < static_cast<int16_t>(count);
    const Bytes mask = __builtin_convertvector(inSpan, Bytes);
    const Bytes shades = __builtin_convertvector(colours >> kFixed8Bits, Bytes);
    Bytes row;
    std::memcpy(&row, pixels, sizeof row);
    row = (shades & mask) | (row & ~mask);
    std::memcpy(pixels, &row, sizeof row);
}

// The edge walks of the two gouraud fills, from their points and per-point shades.
auto shadeEdgeMaker(const ScreenPoint* points, const uint8_t* shades) {
    return [points, shades](int upper, int lower, int first) {
        return ShadeEdge(points[upper].x, points[upper].y, shades[upper], points[lower].x,
                         points[lower].y, shades[lower], first);
    };
}

}  // namespace

void fast::fillGouraud(const ScreenPoint* points, const uint8_t* colours, int count,
                       uint8_t* dst) {
    scanConvert(
        points, count, shadeEdges,
        shadeEdgeMaker(points, colours),
        [&](int r, const ShadeCrossing& left, const ShadeCrossing& right) {
            const int length = right.x - left.x;
            const Fixed8 step = toFixed8(right.c - left.c) / length;
            const SpanColumns span = spanColumns(left.x, right.x);
            // 8.8 colour in a 16-bit accumulator that wraps; the pixel is its high byte.
            uint16_t colour = static_cast<uint16_t>(toFixed8(left.c) + span.skip * step);
            uint8_t* pixel = dst + r * kWidth;
            int x = span.first;
            // Whole groups while more than a group is left, then the rest under the mask,
            // where its group's bytes still lie within the row.
            for (; span.end - x > kSpanGroup; x += kSpanGroup) {
                writeShadeGroup(pixel + x, kSpanGroup, colour, step);
                colour = static_cast<uint16_t>(colour + kSpanGroup * step);
            }
            if (x + kSpanGroup <= kWidth) {
                writeShadeGroup(pixel + x, span.end - x, colour, step);
                return;
            }
            for (; x < span.end; ++x) {
                pixel[x] = static_cast<uint8_t>(floorFixed8(colour));
                colour = static_cast<uint16_t>(colour + step);
            }
        });
}

void fast::fillGouraudMapped(const ScreenPoint* points, const uint8_t* shades, int count,
                             const uint8_t* table, uint8_t* dst) {
    scanConvert(
        points, count, shadeEdges,
        shadeEdgeMaker(points, shades),
        [&](int r, const ShadeCrossing& left, const ShadeCrossing& right) {
            const int length = right.x - left.x;
            const Fixed8 step = toFixed8(right.c - left.c) / length;
            const SpanColumns span = spanColumns(left.x, right.x);
            Fixed8 shade = toFixed8(left.c) + span.skip * step;
            uint8_t* pixel = dst + r * kWidth;
            for (int x = span.first; x < span.end; ++x) {
                // Interpolating between bytes stays within 0..255; the mask only keeps
                // the table index safe.
                pixel[x] = table[floorFixed8(shade) & 255];
                shade += step;
            }
        });
}

void fast::fillTextured(const ScreenPoint* points, const int* u, const int* v, int count,
                        const uint8_t* texture, uint8_t* dst) {
    scanConvert(
        points, count, textureEdges,
        [&](int upper, int lower, int first) {
            return TexelEdge(points[upper].x, points[upper].y, u[upper], v[upper],
                             points[lower].x, points[lower].y, u[lower], v[lower], first);
        },
        [&](int r, const TexelCrossing& left, const TexelCrossing& right) {
            const int length = right.x - left.x;
            const Fixed8 du = toFixed8(right.u - left.u) / length;
            const Fixed8 dv = toFixed8(right.v - left.v) / length;
            const SpanColumns span = spanColumns(left.x, right.x);
            Fixed8 tu = toFixed8(left.u) + span.skip * du;
            Fixed8 tv = toFixed8(left.v) + span.skip * dv;
            uint8_t* pixel = dst + r * kWidth;
            for (int x = span.first; x < span.end; ++x) {
                // Only the low 8 bits of the whole parts count: the texture wraps.
                pixel[x] = texture[(floorFixed8(tv) & 255) * 256 + (floorFixed8(tu) & 255)];
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
        const Fixed8 slope = toFixed8(y1 - y0) / (x1 - x0);
        Fixed8 y = toFixed8(y0);
        for (int x = x0; x < x1; ++x) {
            const int row = floorFixed8(y);
            const int f = fractionOfFixed8(y);
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
        const Fixed8 slope = toFixed8(x1 - x0) / (y1 - y0);
        Fixed8 x = toFixed8(x0);
        for (int row = y0; row < y1; ++row) {
            const int column = floorFixed8(x);
            const int f = fractionOfFixed8(x);
            shadePixel(dst, column, row, 255 - f, shadeTable);
            shadePixel(dst, column + 1, row, f, shadeTable);
            x += slope;
        }
    }
}
