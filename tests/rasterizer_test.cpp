// The fills and the anti-aliased line: exact pixel sets and values, and that nothing is
// ever written outside the 320x240 image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "render3d/rasterizer.h"

namespace {

constexpr int kW = 320;
constexpr int kH = 240;
constexpr uint8_t kBackground = 0xEE;

// An image with a guard frame's worth of bytes before and after it.
struct GuardedImage {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(3 * kW * kH, kBackground);
    uint8_t* pixels() { return bytes.data() + kW * kH; }
    uint8_t at(int x, int y) { return pixels()[y * kW + x]; }
    bool guardsUntouched() const {
        for (int i = 0; i < kW * kH; ++i) {
            if (bytes[i] != kBackground || bytes[2 * kW * kH + i] != kBackground) return false;
        }
        return true;
    }
};

// level * 256 + colour -> a byte that names the level (marks which level lit a pixel).
std::vector<uint8_t> levelTable() {
    std::vector<uint8_t> table(65536);
    for (int level = 0; level < 256; ++level) {
        for (int c = 0; c < 256; ++c) table[level * 256 + c] = static_cast<uint8_t>(level);
    }
    return table;
}

}  // namespace

TEST(FillGouraud, TriangleOwnsItsTopAndLeftButNotItsBottomRowOrRightColumn) {
    GuardedImage image;
    const ScreenPoint points[] = {{0, 0}, {10, 0}, {0, 10}};
    const uint8_t colours[] = {5, 5, 5};
    fillGouraud(points, colours, 3, image.pixels());
    int filled = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const bool inside = y < 10 && x <= 9 - y;
            EXPECT_EQ(image.at(x, y), inside ? 5 : kBackground) << x << "," << y;
            filled += image.at(x, y) == 5;
        }
    }
    EXPECT_EQ(filled, 55);
}

TEST(FillGouraud, DegeneratePolygonsDrawNothing) {
    GuardedImage image;
    const ScreenPoint flat[] = {{0, 5}, {100, 5}, {50, 5}};
    const ScreenPoint pair[] = {{0, 0}, {100, 100}};
    const uint8_t colours[] = {1, 2, 3};
    fillGouraud(flat, colours, 3, image.pixels());
    fillGouraud(pair, colours, 2, image.pixels());
    for (int i = 0; i < kW * kH; ++i) ASSERT_EQ(image.pixels()[i], kBackground);
}

TEST(FillGouraud, SpanStepsInEightEightFixedPoint) {
    GuardedImage image;
    // A quad whose row 0 runs from colour 0 at x = 0 to colour 255 at x = 256.
    const ScreenPoint points[] = {{0, 0}, {256, 0}, {256, 4}, {0, 4}};
    const uint8_t colours[] = {0, 255, 255, 0};
    fillGouraud(points, colours, 4, image.pixels());
    for (int k = 0; k < 256; ++k) EXPECT_EQ(image.at(k, 0), (k * 255) >> 8) << k;
    EXPECT_EQ(image.at(0, 0), 0);
    EXPECT_EQ(image.at(1, 0), 0);
    EXPECT_EQ(image.at(2, 0), 1);
    EXPECT_EQ(image.at(3, 0), 2);
    EXPECT_EQ(image.at(4, 0), 3);
    EXPECT_EQ(image.at(256, 0), kBackground);
}

TEST(FillGouraudMapped, LooksTheShadeUpInTheTable) {
    GuardedImage image;
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
    const ScreenPoint points[] = {{0, 0}, {256, 0}, {256, 2}, {0, 2}};
    const uint8_t shades[] = {0, 255, 255, 0};
    fillGouraudMapped(points, shades, 4, table, image.pixels());
    for (int k = 0; k < 256; ++k) EXPECT_EQ(image.at(k, 1), 255 - ((k * 255) >> 8)) << k;
}

TEST(FillTextured, WrapsTheTextureModulo256) {
    GuardedImage image;
    std::vector<uint8_t> texture(65536);
    for (int v = 0; v < 256; ++v) {
        for (int u = 0; u < 256; ++u) texture[v * 256 + u] = static_cast<uint8_t>(u ^ v);
    }
    // Row 0 goes from u = 0 at x = 0 to u = 512 at x = 256, all at v = 7.
    const ScreenPoint points[] = {{0, 0}, {256, 0}, {256, 2}, {0, 2}};
    const int u[] = {0, 512, 512, 0};
    const int v[] = {7, 7, 7, 7};
    fillTextured(points, u, v, 4, texture.data(), image.pixels());
    for (int k = 0; k < 256; ++k) {
        EXPECT_EQ(image.at(k, 0), ((2 * k) & 255) ^ 7) << k;  // two texels a pixel, twice round
    }
    EXPECT_EQ(image.at(127, 0), 254 ^ 7);
    EXPECT_EQ(image.at(128, 0), 0 ^ 7);
}

TEST(DrawLineAA, HorizontalLineLightsTwoRowsAndSkipsItsEnd) {
    GuardedImage image;
    const std::vector<uint8_t> table = levelTable();
    drawLineAA(10, 10, 20, 10, table.data(), image.pixels());
    for (int x = 10; x < 20; ++x) {
        EXPECT_EQ(image.at(x, 10), 255) << x;
        EXPECT_EQ(image.at(x, 11), 0) << x;
    }
    EXPECT_EQ(image.at(20, 10), kBackground);
    EXPECT_EQ(image.at(20, 11), kBackground);
    EXPECT_EQ(image.at(9, 10), kBackground);
    EXPECT_EQ(image.at(15, 9), kBackground);
}

TEST(DrawLineAA, VerticalLineLightsTwoColumnsAndSkipsItsEnd) {
    GuardedImage image;
    const std::vector<uint8_t> table = levelTable();
    drawLineAA(30, 50, 30, 40, table.data(), image.pixels());
    for (int y = 40; y < 50; ++y) {
        EXPECT_EQ(image.at(30, y), 255) << y;
        EXPECT_EQ(image.at(31, y), 0) << y;
    }
    EXPECT_EQ(image.at(30, 50), kBackground);
}

TEST(DrawLineAA, SplitsThePixelBetweenTheTwoRowsItStraddles) {
    GuardedImage image;
    const std::vector<uint8_t> table = levelTable();
    drawLineAA(0, 0, 4, 2, table.data(), image.pixels());  // slope 128 in 8.8
    EXPECT_EQ(image.at(0, 0), 255);
    EXPECT_EQ(image.at(0, 1), 0);
    EXPECT_EQ(image.at(1, 0), 127);
    EXPECT_EQ(image.at(1, 1), 128);
    EXPECT_EQ(image.at(2, 1), 255);
    EXPECT_EQ(image.at(3, 1), 127);
    EXPECT_EQ(image.at(3, 2), 128);
}

TEST(DrawLineAA, EqualEndsDrawNothingAndTheBottomRowKeepsItsPartnerInside) {
    GuardedImage image;
    const std::vector<uint8_t> table = levelTable();
    drawLineAA(100, 100, 100, 100, table.data(), image.pixels());
    // Ends below the image collapse onto row 239: nothing to draw.
    drawLineAA(5, 300, 5, 260, table.data(), image.pixels());
    for (int i = 0; i < kW * kH; ++i) ASSERT_EQ(image.pixels()[i], kBackground);

    drawLineAA(0, 239, 319, 239, table.data(), image.pixels());
    EXPECT_EQ(image.at(0, 239), 255);
    EXPECT_EQ(image.at(318, 239), 255);
    EXPECT_TRUE(image.guardsUntouched());

    // A vertical line on the last column: its right partners would wrap to the next row.
    GuardedImage column;
    drawLineAA(319, 0, 319, 239, table.data(), column.pixels());
    for (int y = 1; y < 239; ++y) EXPECT_EQ(column.at(0, y), kBackground) << y;
    EXPECT_EQ(column.at(319, 100), 255);
}

TEST(Rasterizers, DrawWhatThePlainFillsDraw) {
    // Triangles take a shorter road than other polygons and gouraud spans go eight pixels
    // at a time; all must give the plain fills' pixels. Many small and thin triangles,
    // shared and equal y, corners on x = 320 and y = 240, and polygons of four to seven
    // vertices as clipping leaves them.
    std::mt19937 random(4242);
    std::uniform_int_distribution<int> anyX(0, kW), anyY(0, kH), byte(0, 255), texel(-300, 600);
    std::uniform_int_distribution<int> near(-6, 6), vertices(3, 7);
    std::vector<uint8_t> texture(65536);
    for (size_t i = 0; i < texture.size(); ++i) texture[i] = static_cast<uint8_t>(i * 7 + i / 256);
    std::vector<uint8_t> remap(256);
    for (size_t i = 0; i < remap.size(); ++i) remap[i] = static_cast<uint8_t>(255 - i / 2);
    std::vector<uint8_t> expected(kW * kH), actual(kW * kH);
    for (int round = 0; round < 3000; ++round) {
        const int n = round % 4 == 3 ? vertices(random) : 3;
        const bool small = round % 3 != 0;
        ScreenPoint points[8];
        uint8_t shades[8];
        int u[8], v[8];
        const ScreenPoint centre = {anyX(random), anyY(random)};
        for (int i = 0; i < n; ++i) {
            points[i] = small ? ScreenPoint{std::clamp(centre.x + near(random), 0, kW),
                                            std::clamp(centre.y + near(random), 0, kH)}
                              : ScreenPoint{anyX(random), anyY(random)};
            if (round % 7 == 0) points[i].y = std::min(points[0].y + (i == 2 ? 5 : 0), kH);
            shades[i] = static_cast<uint8_t>(byte(random));
            u[i] = texel(random);
            v[i] = texel(random);
        }
        std::fill(expected.begin(), expected.end(), kBackground);
        std::fill(actual.begin(), actual.end(), kBackground);
        plain::fillGouraud(points, shades, n, expected.data());
        fillGouraud(points, shades, n, actual.data());
        ASSERT_TRUE(actual == expected) << "gouraud, round " << round;
        plain::fillGouraudMapped(points, shades, n, remap.data(), expected.data());
        fillGouraudMapped(points, shades, n, remap.data(), actual.data());
        ASSERT_TRUE(actual == expected) << "mapped gouraud, round " << round;
        plain::fillTextured(points, u, v, n, texture.data(), expected.data());
        fillTextured(points, u, v, n, texture.data(), actual.data());
        ASSERT_TRUE(actual == expected) << "textured, round " << round;
    }
}

TEST(Rasterizers, NeverWriteOutsideTheImage) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> anyX(0, kW), anyY(0, kH), byte(0, 255), count(0, 8);
    std::uniform_int_distribution<int> wideX(-400, 720), wideY(-300, 540), texel(-600, 600);
    std::uniform_int_distribution<int> lineX(0, kW - 1), lineY(0, kH - 1);
    GuardedImage image;
    const std::vector<uint8_t> table = levelTable();
    std::vector<uint8_t> texture(65536, 9);
    for (int round = 0; round < 4000; ++round) {
        // Half the polygons keep to the callers' contract (edges on x = 320 and y = 240
        // included); the rest stray far outside it.
        const bool wide = round % 2 == 1;
        const int n = count(random);
        ScreenPoint points[8];
        uint8_t shades[8];
        int u[8], v[8];
        for (int i = 0; i < n; ++i) {
            points[i] = wide ? ScreenPoint{wideX(random), wideY(random)}
                             : ScreenPoint{anyX(random), anyY(random)};
            if (!wide && i % 3 == 0) points[i].x = kW;
            if (!wide && i % 4 == 1) points[i].y = kH;
            shades[i] = static_cast<uint8_t>(byte(random));
            u[i] = texel(random);
            v[i] = texel(random);
        }
        fillGouraud(points, shades, n, image.pixels());
        fillGouraudMapped(points, shades, n, table.data(), image.pixels());
        fillTextured(points, u, v, n, texture.data(), image.pixels());
        plain::fillGouraud(points, shades, n, image.pixels());
        plain::fillGouraudMapped(points, shades, n, table.data(), image.pixels());
        plain::fillTextured(points, u, v, n, texture.data(), image.pixels());
        drawLineAA(lineX(random), lineY(random), lineX(random), lineY(random), table.data(),
                   image.pixels());
        drawLineAA(lineX(random), kH - 1, lineX(random), kH - 1 - count(random), table.data(),
                   image.pixels());
        ASSERT_TRUE(image.guardsUntouched()) << "round " << round;
    }
}
