// The data generator: deterministic output, the same bytes as recorded, the glyphs of its
// texts, the GIF subset the demo reads, and what the loading screen and the reveal scene
// need of their pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "assets/picture_loader.h"
#include "generators.h"
#include "glyphs.h"
#include "golden_frames.h"
#include "image.h"
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

// Every file of the data set as the generator makes it, by FNV-1a 64: a change to the glyph
// table, a picture, a model or the music shows here, by name, before in the golden frames.
TEST(DataGenerator, MakesTheRecordedBytes) {
    const std::pair<const char*, uint64_t> kFiles[] = {
        {"3ds/pellimor_logo.3DS", 0x0b64b6c5dd27c92full},
        {"3ds/sphere2000f.3ds", 0x994a488aa35aed03ull},
        {"3ds/sphere32.3ds", 0x65f92a7e3639d2dfull},
        {"3ds/tollek.3ds", 0xccf402134d3781a3ull},
        {"3ds/torus.3ds", 0x1e4c46a9f9012326ull},
        {"demotuin.ogg", 0xd61cf03f009a9d37ull},
        {"gfx/Rrbt3.gif", 0xb357be8acadec1d6ull},
        {"gfx/_urk.gif", 0x57a159016eccd743ull},
        {"gfx/cool.gif", 0x810ba1d7732e007full},
        {"gfx/credits.gif", 0x53ad81e645c5d648ull},
        {"gfx/env.gif", 0x4cf5830688cafacaull},
        {"gfx/ggolf.gif", 0xbfbff9c2765091f9ull},
        {"gfx/gouraud1.pal", 0xdfe5c27aa2f9bae5ull},
        {"gfx/lezbizk!.pal", 0xaab932b930086f68ull},
        {"gfx/lovestil.pal", 0x5c2222951bb5bfe6ull},
        {"gfx/mavrel.gif", 0x186e6f9bf70e43f8ull},
        {"gfx/overgang1.gif", 0xf9fd869fa9108897ull},
        {"gfx/overgang2.gif", 0x2cd621b70bdcba1full},
        {"gfx/tex(as).gif", 0x512cb70044d8a962ull},
        {"gfx/zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif", 0x2c6608d18b6c72cdull},
    };
    for (const auto& [name, hash] : kFiles) {
        const std::string bytes = readFileBytes(std::string(dataDir()) + "/" + name);
        EXPECT_EQ(hashBytes(0xCBF29CE484222325ull, reinterpret_cast<const uint8_t*>(bytes.data()),
                            int(bytes.size())),
                  hash)
            << name << " changed";
    }
}

// The table holds the glyphs the texts draw and no others, and a text wanting one it lacks
// stops the generator, naming the glyph, rather than drawing a gap.
TEST(DataGenerator, GlyphTableHoldsExactlyTheTextsGlyphs) {
    TemporaryDirectory directory;
    const DataFolder folder("data");
    writeFoundationPictures(folder);
    writeRingSphereKnotArt(folder);
    writeSwirlCreditsPictures(folder);
    for (const Glyph* glyph : glyphsNotLookedUp())
        ADD_FAILURE() << "no text draws '" << glyph->character << "' of font " << glyph->font
                      << " at " << glyph->pixelSize << " pixels";
    EXPECT_EXIT(textWidth("DORMINAZ", kFontSansBold, 44), testing::ExitedWithCode(1),
                "no glyph 'Z' of DejaVu Sans Bold at 44 pixels");
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
