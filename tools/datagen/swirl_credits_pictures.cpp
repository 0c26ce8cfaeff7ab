// The swirl scene's tileable texture, and the credits scene's tileable picture,
// brightness-map credits and transition map.
#include <algorithm>
#include <cmath>

#include "art_colours.h"
#include "generators.h"
#include "image.h"
#include "pi.h"

namespace {

constexpr int kTile = 256;

// The seeds of the noise and of the placements, one for each use.
constexpr uint32_t kCurrentWarpXSeed = 401;
constexpr uint32_t kCurrentWarpYSeed = 402;
constexpr uint32_t kCurrentSeed = 403;
constexpr uint32_t kFireflySeed = 404;
constexpr uint32_t kLeavesSeed = 501;
constexpr uint32_t kVeinSeed = 502;
constexpr uint32_t kMoonlitPatchSeed = 503;
constexpr uint32_t kFlowerSeed = 504;
constexpr uint32_t kDissolveSeed = 601;

const Rgb kDeepBlue{0.04f, 0.07f, 0.30f};
const Rgb kViolet{0.30f, 0.10f, 0.50f};
const Rgb kPetalPink{1.00f, 0.70f, 0.90f};
const Rgb kLavender{0.78f, 0.70f, 1.00f};

// Fractal noise over the 256x256 tile with `cells` noise cells across it; it repeats
// exactly every 256 pixels in both directions.
float tileNoise(float x, float y, int cells, int octaves, uint32_t seed) {
    const float scale = float(cells) / kTile;
    return fractalNoise(x * scale, y * scale, octaves, seed, cells);
}

// The shortest signed offset from a to b on the 256-pixel torus.
float wrappedOffset(float a, float b) {
    float d = b - a;
    while (d >= kTile / 2) d -= kTile;
    while (d < -kTile / 2) d += kTile;
    return d;
}

// A glow that wraps around the tile's edges.
void addWrappedGlow(RgbImage& image, float cx, float cy, float radius, Rgb colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            addGlow(image, cx + dx * kTile, cy + dy * kTile, radius, colour);
}

// A 256-colour palette for a picture whose colours must also exist darker: the cut sees
// the picture beside copies of itself with every channel lowered, the way the fade table
// darkens (a subtraction per channel, not a scaling), so dark shades of each hue get
// entries of their own.
std::vector<Colour> paletteWithDarkShades(const RgbImage& image) {
    const float drops[] = {0.0f, 0.12f, 0.25f, 0.40f, 0.60f};
    RgbImage sample(image.width, image.height * int(std::size(drops)));
    for (int copy = 0; copy < int(std::size(drops)); ++copy) {
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const Rgb c = image.at(x, y);
                const float d = drops[copy];
                sample.at(x, copy * image.height + y) = {
                    std::max(0.0f, c.r - d), std::max(0.0f, c.g - d), std::max(0.0f, c.b - d)};
            }
        }
    }
    return medianCut(sample, 255);
}

// Tiles must not be dithered: the error would not wrap, and the seam would show. Index 0
// is black, the colour the scenes clear to.
IndexedPicture indexTile(const RgbImage& image, std::vector<Colour> colours) {
    colours.insert(colours.begin(), Colour{0, 0, 0});
    colours.resize(256);
    return indexImage(image, std::move(colours), 0, 255, false);
}

// The swirl texture: a pond at night seen from above. Slow currents of deep blue and
// violet, drawn by domain-warped noise, ringed by neon-green contour ripples, with
// moonlight on the crests and a few sodium-orange fireflies over the water. The swirl
// twists it hard, so the contours turn into whirlpools.
IndexedPicture makePondTexture() {
    RgbImage image(kTile, kTile);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            const float warpX = 60.0f * (tileNoise(x, y, 3, 4, kCurrentWarpXSeed) - 0.5f);
            const float warpY = 60.0f * (tileNoise(x, y, 3, 4, kCurrentWarpYSeed) - 0.5f);
            const float current = tileNoise(x + warpX, y + warpY, 4, 5, kCurrentSeed);
            const float ripple = 0.5f + 0.5f * std::cos(current * 2 * kPiFloat * 7);
            const float contour = std::pow(ripple, 24.0f);
            const float crest = std::clamp((current - 0.55f) * 3.0f, 0.0f, 1.0f);
            Rgb colour = mix(kNight, kDeepBlue, std::clamp(current * 1.6f, 0.0f, 1.0f));
            colour = mix(colour, kViolet, std::clamp((current - 0.4f) * 2.5f, 0.0f, 1.0f));
            colour = colour + kMoonlight * (0.45f * crest * crest);
            colour = colour + kNeonGreen * (0.55f * contour * (0.4f + current));
            image.at(x, y) = colour;
        }
    }
    Random random(kFireflySeed);
    for (int i = 0; i < 9; ++i)
        addWrappedGlow(image, random.range(0, kTile), random.range(0, kTile),
                       random.range(2.0f, 3.5f), kSodium * random.range(0.6f, 1.0f));
    return indexTile(image, paletteWithDarkShades(image));
}

// A five-petalled flower centred on (cx, cy) of the tile, wrapping at the edges: pale
// petals lit from the middle, a glowing heart.
void paintWrappedFlower(RgbImage& image, float cx, float cy, float size, float turn, Rgb petal,
                        Rgb heart) {
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            const float dx = wrappedOffset(cx, x), dy = wrappedOffset(cy, y);
            const float d = std::hypot(dx, dy);
            if (d > size * 1.2f) continue;
            const float angle = std::atan2(dy, dx) + turn;
            const float reach =
                size * (0.45f + 0.55f * std::pow(std::fabs(std::cos(2.5f * angle)), 0.7f));
            const float coverage = std::clamp(reach - d + 0.5f, 0.0f, 1.0f);
            if (coverage <= 0) continue;
            const Rgb shade = mix(kMoonlight, petal, std::min(1.0f, d / reach * 1.3f)) *
                              (0.85f - 0.3f * d / reach);
            image.at(x, y) = mix(image.at(x, y), shade, coverage);
        }
    }
    addWrappedGlow(image, cx, cy, size * 0.3f, heart);
}

// The credits scene's picture: a bed of moonlit blossoms over dark leaves. It is swirled,
// then stretched to the screen and brightened toward white by the credits, so its pale
// petals give the white-ward shade table light tints to step through.
IndexedPicture makeBlossomTile() {
    RgbImage image(kTile, kTile);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            const float leaves = tileNoise(x, y, 4, 4, kLeavesSeed);
            const float veins =
                std::pow(1.0f - std::fabs(2.0f * tileNoise(x, y, 5, 3, kVeinSeed) - 1.0f), 8.0f);
            Rgb colour = mix(kNight, Rgb{0.03f, 0.16f, 0.18f}, leaves);
            colour = mix(colour, kViolet * 0.6f,
                         std::clamp(tileNoise(x, y, 2, 3, kMoonlitPatchSeed) - 0.3f, 0.0f, 1.0f));
            image.at(x, y) = colour + kNeonGreen * (0.18f * veins);
        }
    }
    const Rgb petals[] = {kPetalPink, kLavender, kMoonlight, Rgb{1.0f, 0.85f, 0.6f}};
    Random random(kFlowerSeed);
    for (int i = 0; i < 9; ++i) {
        paintWrappedFlower(image, random.range(0, kTile), random.range(0, kTile),
                           random.range(18, 32), random.range(0, 2 * kPiFloat), petals[i % 4],
                           (i % 3 == 0 ? kSodium : kNeonGreen) * 0.9f);
    }
    return indexTile(image, medianCut(image, 255));
}

// Paints a line of text centred on the frame into a brightness map, at one level.
void paintCentredLevel(std::vector<float>& levels, const std::string& text, Font font,
                       int size, int baseline, float level) {
    constexpr int kWidth = 320, kHeight = 240;
    const int x = (kWidth - textWidth(text, font, size)) / 2;
    const TextCoverage coverage = renderText(kWidth, kHeight, text, font, size, x, baseline);
    for (size_t i = 0; i < levels.size(); ++i)
        levels[i] = std::max(levels[i], coverage.alpha[i] * level);
}

// The credits: the demo's name, who did what by role, and a greeting; anti-aliased white
// text on black. Pixel values are brightening levels, so the palette is a grey ramp.
IndexedPicture makeCredits() {
    constexpr int kWidth = 320, kHeight = 240;
    std::vector<float> levels(size_t(kWidth) * kHeight, 0.0f);
    paintCentredLevel(levels, "DORMINAX", kFontSansBold, 44, 54, 1.0f);
    paintCentredLevel(levels, "a night garden, seen by a machine", kFontSans, 11, 72, 0.75f);
    struct Role {
        const char* role;
        const char* what;
    };
    const Role roles[] = {{"CODE", "fixed point, palettes and patience"},
                          {"GRAPHICS", "grown from noise and moonlight"},
                          {"MUSIC", "oscillators, filters and a little delay"}};
    int baseline = 104;
    for (const Role& r : roles) {
        paintCentredLevel(levels, r.role, kFontSansBold, 14, baseline, 0.95f);
        paintCentredLevel(levels, r.what, kFontSans, 11, baseline + 15, 0.7f);
        baseline += 34;
    }
    paintCentredLevel(levels, "all made in code", kFontSansBold, 11, baseline + 4, 0.85f);
    paintCentredLevel(levels, "greetings to everyone who still counts cycles", kFontSans, 10,
                      baseline + 22, 0.6f);

    IndexedPicture picture;
    picture.width = kWidth;
    picture.height = kHeight;
    for (float level : levels)
        picture.pixels.push_back(uint8_t(std::lround(std::clamp(level, 0.0f, 1.0f) * 255)));
    picture.colours = colourRamp({0, 0, 0}, {1, 1, 1}, 256);
    return picture;
}

// The dissolve order of the credits scene: a diagonal sweep from the top-left corner (the
// highest values, vanishing first) to the bottom right, its front rippled by a wave and
// roughened by a little noise.
IndexedPicture makeDissolveMap() {
    constexpr int kColumns = 20, kRows = 15;
    std::vector<float> values;
    for (int by = 0; by < kRows; ++by) {
        for (int bx = 0; bx < kColumns; ++bx) {
            const float sweep = 1.0f - (bx / float(kColumns - 1) + by / float(kRows - 1)) / 2.0f;
            const float wave = 0.07f * std::sin(bx * 0.8f - by * 0.5f);
            values.push_back(sweep + wave + 0.05f * hashNoise(bx, by, kDissolveSeed));
        }
    }
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    IndexedPicture map;
    map.width = kColumns;
    map.height = kRows;
    for (float v : values)
        map.pixels.push_back(uint8_t(std::lround((v - *low) / (*high - *low) * 255)));
    map.colours = colourRamp({0, 0, 0}, {1, 1, 1}, 256);
    return map;
}

}  // namespace

void writeSwirlCreditsPictures(const DataFolder& folder) {
    writeGif(folder.path("gfx\\tex(as).gif"), makePondTexture());
    writeGif(folder.path("gfx\\_urk.gif"), makeBlossomTile());
    writeGif(folder.path("gfx\\credits.gif"), makeCredits());
    writeGif(folder.path("gfx\\overgang1.gif"), makeDissolveMap());
}
