// Nearest-neighbour upscaling through the palette.
#include "scaled_frame.h"

#include <algorithm>

void drawScaledFrame(const uint8_t* indices, const Palette& palette, int scale,
                     std::vector<uint32_t>& pixels) {
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = &palette.rgb[i * 3];
        colours[i] = (uint32_t(c[0]) << 16) | (uint32_t(c[1]) << 8) | c[2];
    }
    const size_t width = size_t(kFrameWidth) * scale;
    pixels.resize(width * kFrameHeight * scale);
    uint32_t* out = pixels.data();
    for (int y = 0; y < kFrameHeight; ++y) {
        // The first row of the band pixel by pixel, the other rows as copies of it.
        uint32_t* firstRow = out;
        for (int x = 0; x < kFrameWidth; ++x) {
            out = std::fill_n(out, scale, colours[indices[y * kFrameWidth + x]]);
        }
        for (int copy = 1; copy < scale; ++copy) out = std::copy_n(firstRow, width, out);
    }
}
