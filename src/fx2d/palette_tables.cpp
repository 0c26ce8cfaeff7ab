// Shade, darkening and remap tables, both built on one nearest-colour search.
#include "fx2d/palette_tables.h"

#include <algorithm>

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

NearestColourSearch::NearestColourSearch(const Palette& palette) {
    for (int j = 0; j < 256; ++j) {
        const uint8_t* c = &palette.rgb[j * 3];
        bySum_[j] = {c[0] + c[1] + c[2], c[0], c[1], c[2], j};
    }
    std::stable_sort(bySum_, bySum_ + 256,
                     [](const Entry& a, const Entry& b) { return a.sum < b.sum; });
}

int NearestColourSearch::find(int red, int green, int blue) const {
    // Outward from the asked colour's channel sum, both ways at once. A colour whose sum
    // differs by s is at a distance of at least s^2 / 3 ((dr + dg + db)^2 <= 3 (dr^2 +
    // dg^2 + db^2)), and s only grows on each side; so once s^2 exceeds three times the
    // best distance, no colour beyond can be nearer, nor as near. Every colour at the
    // least distance is looked at, and the lowest index among them wins, as in the full
    // search.
    const int sum = red + green + blue;
    int best = 1000000;  // above the largest distance, 3 * 255^2
    int result = 0;
    auto consider = [&](const Entry& entry) {
        const int dr = entry.red - red;
        const int dg = entry.green - green;
        const int db = entry.blue - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best || (distance == best && entry.index < result)) {
            best = distance;
            result = entry.index;
        }
    };
    int up = static_cast<int>(
        std::lower_bound(bySum_, bySum_ + 256, sum,
                         [](const Entry& entry, int value) { return entry.sum < value; }) -
        bySum_);
    int down = up - 1;
    while (up < 256 || down >= 0) {
        if (up < 256) {
            const int s = bySum_[up].sum - sum;
            if (s * s > 3 * best) {
                up = 256;
            } else {
                consider(bySum_[up++]);
            }
        }
        if (down >= 0) {
            const int s = sum - bySum_[down].sum;
            if (s * s > 3 * best) {
                down = -1;
            } else {
                consider(bySum_[down--]);
            }
        }
    }
    return result;
}

void buildShadeTable(const Palette& palette, uint8_t* table, int red, int green, int blue) {
    const NearestColourSearch search(palette);
    for (int level = 0; level < 256; ++level) {
        // The share of the original colour; 0.003921569f is the float nearest 1/255, so
        // level 255 leaves about -5.9e-8 rather than exactly 0.
        const float f = 1.0f - level * 0.003921569f;
        for (int c = 0; c < 256; ++c) {
            const uint8_t* colour = &palette.rgb[c * 3];
            const int r = truncToInt(red + f * (colour[0] - red));
            const int g = truncToInt(green + f * (colour[1] - green));
            const int b = truncToInt(blue + f * (colour[2] - blue));
            table[level * 256 + c] = static_cast<uint8_t>(search.find(r, g, b));
        }
    }
}

void buildDarkeningTable(const Palette& palette, uint8_t* table) {
    const NearestColourSearch search(palette);
    for (int level = 0; level < 256; ++level) {
        for (int c = 0; c < 256; ++c) {
            const uint8_t* colour = &palette.rgb[c * 3];
            const int r = std::max(0, colour[0] - level);
            const int g = std::max(0, colour[1] - level);
            const int b = std::max(0, colour[2] - level);
            table[level * 256 + c] = static_cast<uint8_t>(search.find(r, g, b));
        }
    }
}

void buildRemapTable(const Palette& searchPalette, const Palette& sourcePalette,
                     uint8_t* table) {
    const NearestColourSearch search(searchPalette);
    for (int i = 0; i < 256; ++i) {
        const uint8_t* colour = &sourcePalette.rgb[i * 3];
        table[i] = static_cast<uint8_t>(search.find(colour[0], colour[1], colour[2]));
    }
}
