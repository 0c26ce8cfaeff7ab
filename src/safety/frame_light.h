// How much light a frame sends out, region by region, as the photosensitivity guidelines
// (ITU-R BT.1702, WCAG 2.x) measure it: relative luminance from sRGB, and the amount of
// saturated red. The flash meter counts changes of these; the gentle mode limits them.
#pragma once

#include <cstdint>

#include "core/frame_format.h"

// The regions whose light is measured: the whole frame, then every quarter-frame window
// (160x120) at steps of 80 columns and 60 rows, nine of them. A flash counts when it covers
// at least a quarter of the screen: the windows catch one confined to a part of the frame,
// which the whole frame's mean would dilute.
constexpr int kLightCellColumns = 4;
constexpr int kLightCellRows = 4;
constexpr int kLightCellCount = kLightCellColumns * kLightCellRows;  // cells of 80x60
constexpr int kLightCellWidth = kFrameWidth / kLightCellColumns;
constexpr int kLightCellHeight = kFrameHeight / kLightCellRows;
constexpr int kLightRegionCount = 1 + 9;

struct FrameLight {
    float luminance[kLightRegionCount];  // mean relative luminance, 0..1
    float red[kLightRegionCount];        // mean saturated red, 0..320
};

// An sRGB component (0..255) in linear light, 0..1.
float linearFromSrgb(uint8_t component);

// The sRGB component (0..255) nearest to a linear-light value (clamped to 0..1).
uint8_t srgbFromLinear(float linear);

// Relative luminance of an sRGB colour: 0.2126 R + 0.7152 G + 0.0722 B in linear light.
float relativeLuminance(uint8_t red, uint8_t green, uint8_t blue);

// Saturated red in linear light: (R - G - B) x 320 when R / (R + G + B) >= 0.8, else 0.
float saturatedRed(uint8_t red, uint8_t green, uint8_t blue);

// The light of a presented frame of 320x240 0x00RRGGBB pixels.
FrameLight measureFrameLight(const uint32_t* pixels);

// The light of a frame of palette indices shown in the palette.
FrameLight lightInPalette(const uint8_t* frame, const Palette& palette);

// The regions' means from the cells' sums (luminance or red).
void regionMeans(const double cellSums[kLightCellCount], float means[kLightRegionCount]);
