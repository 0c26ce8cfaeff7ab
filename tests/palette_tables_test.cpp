// Shade and remap tables: the nearest-colour search and the tables built on it.
#include <gtest/gtest.h>

#include <vector>

#include "fx2d/palette_tables.h"

namespace {

// Distinct colours: a walk through the RGB cube.
Palette distinctPalette() {
    Palette p;
    for (int i = 0; i < 256; ++i) {
        p.rgb[i * 3] = uint8_t((i * 37) & 0xFF);
        p.rgb[i * 3 + 1] = uint8_t(i);
        p.rgb[i * 3 + 2] = uint8_t(255 - ((i * 11) & 0xFF));
    }
    return p;
}

void setColour(Palette& p, int index, int r, int g, int b) {
    p.rgb[index * 3] = uint8_t(r);
    p.rgb[index * 3 + 1] = uint8_t(g);
    p.rgb[index * 3 + 2] = uint8_t(b);
}

TEST(NearestColour, LowestIndexWinsATie) {
    Palette p = distinctPalette();
    setColour(p, 7, 10, 20, 30);
    setColour(p, 40, 10, 20, 30);
    EXPECT_EQ(nearestColour(p, 10, 20, 30), 7);
    uint8_t remap[kRemapTableSize];
    buildRemapTable(p, p, remap);
    EXPECT_EQ(remap[40], 7);
}

TEST(RemapTable, PaletteAgainstItselfIsTheIdentityForDistinctColours) {
    const Palette p = distinctPalette();
    uint8_t remap[kRemapTableSize];
    buildRemapTable(p, p, remap);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(remap[i], i);
}

TEST(RemapTable, FindsTheNearestColourOfAnotherPalette) {
    Palette grey{};
    for (int i = 0; i < 256; ++i) setColour(grey, i, i, i, i);
    Palette source{};
    setColour(source, 3, 100, 110, 120);  // nearest grey: 110
    uint8_t remap[kRemapTableSize];
    buildRemapTable(grey, source, remap);
    EXPECT_EQ(remap[3], 110);
    EXPECT_EQ(remap[0], 0);
}

class ShadeTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        palette = distinctPalette();
        setColour(palette, 7, 10, 20, 30);
        setColour(palette, 40, 10, 20, 30);
        setColour(palette, 200, 250, 250, 250);  // the nearest to white
        table.resize(kShadeTableSize);
        buildShadeTable(palette, table.data(), 255, 255, 255);
    }
    Palette palette;
    std::vector<uint8_t> table;
};

TEST_F(ShadeTableTest, LevelZeroIsTheColourItself) {
    EXPECT_EQ(table[40], 7);  // a duplicate maps to its lowest index
    EXPECT_EQ(table[7], 7);
    for (int c = 0; c < 256; ++c) {
        if (c != 40) {
            EXPECT_EQ(table[c], c) << c;
        }
    }
}

TEST_F(ShadeTableTest, LevelTopIsTheColourNearestTheTarget) {
    for (int c = 0; c < 256; ++c) EXPECT_EQ(table[255 * 256 + c], 200) << c;
}

TEST(ShadeTable, MixesTowardTheTargetByLevel) {
    Palette grey{};
    for (int i = 0; i < 256; ++i) setColour(grey, i, i, i, i);
    std::vector<uint8_t> table(kShadeTableSize);
    buildShadeTable(grey, table.data(), 255, 255, 255);
    // Level 128 keeps 0.498 of the colour: 55 becomes 255 - 0.498 * 200 = 155.4 -> 155.
    EXPECT_EQ(table[128 * 256 + 55], 155);
    EXPECT_EQ(table[128 * 256 + 255], 255);
    // Toward black instead: 200 keeps 0.498 of itself, 99.6 -> 99.
    buildShadeTable(grey, table.data(), 0, 0, 0);
    EXPECT_EQ(table[128 * 256 + 200], 99);
}

}  // namespace
