// Shade and remap tables, both built on one nearest-colour search.
#include "fx2d/palette_tables.h"

#include "core/numeric.h"

int nearestColour(const Palette& palette, int red, int green, int blue) {
    int best = 1000000;  // above the largest distance, 3 * 255^2
    int result = 0;
    for (int j = 0; j < 256; ++j) {
        const int dr = palette.rgb[j * 3] - red;
        const int dg = palette.rgb[j * 3 + 1] - green;
        const int db = palette.rgb[j * 3 + 2] - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best) {  // strict: the lowest index among equals
            best = distance;
            result = j;
        }
    }
    return result;
}

void buildShadeTable(const Palette& palette, uint8_t* table, int red, int green, int blue) {
    for (int level = 0; level < 256; ++level) {
        // The share of the original colour; 0.003921569f is the float nearest 1/255, so
        // level 255 leaves about -5.9e-8 rather than exactly 0.
        const float f = 1.0f - level * 0.003921569f;
        for (int c = 0; c < 256; ++c) {
            const uint8_t* colour = &palette.rgb[c * 3];
            const int r = truncToInt(red + f * (colour[0] - red));
            const int g = truncToInt(green + f * (colour[1] - green));
            const int b = truncToInt(blue + f * (colour[2] - blue));
            table[level * 256 + c] = static_cast<uint8_t>(nearestColour(palette, r, g, b));
        }
    }
}

void buildRemapTable(const Palette& searchPalette, const Palette& sourcePalette,
                     uint8_t* table) {
    for (int i = 0; i < 256; ++i) {
        const uint8_t* colour = &sourcePalette.rgb[i * 3];
        table[i] = static_cast<uint8_t>(
            nearestColour(searchPalette, colour[0], colour[1], colour[2]));
    }
}
