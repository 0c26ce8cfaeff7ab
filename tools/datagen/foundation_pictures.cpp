// The loading screen's warning picture and the reveal scene's transition map and
// showpiece picture: a night garden seen by a machine. The desktop icon is drawn from the
// same garden.
#include <algorithm>
#include <cmath>

#include "art_colours.h"
#include "core/numeric.h"
#include "generators.h"
#include "image.h"
#include "pi.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kIconArtSize = 256;

// The seeds of each picture's noise and placements, one for each use.
constexpr uint32_t kWarningSkySeed = 11;
constexpr uint32_t kWarningStarSeed = 12;
constexpr uint32_t kWarningMoonSeed = 13;
constexpr uint32_t kShowpieceSkySeed = 21;
constexpr uint32_t kShowpieceStarSeed = 22;
constexpr uint32_t kShowpieceMoonSeed = 23;
constexpr uint32_t kShowpieceFireflySeed = 24;
constexpr uint32_t kShowpieceFlowerSeed = 25;
constexpr uint32_t kRevealMapSeed = 31;
constexpr uint32_t kIconSkySeed = 41;
constexpr uint32_t kIconStarSeed = 42;
constexpr uint32_t kIconMoonSeed = 43;
constexpr uint32_t kIconFireflySeed = 44;

const Rgb kViolet{0.22f, 0.08f, 0.36f};

// Deep blue at the top fading to violet at the horizon, with slow clouds.
void paintSky(RgbImage& image, int horizon, uint32_t seed) {
    for (int y = 0; y < image.height; ++y) {
        const float t = std::min(1.0f, float(y) / horizon);
        for (int x = 0; x < image.width; ++x) {
            const float cloud = fractalNoise(x / 60.0f, y / 30.0f, 5, seed);
            image.at(x, y) = mix(kNight, kViolet, t * t) + kViolet * (0.35f * cloud * cloud);
        }
    }
}

void paintStars(RgbImage& image, int horizon, uint32_t seed) {
    Random random(seed);
    for (int i = 0; i < 140; ++i) {
        const int x = truncToInt(random.range(0, float(image.width)));
        const int y = truncToInt(random.range(0, float(horizon)));
        const float brightness = random.range(0.3f, 1.0f);
        image.at(x, y) = image.at(x, y) + kMoonlight * brightness;
    }
}

// A full moon with a soft halo and a little crater texture.
void paintMoon(RgbImage& image, float cx, float cy, float radius, uint32_t seed) {
    addGlow(image, cx, cy, radius * 2.2f, kMoonlight * 0.25f);
    for (int y = truncToInt(cy - radius) - 1; y <= truncToInt(cy + radius) + 1; ++y) {
        for (int x = truncToInt(cx - radius) - 1; x <= truncToInt(cx + radius) + 1; ++x) {
            if (x < 0 || y < 0 || x >= image.width || y >= image.height) continue;
            const float d = std::hypot(x - cx, y - cy);
            const float edge = std::clamp(radius - d + 0.5f, 0.0f, 1.0f);  // anti-aliased rim
            if (edge <= 0) continue;
            const float craters = fractalNoise(x / 9.0f, y / 9.0f, 4, seed);
            const float limb = std::sqrt(std::max(0.0f, 1 - (d * d) / (radius * radius)));
            const Rgb surface = kMoonlight * (0.72f + 0.3f * limb - 0.3f * craters);
            image.at(x, y) = mix(image.at(x, y), surface, edge);
        }
    }
}

// A receding neon grid on dark ground: the machine's way of seeing the lawn. Each line
// is as wide as one pixel's footprint on the ground, so it thins with distance rather
// than breaking up.
void paintGridGround(RgbImage& image, int horizon) {
    constexpr float kEyeHeight = 40.0f;
    for (int y = horizon; y < image.height; ++y) {
        const float rows = y - horizon + 1.0f;
        const float depth = kEyeHeight / rows;               // ground distance of this row
        const float depthPerRow = kEyeHeight / (rows * rows);  // and of one pixel down
        const float fade = std::clamp(2.5f / depth, 0.0f, 1.0f);
        const float alongZ = std::fabs(depth - std::round(depth));
        const float lineZ = std::clamp(1.0f - alongZ / std::max(depthPerRow, 0.02f), 0.0f, 1.0f);
        for (int x = 0; x < image.width; ++x) {
            const float worldX = (x - image.width / 2.0f) * depth / kEyeHeight;
            const float acrossX = std::fabs(worldX - std::round(worldX));
            const float lineX = std::clamp(1.0f - acrossX / std::max(depth / kEyeHeight, 0.02f), 0.0f, 1.0f);
            image.at(x, y) = kNight * 0.8f + kNeonGreen * (0.7f * std::max(lineX, lineZ) * fade);
        }
    }
}

// Draws a filled disc, anti-aliased at its rim.
void fillDisc(RgbImage& image, float cx, float cy, float radius, Rgb colour) {
    for (int y = truncToInt(cy - radius) - 1; y <= truncToInt(cy + radius) + 1; ++y) {
        for (int x = truncToInt(cx - radius) - 1; x <= truncToInt(cx + radius) + 1; ++x) {
            if (x < 0 || y < 0 || x >= image.width || y >= image.height) continue;
            const float coverage = std::clamp(radius - std::hypot(x - cx, y - cy) + 0.5f, 0.0f, 1.0f);
            if (coverage > 0) image.at(x, y) = mix(image.at(x, y), colour, coverage);
        }
    }
}

// A flower: petals around a glowing heart on a curved dark stem.
void paintFlower(RgbImage& image, float baseX, float height, float lean, float size, Rgb petal,
                 Rgb heart) {
    const float baseY = float(image.height);
    float x = baseX, y = baseY;
    for (int i = 0; i <= 60; ++i) {
        const float s = i / 60.0f;
        x = baseX + lean * s * s * height;
        y = baseY - s * height;
        fillDisc(image, x, y, 1.6f - s * 0.6f, mix(kNight, kNeonGreen, 0.25f));
    }
    for (int py = truncToInt(y - size * 1.3f); py <= truncToInt(y + size * 1.3f); ++py) {
        for (int px = truncToInt(x - size * 1.3f); px <= truncToInt(x + size * 1.3f); ++px) {
            if (px < 0 || py < 0 || px >= image.width || py >= image.height) continue;
            const float angle = std::atan2(py - y, px - x);
            const float reach = size * (0.55f + 0.45f * std::fabs(std::cos(2.5f * angle)));
            const float d = std::hypot(px - x, py - y);
            const float coverage = std::clamp(reach - d + 0.5f, 0.0f, 1.0f);
            if (coverage > 0)
                image.at(px, py) = mix(image.at(px, py), petal * (0.5f + 0.5f * d / reach), coverage);
        }
    }
    addGlow(image, x, y, size * 0.45f, heart);
}

void paintFireflies(RgbImage& image, int count, int top, uint32_t seed) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        addGlow(image, random.range(0, float(image.width)), random.range(float(top), float(image.height)),
                random.range(1.0f, 2.2f), kSodium * random.range(0.5f, 1.0f));
    }
}

void darkenEdges(RgbImage& image) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const float dx = (x - image.width / 2.0f) / image.width;
            const float dy = (y - image.height / 2.0f) / image.height;
            image.at(x, y) = image.at(x, y) * (1.0f - 1.2f * (dx * dx + dy * dy));
        }
    }
}

void paintCentredText(RgbImage& image, const std::string& text, Font font, int size,
                      int baseline, Rgb colour) {
    const int x = (image.width - textWidth(text, font, size)) / 2;
    paintCoverage(image, renderText(image.width, image.height, text, font, size, x, baseline), colour);
}

// The whole palette for a picture: fixed entries first, the rest chosen from the picture.
IndexedPicture quantisePicture(const RgbImage& image, std::vector<Colour> fixedColours) {
    const int freeCount = 256 - int(fixedColours.size());
    std::vector<Colour> colours = std::move(fixedColours);
    for (const Colour& c : medianCut(image, freeCount)) colours.push_back(c);
    return indexImage(image, std::move(colours), 0, 255, true);
}

// The warning shown while the scenes load. Its palette starts with a 64-step ramp from
// black to full yellow, which the progress bar is drawn through; the bar's band is kept
// as a dark, framed slot so that the bar reads on it.
IndexedPicture makeLoadingPicture() {
    RgbImage image(kWidth, kHeight);
    paintSky(image, kHeight, kWarningSkySeed);
    paintStars(image, kHeight, kWarningStarSeed);
    paintMoon(image, 272, 44, 22, kWarningMoonSeed);
    for (int i = 0; i < 7; ++i)
        paintFlower(image, 20.0f + i * 47, 40.0f + (i % 3) * 14, (i % 2 ? 0.3f : -0.25f), 7,
                    kViolet * 2.0f, (i % 2 ? kSodium : kNeonGreen) * 0.8f);
    darkenEdges(image);

    paintCentredText(image, "WARNING", kFontSansBold, 30, 52, kSodium);
    paintCentredText(image, "flashing lights, swirling colours", kFontSans, 11, 76, kMoonlight);
    paintCentredText(image, "and one black cat in the garden", kFontSans, 11, 91, kMoonlight);
    for (int y = 106; y < 134; ++y) {  // the bar's slot: rows 110..129, columns 60..259
        for (int x = 56; x < 264; ++x) {
            const bool rim = y < 108 || y >= 132 || x < 58 || x >= 262;
            image.at(x, y) = rim ? kNeonGreen * 0.55f : kNight * 0.5f;
        }
    }
    paintCentredText(image, "DORMINAX is waking up", kFontSansBold, 12, 152, kNeonGreen);
    return quantisePicture(image, colourRamp({0, 0, 0}, {1, 1, 0}, 64));
}

// The reveal scene's showpiece: moon, stars, neon grid lawn and glowing flowers.
IndexedPicture makeCoolPicture() {
    constexpr int kHorizon = 150;
    RgbImage image(kWidth, kHeight);
    paintSky(image, kHorizon, kShowpieceSkySeed);
    paintStars(image, kHorizon, kShowpieceStarSeed);
    paintMoon(image, 228, 62, 36, kShowpieceMoonSeed);
    paintGridGround(image, kHorizon);
    paintFireflies(image, 26, 90, kShowpieceFireflySeed);
    const Rgb petals[] = {kMagenta, kViolet * 2.2f, kSodium, kMoonlight * 0.8f};
    Random random(kShowpieceFlowerSeed);
    for (int i = 0; i < 11; ++i) {
        const float x = 14.0f + i * 29.0f + random.range(-8, 8);
        paintFlower(image, x, random.range(55, 125), random.range(-0.35f, 0.35f),
                    random.range(7, 13), petals[i % 4], (i % 2 ? kSodium : kNeonGreen) * 0.9f);
    }
    darkenEdges(image);
    paintCentredText(image, "dorminax", kFontSansBold, 14, 230, kNeonGreen * 0.85f);
    return quantisePicture(image, {});
}

// The order in which the reveal builds its blocks: a spiral opening from the centre,
// roughened a little so that the edge of the reveal shimmers.
IndexedPicture makeRevealMap() {
    constexpr int kColumns = 20, kRows = 15;
    std::vector<float> values;
    for (int by = 0; by < kRows; ++by) {
        for (int bx = 0; bx < kColumns; ++bx) {
            const float dx = bx - (kColumns - 1) / 2.0f, dy = by - (kRows - 1) / 2.0f;
            const float turn = (std::atan2(dy, dx) + kPiFloat) / (2 * kPiFloat);
            const float distance = std::hypot(dx, dy) / 12.0f;
            values.push_back(distance * 0.8f + turn * 0.2f + 0.06f * hashNoise(bx, by, kRevealMapSeed));
        }
    }
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    IndexedPicture map;
    map.width = kColumns;
    map.height = kRows;
    for (float v : values) map.pixels.push_back(uint8_t(std::lround((v - *low) / (*high - *low) * 255)));
    map.colours = colourRamp({0, 0, 0}, {1, 1, 1}, 256);
    return map;
}

// The icon's picture: the showpiece's garden closer in, the moon and a tall blossom over
// the neon lawn, big enough to read at 48 pixels.
RgbImage makeIconArt() {
    constexpr int kHorizon = 168;
    RgbImage image(kIconArtSize, kIconArtSize);
    paintSky(image, kHorizon, kIconSkySeed);
    paintStars(image, kHorizon, kIconStarSeed);
    paintMoon(image, 178, 70, 40, kIconMoonSeed);
    paintGridGround(image, kHorizon);
    paintFireflies(image, 9, 120, kIconFireflySeed);
    paintFlower(image, 206, 74, -0.3f, 14, kViolet * 2.2f, kNeonGreen * 0.9f);
    paintFlower(image, 72, 156, 0.2f, 32, kMagenta, kSodium * 0.9f);
    darkenEdges(image);
    return image;
}

// The average of the picture over each output pixel's footprint (a box filter), so that
// every size shows the same picture without aliasing.
RgbImage shrink(const RgbImage& image, int size) {
    const float step = float(image.width) / size;
    RgbImage out(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float x0 = x * step, x1 = x0 + step, y0 = y * step, y1 = y0 + step;
            Rgb sum;
            float weights = 0;
            for (int sy = truncToInt(y0); sy < image.height && sy < y1; ++sy) {
                const float wy = std::min(sy + 1.0f, y1) - std::max(float(sy), y0);
                for (int sx = truncToInt(x0); sx < image.width && sx < x1; ++sx) {
                    const float w = wy * (std::min(sx + 1.0f, x1) - std::max(float(sx), x0));
                    sum = sum + image.at(sx, sy) * w;
                    weights += w;
                }
            }
            out.at(x, y) = sum * (1.0f / weights);
        }
    }
    return out;
}

// Bilinear magnification, for the icon sizes above the art's own (a phone's splash screen):
// the painted picture has no edges sharp enough to want more.
RgbImage magnify(const RgbImage& image, int size) {
    const float step = float(image.width) / size;
    RgbImage out(size, size);
    for (int y = 0; y < size; ++y) {
        const float sy = std::clamp((y + 0.5f) * step - 0.5f, 0.0f, image.height - 1.0f);
        const int y0 = truncToInt(sy), y1 = std::min(y0 + 1, image.height - 1);
        for (int x = 0; x < size; ++x) {
            const float sx = std::clamp((x + 0.5f) * step - 0.5f, 0.0f, image.width - 1.0f);
            const int x0 = truncToInt(sx), x1 = std::min(x0 + 1, image.width - 1);
            const Rgb top = mix(image.at(x0, y0), image.at(x1, y0), sx - x0);
            const Rgb bottom = mix(image.at(x0, y1), image.at(x1, y1), sx - x0);
            out.at(x, y) = mix(top, bottom, sy - y0);
        }
    }
    return out;
}

// How much of a pixel of a size x size icon lies inside its rounded square (0..1).
float roundedSquareCoverage(int x, int y, int size) {
    const float radius = size * 0.18f;
    const float half = size / 2.0f;
    // How far the pixel's centre lies outside the square shrunk by the corner radius.
    const float dx = std::max(0.0f, std::fabs(x + 0.5f - half) - (half - radius));
    const float dy = std::max(0.0f, std::fabs(y + 0.5f - half) - (half - radius));
    return std::clamp(radius - std::hypot(dx, dy) + 0.5f, 0.0f, 1.0f);
}

}  // namespace

void writeIcon(const std::string& path, int size) {
    const RgbImage art = makeIconArt();
    const RgbImage picture = size <= art.width ? shrink(art, size) : magnify(art, size);
    std::vector<uint8_t> rgba;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Colour c = colourFrom(picture.at(x, y));
            const float alpha = roundedSquareCoverage(x, y, size);
            rgba.insert(rgba.end(), {c.r, c.g, c.b, uint8_t(std::lround(alpha * 255))});
        }
    }
    writeRgbaPng(path, size, size, rgba);
}

void writeFoundationPictures(const DataFolder& folder) {
    writeGif(folder.path("gfx\\zzz-warning-bloody-dead-cat-is-exactly-what-you-get.gif"),
             makeLoadingPicture());
    writeGif(folder.path("gfx\\overgang2.gif"), makeRevealMap());
    writeGif(folder.path("gfx\\cool.gif"), makeCoolPicture());
}
