// Relative luminance and saturated red of frames, by region.
#include "safety/frame_light.h"

#include <cmath>

namespace {

constexpr double kRedWeight = 0.2126;
constexpr double kGreenWeight = 0.7152;
constexpr double kBlueWeight = 0.0722;
constexpr float kRedRatio = 0.8f;
constexpr float kRedScale = 320.0f;

struct LinearTables {
    float linear[256];
    // The same, weighted by each channel's share of luminance.
    float redLuminance[256];
    float greenLuminance[256];
    float blueLuminance[256];
    // For a linear value in bucket j of 4096, the lowest component that can be nearest.
    static constexpr int kBuckets = 4096;
    uint8_t firstNearest[kBuckets];

    LinearTables() {
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            const double l = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            linear[i] = static_cast<float>(l);
            redLuminance[i] = static_cast<float>(kRedWeight * l);
            greenLuminance[i] = static_cast<float>(kGreenWeight * l);
            blueLuminance[i] = static_cast<float>(kBlueWeight * l);
        }
        int component = 0;
        for (int j = 0; j < kBuckets; ++j) {
            const float start = float(j) / kBuckets;
            while (component < 255 && linear[component + 1] - start < start - linear[component])
                ++component;
            firstNearest[j] = uint8_t(component);
        }
    }
};

const LinearTables& tables() {
    static const LinearTables instance;
    return instance;
}

int cellOf(int x, int y) { return (y / kLightCellHeight) * kLightCellColumns + x / kLightCellWidth; }

void fillRegions(const double luminance[kLightCellCount], const double red[kLightCellCount],
                 FrameLight& light) {
    regionMeans(luminance, light.luminance);
    regionMeans(red, light.red);
}

}  // namespace

float linearFromSrgb(uint8_t component) { return tables().linear[component]; }

uint8_t srgbFromLinear(float linear) {
    const LinearTables& t = tables();
    if (!(linear > 0.0f)) return 0;
    if (linear >= 1.0f) return 255;
    int component = t.firstNearest[static_cast<int>(linear * LinearTables::kBuckets)];
    while (component < 255 && t.linear[component + 1] - linear < linear - t.linear[component])
        ++component;
    return uint8_t(component);
}

float relativeLuminance(uint8_t red, uint8_t green, uint8_t blue) {
    const LinearTables& t = tables();
    return t.redLuminance[red] + t.greenLuminance[green] + t.blueLuminance[blue];
}

float saturatedRed(uint8_t red, uint8_t green, uint8_t blue) {
    const LinearTables& t = tables();
    const float r = t.linear[red];
    const float g = t.linear[green];
    const float b = t.linear[blue];
    const float sum = r + g + b;
    // Where the ratio holds, R - G - B is at least 0.75 R: never negative.
    if (!(sum > 0) || r < kRedRatio * sum) return 0.0f;
    return (r - g - b) * kRedScale;
}

void regionMeans(const double cellSums[kLightCellCount], float means[kLightRegionCount]) {
    double whole = 0.0;
    for (int c = 0; c < kLightCellCount; ++c) whole += cellSums[c];
    means[0] = static_cast<float>(whole / kFrameSize);
    constexpr double kWindowPixels = kFrameSize / 4.0;
    int region = 1;
    for (int row = 0; row + 1 < kLightCellRows; ++row) {
        for (int column = 0; column + 1 < kLightCellColumns; ++column) {
            const int c = row * kLightCellColumns + column;
            const double sum = cellSums[c] + cellSums[c + 1] + cellSums[c + kLightCellColumns] +
                               cellSums[c + kLightCellColumns + 1];
            means[region++] = static_cast<float>(sum / kWindowPixels);
        }
    }
}

FrameLight measureFrameLight(const uint32_t* pixels) {
    const LinearTables& t = tables();
    double luminance[kLightCellCount] = {};
    double red[kLightCellCount] = {};
    for (int y = 0; y < kFrameHeight; ++y) {
        const uint32_t* row = pixels + y * kFrameWidth;
        for (int x0 = 0; x0 < kFrameWidth; x0 += kLightCellWidth) {
            float rowLuminance = 0.0f;
            float rowRed = 0.0f;
            for (int x = x0; x < x0 + kLightCellWidth; ++x) {
                const uint8_t r = (row[x] >> 16) & 0xFF;
                const uint8_t g = (row[x] >> 8) & 0xFF;
                const uint8_t b = row[x] & 0xFF;
                rowLuminance += t.redLuminance[r] + t.greenLuminance[g] + t.blueLuminance[b];
                if (r > g && r > b) rowRed += saturatedRed(r, g, b);  // red only where R leads
            }
            const int cell = cellOf(x0, y);
            luminance[cell] += rowLuminance;
            red[cell] += rowRed;
        }
    }
    FrameLight light;
    fillRegions(luminance, red, light);
    return light;
}

namespace {

// Each cell's sum of a value per palette index, over the frame's pixels.
void sumCells(const uint8_t* frame, const float value[256], double sums[kLightCellCount]) {
    static_assert(kLightCellWidth % 4 == 0, "cells are summed four pixels at a time");
    for (int c = 0; c < kLightCellCount; ++c) sums[c] = 0.0;
    for (int y = 0; y < kFrameHeight; ++y) {
        const uint8_t* row = frame + y * kFrameWidth;
        for (int x0 = 0; x0 < kFrameWidth; x0 += kLightCellWidth) {
            // Four partial sums: one chain of additions would wait on itself.
            float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
            for (int x = x0; x < x0 + kLightCellWidth; x += 4) {
                a += value[row[x]];
                b += value[row[x + 1]];
                c += value[row[x + 2]];
                d += value[row[x + 3]];
            }
            sums[cellOf(x0, y)] += double(a + b) + double(c + d);
        }
    }
}

}  // namespace

FrameLight lightInPalette(const uint8_t* frame, const Palette& palette) {
    float entryLuminance[256];
    float entryRed[256];
    bool anyRed = false;
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = &palette.rgb[i * 3];
        entryLuminance[i] = relativeLuminance(c[0], c[1], c[2]);
        entryRed[i] = saturatedRed(c[0], c[1], c[2]);
        anyRed = anyRed || entryRed[i] > 0;
    }
    double luminance[kLightCellCount];
    double red[kLightCellCount] = {};
    sumCells(frame, entryLuminance, luminance);
    if (anyRed) sumCells(frame, entryRed, red);  // most palettes have no saturated red
    FrameLight light;
    fillRegions(luminance, red, light);
    return light;
}
