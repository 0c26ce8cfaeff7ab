// Nearest-neighbour upscaling through the palette.
#include "scaled_frame.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/numeric.h"

namespace {

// A frame row through a table of 256 values, each pixel Scale values wide. The width is
// a constant so that a pixel is a few plain stores: a fill of a width known only at run
// time is a call to memset for every pixel, a tenth of a capture's time.
template <int Scale, typename Value>
void expandRowBy(const uint8_t* indices, int count, const Value* table, Value* out) {
    for (int x = 0; x < count; ++x, out += Scale) std::fill_n(out, Scale, table[indices[x]]);
}

template <typename Value>
void expandRow(const uint8_t* indices, int count, const Value* table, int scale, Value* out) {
    switch (scale) {
        case 1: return expandRowBy<1>(indices, count, table, out);
        case 2: return expandRowBy<2>(indices, count, table, out);
        case 3: return expandRowBy<3>(indices, count, table, out);
        case 4: return expandRowBy<4>(indices, count, table, out);
        case 6: return expandRowBy<6>(indices, count, table, out);
        case 8: return expandRowBy<8>(indices, count, table, out);
        default:
            for (int x = 0; x < count; ++x) out = std::fill_n(out, scale, table[indices[x]]);
    }
}

// Every frame row through the table into `rows` rows of the plane, the first filled and
// the others copied from it.
template <typename Value>
void expandPlane(const uint8_t* indices, const Value* table, int scale, int rows, uint8_t* plane,
                 int stride) {
    const size_t bytes = size_t(kFrameWidth) * scale * sizeof(Value);
    for (int y = 0; y < kFrameHeight; ++y) {
        uint8_t* first = plane;
        expandRow(indices + y * kFrameWidth, kFrameWidth, table, scale,
                  reinterpret_cast<Value*>(first));
        plane += stride;
        for (int copy = 1; copy < rows; ++copy, plane += stride) std::memcpy(plane, first, bytes);
    }
}

struct YuvTables {
    uint8_t y[256], cb[256], cr[256];
};

uint8_t roundedComponent(double value) {
    return static_cast<uint8_t>(std::clamp(truncToInt(value + 0.5), 0, 255));
}

// R'G'B' as the palette holds it, through BT.709's matrix: luma 16..235, chroma 16..240.
YuvTables yuvTables(const Palette& palette) {
    YuvTables t;
    for (int i = 0; i < 256; ++i) {
        const double r = palette.rgb[i * 3], g = palette.rgb[i * 3 + 1], b = palette.rgb[i * 3 + 2];
        const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
        t.y[i] = roundedComponent(16.0 + luma * 219.0 / 255.0);
        t.cb[i] = roundedComponent(128.0 + (b - luma) / 1.8556 * 224.0 / 255.0);
        t.cr[i] = roundedComponent(128.0 + (r - luma) / 1.5748 * 224.0 / 255.0);
    }
    return t;
}

// An odd scale: a chroma sample may cover two frame pixels across and two down.
void averageChroma(const uint8_t* indices, const uint8_t* table, int scale, uint8_t* plane,
                   int stride) {
    const int width = kFrameWidth * scale / 2;
    const int height = kFrameHeight * scale / 2;
    for (int cy = 0; cy < height; ++cy, plane += stride) {
        const uint8_t* above = indices + (2 * cy / scale) * kFrameWidth;
        const uint8_t* below = indices + ((2 * cy + 1) / scale) * kFrameWidth;
        for (int cx = 0; cx < width; ++cx) {
            const int left = 2 * cx / scale, right = (2 * cx + 1) / scale;
            const int sum = table[above[left]] + table[above[right]] + table[below[left]] +
                            table[below[right]];
            plane[cx] = static_cast<uint8_t>((sum + 2) / 4);
        }
    }
}

}  // namespace

void expandIndexRow(const uint8_t* indices, int count, int scale, uint8_t* out) {
    static const auto kIdentity = [] {
        std::array<uint8_t, 256> table{};
        for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
        return table;
    }();
    expandRow(indices, count, kIdentity.data(), scale, out);
}

void expandToBgr0(const uint8_t* indices, const Palette& palette, int scale, uint8_t* out,
                  int stride) {
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = &palette.rgb[i * 3];
        colours[i] = (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | c[2];
    }
    expandPlane(indices, colours, scale, scale, out, stride);
}

void expandToYuv420(const uint8_t* indices, const Palette& palette, int scale,
                    uint8_t* const planes[3], const int strides[3]) {
    const YuvTables t = yuvTables(palette);
    expandPlane(indices, t.y, scale, scale, planes[0], strides[0]);
    if (scale % 2 == 0) {
        expandPlane(indices, t.cb, scale / 2, scale / 2, planes[1], strides[1]);
        expandPlane(indices, t.cr, scale / 2, scale / 2, planes[2], strides[2]);
    } else {
        averageChroma(indices, t.cb, scale, planes[1], strides[1]);
        averageChroma(indices, t.cr, scale, planes[2], strides[2]);
    }
}
