// Tests of the 2D effects library: bilinear zoom feedback, grid warp and box blur.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "core/display.h"
#include "fx2d/bilinear.h"
#include "fx2d/box_blur.h"
#include "fx2d/grid_warp.h"

namespace {

// Images live on the heap at their exact size, so that the address sanitizer catches any
// read or write past either end.
using Image = std::vector<uint8_t>;

Image uniformImage(uint8_t value) { return Image(kFrameSize, value); }

Image randomImage(unsigned seed) {
    std::mt19937 random(seed);
    Image image(kFrameSize);
    for (uint8_t& pixel : image) pixel = static_cast<uint8_t>(random() & 255);
    return image;
}

uint8_t at(const Image& image, int x, int y) { return image[y * kFrameWidth + x]; }

// ---------------------------------------------------------------- bilinear sampler

class BilinearSampler : public ::testing::Test {
protected:
    void SetUp() override { buildBilinearWeights(); }
};

void expectWeights(int fx, int fy, int lowerRight, int lowerLeft, int upperRight,
                   int upperLeft) {
    const BilinearWeightEntry& w = bilinearWeights(fx, fy);
    EXPECT_EQ(w.lowerRight, lowerRight) << "fx " << fx << " fy " << fy;
    EXPECT_EQ(w.lowerLeft, lowerLeft) << "fx " << fx << " fy " << fy;
    EXPECT_EQ(w.upperRight, upperRight) << "fx " << fx << " fy " << fy;
    EXPECT_EQ(w.upperLeft, upperLeft) << "fx " << fx << " fy " << fy;
}

TEST_F(BilinearSampler, WeightTableHoldsTheTruncatedProductsAndAddsUpToSixteen) {
    expectWeights(0, 0, 0, 0, 0, 16);
    expectWeights(8, 8, 4, 4, 4, 4);
    expectWeights(15, 15, 14, 0, 0, 2);
    expectWeights(15, 0, 0, 0, 15, 1);
    expectWeights(0, 15, 0, 15, 0, 1);
    for (int fx = 0; fx < 16; ++fx) {
        for (int fy = 0; fy < 16; ++fy) {
            const BilinearWeightEntry& w = bilinearWeights(fx, fy);
            EXPECT_EQ(w.lowerRight + w.lowerLeft + w.upperRight + w.upperLeft, 16);
        }
    }
}

// Four rows side by side must still give each pixel what the plain pass, pixel after
// pixel in the defined order, gives it: from the centre, the corners and the edges.
TEST_F(BilinearSampler, ZoomBlendGivesThePlainPassesPixels) {
    const int centres[][2] = {{160, 120}, {0, 0}, {319, 239}, {319, 0}, {0, 239}, {37, 201}};
    const int scales[] = {1, 32768, 64036, 65036, 65535};
    unsigned seed = 1;
    for (const auto& centre : centres) {
        for (const int k : scales) {
            Image image = randomImage(seed++);
            Image expected = image;
            plain::zoomBlend(expected.data(), centre[0], centre[1], k);
            zoomBlend(image.data(), centre[0], centre[1], k);
            EXPECT_EQ(image, expected) << "centre " << centre[0] << "," << centre[1]
                                       << " k " << k;
        }
    }
}

TEST_F(BilinearSampler, ZoomBlendLeavesAUniformImageUnchanged) {
    for (const int v : {0, 1, 17, 128, 254, 255}) {
        Image image = uniformImage(static_cast<uint8_t>(v));
        zoomBlend(image.data(), 319, 239, 64536);
        zoomBlend(image.data(), 3, 7, 1000);
        EXPECT_EQ(image, uniformImage(static_cast<uint8_t>(v))) << "value " << v;
    }
}

TEST_F(BilinearSampler, ZoomBlendNeverWritesRowZeroOrColumnZero) {
    const Image original = randomImage(99);
    Image image = original;
    zoomBlend(image.data(), 160, 120, 64536);
    for (int x = 0; x < kFrameWidth; ++x) EXPECT_EQ(at(image, x, 0), at(original, x, 0));
    for (int y = 0; y < kFrameHeight; ++y) EXPECT_EQ(at(image, 0, y), at(original, 0, y));
    EXPECT_NE(image, original);
}

TEST_F(BilinearSampler, ZoomBlendDrawsABrightDotIntoAStreakAwayFromTheCentre) {
    Image image = uniformImage(0);
    image[120 * kFrameWidth + 200] = 255;
    zoomBlend(image.data(), 160, 120, 64536);
    // Pixel 200 samples at about 199.4, keeping 6/16 of itself; each next pixel outward
    // samples its already blended inner neighbour.
    EXPECT_EQ(at(image, 200, 120), (255 * 6 * 15 + 255 * 16) >> 8);
    EXPECT_GT(at(image, 201, 120), 0);
    EXPECT_GT(at(image, 205, 120), 0);
    EXPECT_EQ(at(image, 199, 120), 0);  // inward: nothing
    EXPECT_EQ(at(image, 200, 121), 0);
}

TEST_F(BilinearSampler, ZoomBlendClampsArgumentsOutsideItsRange) {
    const Image original = randomImage(5);
    Image clamped = original;
    zoomBlend(clamped.data(), -40, 900, 70000);
    Image expected = original;
    zoomBlend(expected.data(), 0, 239, 65535);
    EXPECT_EQ(clamped, expected);

    Image zeroScale = original;
    zoomBlend(zeroScale.data(), 400, -3, 0);
    expected = original;
    zoomBlend(expected.data(), 319, 0, 1);
    EXPECT_EQ(zeroScale, expected);
}

// ---------------------------------------------------------------- grid warp

struct GridTexture {
    std::vector<uint8_t> texels = std::vector<uint8_t>(256 * 256);
    GridTexture() {
        std::mt19937 random(7);
        for (uint8_t& t : texels) t = static_cast<uint8_t>(random() & 255);
    }
    uint8_t texel(int u, int v) const { return texels[(v & 255) * 256 + (u & 255)]; }
};

void fillGrid(WarpGrid& grid, int32_t u, int32_t v) {
    std::fill(std::begin(grid.u), std::end(grid.u), u);
    std::fill(std::begin(grid.v), std::end(grid.v), v);
}

TEST(GridWarp, IdentityGridReproducesTheTextureRepeatingAfter256Columns) {
    const GridTexture texture;
    WarpGrid grid;
    for (int j = 0; j < kGridRows; ++j) {
        for (int i = 0; i < kGridColumns; ++i) {
            grid.u[j * kGridColumns + i] = 16 * i;
            grid.v[j * kGridColumns + i] = 16 * j;
        }
    }
    Image frame(kFrameSize);
    gridWarp(grid.u, grid.v, texture.texels.data(), frame.data());
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            ASSERT_EQ(at(frame, x, y), texture.texel(x % 256, y)) << x << "," << y;
}

TEST(GridWarp, ConstantGridFillsTheFrameWithOneTexel) {
    const GridTexture texture;
    WarpGrid grid;
    fillGrid(grid, 300, 517);
    Image frame(kFrameSize);
    gridWarp(grid.u, grid.v, texture.texels.data(), frame.data());
    EXPECT_EQ(frame, Image(kFrameSize, texture.texel(44, 5)));
}

TEST(GridWarp, NegativeAndFarOutCoordinatesWrap) {
    const GridTexture texture;
    WarpGrid grid;
    Image frame(kFrameSize);
    fillGrid(grid, -1, -256);
    gridWarp(grid.u, grid.v, texture.texels.data(), frame.data());
    EXPECT_EQ(frame, Image(kFrameSize, texture.texel(255, 0)));

    // Beyond what 8.8 fixed point holds in 32 bits: still wraps modulo 256.
    fillGrid(grid, (1 << 30) + 5, -(1 << 30) - 3);
    gridWarp(grid.u, grid.v, texture.texels.data(), frame.data());
    EXPECT_EQ(frame, Image(kFrameSize, texture.texel(5, 253)));
}

TEST(GridWarp, InterpolatesLinearlyAcrossAndDownBlocks) {
    const GridTexture texture;
    WarpGrid grid;
    // Twice the identity to the right, and rows running upward from 200.
    for (int j = 0; j < kGridRows; ++j) {
        for (int i = 0; i < kGridColumns; ++i) {
            grid.u[j * kGridColumns + i] = 32 * i;
            grid.v[j * kGridColumns + i] = 200 - 16 * j;
        }
    }
    Image frame(kFrameSize);
    gridWarp(grid.u, grid.v, texture.texels.data(), frame.data());
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            ASSERT_EQ(at(frame, x, y), texture.texel(2 * x, 200 - y)) << x << "," << y;
}

// ---------------------------------------------------------------- box blur

// The blur as defined (the plain version): the clipped window sum divided by 2n.
Image referenceBlur(const Image& source, int n, bool horizontal) {
    Image result(kFrameSize);
    if (horizontal) {
        plain::blurHorizontal(result.data(), source.data(), n);
    } else {
        plain::blurVertical(result.data(), source.data(), n);
    }
    return result;
}

TEST(BoxBlur, RadiusZeroCopiesTheSource) {
    const Image source = randomImage(11);
    Image destination(kFrameSize, 0);
    blurHorizontal(destination.data(), source.data(), 0);
    EXPECT_EQ(destination, source);
    destination.assign(kFrameSize, 0);
    blurVertical(destination.data(), source.data(), 0);
    EXPECT_EQ(destination, source);
}

TEST(BoxBlur, UniformImageFadesOnlyAtTheEdges) {
    const int v = 200;
    const Image source = uniformImage(v);
    Image destination(kFrameSize);
    blurHorizontal(destination.data(), source.data(), 4);
    for (int y : {0, 100, 239}) {
        EXPECT_EQ(at(destination, 0, y), 4 * v / 8);
        EXPECT_EQ(at(destination, 1, y), 5 * v / 8);
        EXPECT_EQ(at(destination, 3, y), 7 * v / 8);
        for (int x = 4; x <= 316; ++x) ASSERT_EQ(at(destination, x, y), v) << x;
        EXPECT_EQ(at(destination, 317, y), 7 * v / 8);
        EXPECT_EQ(at(destination, 319, y), 5 * v / 8);
    }
    blurVertical(destination.data(), source.data(), 4);
    for (int x : {0, 160, 319}) {
        EXPECT_EQ(at(destination, x, 0), 4 * v / 8);
        for (int y = 4; y <= 236; ++y) ASSERT_EQ(at(destination, x, y), v) << y;
        EXPECT_EQ(at(destination, x, 239), 5 * v / 8);
    }
}

TEST(BoxBlur, SingleWhitePixelSpreadsOverTheWindow) {
    Image source = uniformImage(0);
    source[50 * kFrameWidth + 100] = 255;
    for (auto blur : {blurHorizontal, plain::blurHorizontal}) {
        Image destination(kFrameSize);
        blur(destination.data(), source.data(), 2);
        EXPECT_EQ(at(destination, 98, 50), 0);
        for (int x = 99; x <= 102; ++x) EXPECT_EQ(at(destination, x, 50), 63) << x;
        EXPECT_EQ(at(destination, 103, 50), 0);
        EXPECT_EQ(at(destination, 100, 49), 0);
    }
}

TEST(BoxBlur, RunningSumMatchesTheDirectWindowSum) {
    unsigned seed = 20;
    for (const int n : {1, 2, 3, 17, 50, 119, 120}) {
        const Image source = randomImage(seed++);
        const Image sourceCopy = source;
        Image destination(kFrameSize);
        blurVertical(destination.data(), source.data(), n);
        EXPECT_EQ(destination, referenceBlur(source, n, false)) << "vertical n " << n;
        blurHorizontal(destination.data(), source.data(), n);
        EXPECT_EQ(destination, referenceBlur(source, n, true)) << "horizontal n " << n;
        EXPECT_EQ(source, sourceCopy);
    }
    const Image source = randomImage(seed);
    Image destination(kFrameSize);
    blurHorizontal(destination.data(), source.data(), 160);
    EXPECT_EQ(destination, referenceBlur(source, 160, true));
}

TEST(BoxBlur, DividesTheLargestWindowSumsExactly) {
    // Near-white images give the largest sums, whole multiples of the divisor among them.
    std::mt19937 random(3);
    Image source(kFrameSize);
    for (uint8_t& pixel : source) pixel = static_cast<uint8_t>(random() % 3 == 0 ? 254 : 255);
    Image destination(kFrameSize);
    for (const int n : {7, 13, 99, 120, 160}) {
        blurHorizontal(destination.data(), source.data(), n);
        EXPECT_EQ(destination, referenceBlur(source, n, true)) << "horizontal n " << n;
        if (n > 120) continue;
        blurVertical(destination.data(), source.data(), n);
        EXPECT_EQ(destination, referenceBlur(source, n, false)) << "vertical n " << n;
    }
}

TEST(BoxBlur, RadiusBeyondHalfTheLineActsAsTheLargestRadius) {
    const Image source = randomImage(77);
    Image destination(kFrameSize);
    blurHorizontal(destination.data(), source.data(), 500);
    EXPECT_EQ(destination, referenceBlur(source, 160, true));
    blurVertical(destination.data(), source.data(), 121);
    EXPECT_EQ(destination, referenceBlur(source, 120, false));
    blurVertical(destination.data(), source.data(), -3);
    EXPECT_EQ(destination, source);
}

}  // namespace
