// Palette lookup tables: shades of every colour toward a target, and the nearest colours
// of one palette in another. Built at load time, used per pixel.
#pragma once

#include <cstdint>

#include "core/display.h"

// 65,536 bytes, level-major: [level * 256 + c] is the index showing colour c mixed toward
// the target by level/255.
constexpr int kShadeTableSize = 256 * 256;
// 256 bytes: [i] is the index in the searched palette nearest to colour i of the source.
constexpr int kRemapTableSize = 256;

// The index of the colour nearest (red, green, blue); the lowest index wins a tie.
int nearestColour(const Palette& palette, int red, int green, int blue);

// The same search for many colours in one palette, as the tables make it: with the
// palette's colours ordered by the sum of their channels, only those whose sum is near
// the asked colour's are looked at. Gives exactly nearestColour's answer.
class NearestColourSearch {
public:
    explicit NearestColourSearch(const Palette& palette);
    int find(int red, int green, int blue) const;

private:
    struct Entry {
        int sum, red, green, blue, index;
    };
    Entry bySum_[256];  // by channel sum, then by index
};

void buildShadeTable(const Palette& palette, uint8_t* table, int red, int green, int blue);
// Level-major like a shade table: [level * 256 + c] is the index showing colour c with
// level taken off each of its channels, down to 0.
void buildDarkeningTable(const Palette& palette, uint8_t* table);
void buildRemapTable(const Palette& searchPalette, const Palette& sourcePalette,
                     uint8_t* table);
