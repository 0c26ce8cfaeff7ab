// Shade and remap tables: the nearest-colour search and the tables built on it.
#include <gtest/gtest.h>

#include <random>
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

TEST(NearestColour, TheTablesSearchFindsWhatTheFullSearchFinds) {
    // Palettes with runs of equal reds, repeated colours and a few far-off ones, asked
    // for every kind of colour: the pruned search must return the very same index.
    std::mt19937 random(17);
    std::uniform_int_distribution<int> component(0, 255), few(0, 7), query(-20, 275);
    for (int round = 0; round < 40; ++round) {
        Palette p;
        for (int i = 0; i < 256; ++i) {
            const bool coarse = round % 2 == 0;
            setColour(p, i, coarse ? few(random) * 36 : component(random),
                      coarse ? few(random) * 36 : component(random), component(random) & ~15);
        }
        for (int i = 0; i < 20; ++i) {
            const int from = component(random), to = component(random);
            setColour(p, to, p.rgb[from * 3], p.rgb[from * 3 + 1], p.rgb[from * 3 + 2]);
        }
        const NearestColourSearch search(p);
        for (int q = 0; q < 2000; ++q) {
            const int r = query(random), g = query(random), b = query(random);
            ASSERT_EQ(search.find(r, g, b), nearestColour(p, r, g, b))
                << "round " << round << ": " << r << "," << g << "," << b;
        }
        for (int i = 0; i < 256; ++i) {
            const int r = p.rgb[i * 3], g = p.rgb[i * 3 + 1], b = p.rgb[i * 3 + 2];
            ASSERT_EQ(search.find(r, g, b), nearestColour(p, r, g, b)) << "entry " << i;
        }
    }
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
