// The data generator: deterministic output, the GIF subset the demo reads, and what the
// loading screen and the reveal scene need of their pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "assets/picture_loader.h"
#include "generators.h"
#include "test_support.h"

namespace {

const char* const kFoundationFiles[] = {
    "gfx/zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif",
    "gfx/overgang2.gif",
    "gfx/cool.gif",
};

TEST(DataGenerator, WritesTheSameBytesOnEveryRun) {
    TemporaryDirectory directory;
    writeFoundationPictures(DataFolder("first"));
    writeFoundationPictures(DataFolder("second"));
    for (const char* name : kFoundationFiles) {
        const std::string first = readFileBytes(std::string("first/") + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, readFileBytes(std::string("second/") + name)) << name;
    }
}

TEST(DataGenerator, GifsAreExactlyTheSubsetTheLoaderReads) {
    for (const char* name : kFoundationFiles) {
        SCOPED_TRACE(name);
        const std::string gif = readFileBytes(std::string(dataDir()) + "/" + name);
        ASSERT_GT(gif.size(), 13u);
        EXPECT_EQ(gif.substr(0, 6), "GIF87a");
        EXPECT_EQ(uint8_t(gif[12]), 0);  // pixel aspect
        const uint8_t packed = uint8_t(gif[10]);
        EXPECT_TRUE(packed & 0x80);  // a global colour table
        const size_t descriptor = 13 + 3 * (size_t(2) << (packed & 7));
        ASSERT_GT(gif.size(), descriptor + 10);
        EXPECT_EQ(gif[descriptor], ',');  // the image right after the colour table
        EXPECT_EQ(uint8_t(gif[descriptor + 9]) & 0xC0, 0);  // no local table, not interlaced
        EXPECT_EQ(gif.back(), ';');
    }
}

int brightness(const Palette& p, int i) { return p.rgb[i * 3] + p.rgb[i * 3 + 1] + p.rgb[i * 3 + 2]; }

TEST(DataGenerator, LoadingPicturePaletteHoldsADarkToYellowRun) {
    const char* name = "gfx\\zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif";
    int width = 0, height = 0;
    loadPicture(name, &width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    const auto palette = loadPalette(name);
    std::set<int> yellows;  // distinct brightness levels of pure yellows
    bool fullYellow = false, nearBlack = false;
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = &palette->rgb[i * 3];
        if (c[2] <= 8 && std::abs(c[0] - c[1]) <= 8) yellows.insert(c[0] / 8);
        fullYellow |= c[0] == 255 && c[1] == 255 && c[2] == 0;
        nearBlack |= brightness(*palette, i) < 24;
    }
    EXPECT_GE(yellows.size(), 32u);
    EXPECT_TRUE(fullYellow);
    EXPECT_TRUE(nearBlack);
}

TEST(DataGenerator, RevealMapSpreadsOverTheWholeRange) {
    int width = 0, height = 0;
    const auto map = loadPicture("gfx\\overgang2.gif", &width, &height);
    ASSERT_EQ(width, 20);
    ASSERT_EQ(height, 15);
    const auto [low, high] = std::minmax_element(map.get(), map.get() + 300);
    EXPECT_EQ(*low, 0);
    EXPECT_EQ(*high, 255);
    std::set<uint8_t> values(map.get(), map.get() + 300);
    EXPECT_GE(values.size(), 100u);  // an order, not a few steps
}

TEST(DataGenerator, ShowpiecePictureUsesItsWholePalette) {
    int width = 0, height = 0;
    const auto picture = loadPicture("gfx\\cool.gif", &width, &height);
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 240);
    std::set<uint8_t> used(picture.get(), picture.get() + 320 * 240);
    EXPECT_GE(used.size(), 200u);
}

}  // namespace
