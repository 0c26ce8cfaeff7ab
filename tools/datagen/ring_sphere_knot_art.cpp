// The art of the rings, the sphere and the knot: the ring flight's palette, the sphere's
// shading ramp and the overlay it floats behind, and the knot's environment map and the
// moonlit pond it flies over. A night garden, seen by a machine.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "art_colours.h"
#include "core/numeric.h"
#include "generators.h"
#include "image.h"
#include "pi.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// The seeds of the noise and of the placements, one for each use.
constexpr uint32_t kHedgeOutlineSeed = 301;
constexpr uint32_t kHedgeLeavesSeed = 302;
constexpr uint32_t kBlossomSeed = 303;
constexpr uint32_t kBladeSeed = 304;
constexpr uint32_t kPondCloudSeed = 401;
constexpr uint32_t kPondStarSeed = 402;
constexpr uint32_t kTreelineSeed = 403;
constexpr uint32_t kTreelineJitterSeed = 404;
constexpr uint32_t kPondMoonSeed = 405;
constexpr uint32_t kGlitterSeed = 406;
constexpr uint32_t kPondPlacementSeed = 407;  // lily pads, reeds and fireflies
constexpr uint32_t kLilyNotchSeed = 408;

const Rgb kBlack{0, 0, 0};
const Rgb kWhite{1, 1, 1};
const Rgb kDeepBlue{0.04f, 0.06f, 0.30f};
const Rgb kViolet{0.42f, 0.16f, 0.72f};
const Rgb kOrchid{0.80f, 0.45f, 0.95f};

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// ---- The ring flight's palette ----

// Indices 0..128 are the ring shades, black to the brightest lit ring: night blue into
// violet glass with a moonlit edge. 129..191 lead from that brightest colour to white and
// 192..255 from the mid violet to white, so that lines brightened toward white find
// near colours over the rings and over the black between them.
std::vector<Colour> makeRingPalette() {
    const std::vector<Rgb> ringStops = {kBlack, kDeepBlue, kViolet, kOrchid, kMoonlight};
    std::vector<Colour> colours = colourGradient(ringStops, 129);
    const Rgb brightest = rgbFrom(colours[128]);
    const Rgb middle = rgbFrom(colours[64]);
    const std::vector<Colour> toWhite = colourRamp(brightest, kWhite, 64);
    colours.insert(colours.end(), toWhite.begin() + 1, toWhite.end());  // 129..191
    for (const Colour& c : colourRamp(middle * 0.6f, kWhite, 64)) colours.push_back(c);
    return colours;
}

// ---- The sphere: its shading ramp and the overlay ----

// Light intensity 0..255: black through deep blue and violet, sea teal and a neon-green
// glow to a pale highlight, a luminous garden orb. Lit from behind the eye, most of the
// sphere is bright, so the ramp spends its colours on the upper intensities.
std::vector<Colour> makeSphereRamp(int count) {
    static const std::vector<Rgb> stops = {kBlack,
                                           {0.03f, 0.05f, 0.22f},
                                           {0.20f, 0.10f, 0.45f},
                                           {0.05f, 0.40f, 0.50f},
                                           {0.25f, 0.90f, 0.45f},
                                           {0.92f, 1.00f, 0.85f}};
    std::vector<Colour> ramp;
    for (int i = 0; i < count; ++i) {
        const float t = float(i) / (count - 1);
        // Mostly a power curve, with a linear share so that the dim end still climbs.
        ramp.push_back(colourFrom(gradientAt(stops, 0.85f * std::pow(t, 1.8f) + 0.15f * t)));
    }
    return ramp;
}

// A canvas whose pixels are either empty (see-through) or covered by the overlay's art.
struct OverlayCanvas {
    RgbImage image{kWidth, kHeight};
    std::vector<float> cover = std::vector<float>(size_t(kWidth) * kHeight, 0.0f);

    void blend(int x, int y, Rgb colour, float alpha) {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight || alpha <= 0) return;
        alpha = std::min(alpha, 1.0f);
        image.at(x, y) = mix(image.at(x, y), colour, alpha);
        float& c = cover[size_t(y) * kWidth + x];
        c = alpha + c * (1 - alpha);
    }

    void disc(float cx, float cy, float radius, Rgb colour) {
        for (int y = truncToInt(cy - radius) - 1; y <= truncToInt(cy + radius) + 1; ++y)
            for (int x = truncToInt(cx - radius) - 1; x <= truncToInt(cx + radius) + 1; ++x)
                blend(x, y, colour, radius - std::hypot(x - cx, y - cy) + 0.5f);
    }
};

// A grass blade rising from the bottom edge and bending over; its lit side faces the moon
// at the top left.
void paintBlade(OverlayCanvas& canvas, float baseX, float height, float lean, float width) {
    const int steps = truncToInt(height * 2);
    for (int i = 0; i <= steps; ++i) {
        const float s = float(i) / steps;
        const float x = baseX + lean * s * s * height;
        const float y = kHeight + 2 - s * height;
        const float radius = width * (1 - 0.85f * s);
        canvas.disc(x, y, radius, mix(kNight, kDeepBlue, 0.5f * s));
        canvas.disc(x - radius * 0.5f, y, radius * 0.45f, mix(kDeepBlue, kMoonlight, 0.35f * s));
    }
}

// A leaf: a pointed ellipse along an angle, dark with a moonlit rim and a midrib.
void paintLeaf(OverlayCanvas& canvas, float cx, float cy, float length, float angle, Rgb body) {
    const float ca = std::cos(angle), sa = std::sin(angle);
    const float halfWidth = length * 0.28f;
    for (int y = truncToInt(cy - length) - 1; y <= truncToInt(cy + length) + 1; ++y) {
        for (int x = truncToInt(cx - length) - 1; x <= truncToInt(cx + length) + 1; ++x) {
            const float along = ((x - cx) * ca + (y - cy) * sa) / length;  // -1..1
            const float across = (-(x - cx) * sa + (y - cy) * ca);
            if (std::fabs(along) >= 1) continue;
            const float reach = halfWidth * std::sqrt(1 - along * along) * (1 - 0.3f * along);
            const float coverage = reach - std::fabs(across) + 0.5f;
            if (coverage <= 0) continue;
            const float rim = smoothstep(reach - 2.0f, reach, std::fabs(across)) *
                              (across < 0 ? 1.0f : 0.3f);
            const float rib = std::exp(-across * across * 1.5f) * 0.5f;
            Rgb colour = mix(body, kMoonlight * 0.7f, rim * 0.6f) + kNeonGreen * (0.12f * rib);
            canvas.blend(x, y, colour, coverage);
        }
    }
}

// A hedge mound rising toward the right, its top edge ragged with foliage noise.
void paintHedge(OverlayCanvas& canvas) {
    for (int x = 0; x < kWidth; ++x) {
        const float rise = smoothstep(150, 320, float(x));
        const float top = 214 - 150 * rise * rise - 14 * fractalNoise(x / 14.0f, 3.0f, 3, kHedgeOutlineSeed);
        for (int y = 0; y < kHeight; ++y) {
            const float edge = y - top;
            if (edge < -1) continue;
            const float leaves = fractalNoise(x / 7.0f, y / 7.0f, 4, kHedgeLeavesSeed);
            const float light = smoothstep(16, 0, edge) * (0.3f + 0.7f * leaves);
            Rgb colour = mix(kNight * 0.8f, mix(kDeepBlue, kViolet, leaves), 0.45f + 0.3f * leaves);
            colour = mix(colour, kMoonlight * 0.55f, light * 0.5f);
            canvas.blend(x, y, colour, edge + 1);
        }
    }
}

// Small glowing blossoms in the hedge: neon green and sodium orange.
void paintBlossoms(OverlayCanvas& canvas) {
    Random random(kBlossomSeed);
    for (int i = 0; i < 34; ++i) {
        const float x = random.range(150, 318);
        const float rise = smoothstep(150, 320, x);
        const float y = random.range(220 - 140 * rise * rise, 236);
        const Rgb colour = i % 3 == 0 ? kSodium : (i % 3 == 1 ? kNeonGreen : kMagenta);
        const float size = random.range(1.6f, 3.2f);
        for (int p = 0; p < 5; ++p) {
            const float a = p * 2 * kPiFloat / 5 + i;
            canvas.disc(x + std::cos(a) * size, y + std::sin(a) * size, size * 0.7f, colour * 0.8f);
        }
        canvas.disc(x, y, size * 0.5f, kWhite * 0.9f);
    }
}

// A vine hanging from the top edge with leaves along it, framing the view from above.
void paintVine(OverlayCanvas& canvas) {
    float previousX = 330, previousY = -4;
    for (int i = 0; i <= 240; ++i) {
        const float s = i / 240.0f;
        const float x = 330 - 210 * s;
        const float y = -4 + 26 * std::sin(s * kPiFloat) + 6 * std::sin(s * 11);
        canvas.disc(x, y, 1.6f, mix(kNight, kDeepBlue, 0.6f));
        if (i % 16 == 8) {
            const float angle = std::atan2(y - previousY, x - previousX) + (i % 32 == 8 ? 1.1f : -1.9f);
            const float length = 9 + 5 * (1 - s);
            paintLeaf(canvas, x + std::cos(angle) * length, y + std::sin(angle) * length, length,
                      angle, mix(kNight, kDeepBlue, 0.7f));
        }
        previousX = x;
        previousY = y;
    }
}

// The machine's gaze: corner brackets around the orb, range ticks and a read-out.
void paintHud(OverlayCanvas& canvas) {
    const Rgb hud = kNeonGreen * 0.9f;
    const int left = 14, top = 10, right = 196, bottom = 172, arm = 14;
    for (int d = 0; d < arm; ++d) {
        for (int w = 0; w < 2; ++w) {
            canvas.blend(left + d, top + w, hud, 1);
            canvas.blend(left + w, top + d, hud, 1);
            canvas.blend(right - d, top + w, hud, 1);
            canvas.blend(right - w, top + d, hud, 1);
            canvas.blend(left + d, bottom - w, hud, 1);
            canvas.blend(left + w, bottom - d, hud, 1);
            canvas.blend(right - d, bottom - w, hud, 1);
            canvas.blend(right - w, bottom - d, hud, 1);
        }
    }
    for (int y = top + 24; y < bottom - 20; y += 8) {  // a range scale beside the right bracket
        const int length = (y - top) % 32 == 0 ? 6 : 3;
        for (int d = 0; d < length; ++d) canvas.blend(right + 4 + d, y, hud * 0.8f, 1);
    }
    const TextCoverage label = renderText(kWidth, kHeight, "SPECIMEN 02  LUMINOUS", kFontMono, 9,
                                          left + 2, bottom + 12);
    const TextCoverage reading = renderText(kWidth, kHeight, "TRACKING", kFontMono, 9, left + 2, top - 1 + 11 + 8);
    for (const TextCoverage* text : {&label, &reading}) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const float a = text->alpha[size_t(y) * kWidth + x];
                if (a > 0.35f) canvas.blend(x, y, hud, 1);
            }
    }
}

// The overlay: the garden's foreground and the machine's marks around a large empty
// region up and left of the centre, where the sphere floats. Index 0 is the night
// behind the sphere and the only see-through index. Entries 1..64 hold the sphere's
// shading ramp so that its remap finds close colours; the rest are the overlay's own.
IndexedPicture makeSphereOverlay() {
    constexpr int kRampEntries = 64;
    const Rgb backdrop{0.015f, 0.02f, 0.09f};
    OverlayCanvas canvas;
    for (Rgb& p : canvas.image.pixels) p = backdrop;
    paintHedge(canvas);
    paintBlossoms(canvas);
    const float bladeXs[] = {6, 18, 31, 47, 66, 84, 103, 121, 140, 171, 232, 262};
    Random random(kBladeSeed);
    for (float x : bladeXs)
        paintBlade(canvas, x, random.range(40, 120), random.range(-0.45f, 0.25f), random.range(1.8f, 3.2f));
    paintVine(canvas);
    paintHud(canvas);

    std::vector<Colour> colours = {colourFrom(backdrop)};
    for (const Colour& c : makeSphereRamp(kRampEntries)) colours.push_back(c);
    RgbImage opaque(kWidth, 1);  // the covered pixels, to choose the overlay's own colours
    opaque.pixels.clear();
    for (size_t i = 0; i < canvas.cover.size(); ++i)
        if (canvas.cover[i] >= 0.5f) opaque.pixels.push_back(canvas.image.pixels[i]);
    opaque.height = int(opaque.pixels.size());
    for (const Colour& c : medianCut(opaque, 255 - kRampEntries)) colours.push_back(c);

    IndexedPicture picture = indexImage(canvas.image, std::move(colours), 1, 255, true);
    for (size_t i = 0; i < canvas.cover.size(); ++i)
        if (canvas.cover[i] < 0.5f) picture.pixels[i] = 0;
    return picture;
}

// ---- The model: its environment map and the pond behind it ----

// The model's 15 levels, entries 1..15 of the scene palette: from dusk violet through
// magenta and sodium orange to a pale gold highlight, warm against the blue pond.
std::vector<Colour> modelRamp() {
    return colourGradient({{0.10f, 0.03f, 0.20f}, {0.50f, 0.10f, 0.45f}, {0.95f, 0.40f, 0.20f},
                           {1.00f, 0.70f, 0.25f}, {1.00f, 0.97f, 0.80f}},
                          15);
}

// A sphere map: texel (u, v) is the colour seen along a view normal with x = (u-128)/127
// and y = (v-128)/127 (y down). Lit from the upper left with a broad highlight, a faint
// horizon band and a darker rim; stored as the levels 1..15 without dithering, so the
// mode filter gets clean bands to choose from.
IndexedPicture makeEnvironmentMap() {
    constexpr int kSize = 256;
    const float lx = -0.55f, ly = -0.60f, lz = -0.58f;  // toward the light, view space
    IndexedPicture map;
    map.width = kSize;
    map.height = kSize;
    for (int v = 0; v < kSize; ++v) {
        for (int u = 0; u < kSize; ++u) {
            const float nx = (u - 128) / 127.0f, ny = (v - 128) / 127.0f;
            const float r2 = std::min(1.0f, nx * nx + ny * ny);
            const float nz = -std::sqrt(1 - r2);  // facing the eye
            const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
            // The mirror direction of the view ray (0, 0, 1) about the normal, against the light.
            const float rz = 1 - 2 * nz * nz, rx = -2 * nz * nx, ry = -2 * nz * ny;
            const float specular = std::pow(std::max(0.0f, rx * lx + ry * ly + rz * lz), 12.0f);
            const float horizon = 0.12f * std::exp(-(ny - 0.25f) * (ny - 0.25f) * 40);
            const float rim = 1 - 0.45f * smoothstep(0.55f, 1.0f, r2);
            const float light = (0.08f + 0.62f * diffuse + horizon) * rim + 0.55f * specular;
            const int level = 1 + std::clamp(int(std::lround(std::min(light, 1.0f) * 14)), 0, 14);
            map.pixels.push_back(uint8_t(level));
        }
    }
    map.colours.assign(256, Colour{0, 0, 0});
    const std::vector<Colour> ramp = modelRamp();
    std::copy(ramp.begin(), ramp.end(), map.colours.begin() + 1);
    return map;
}

// The pond's sky: deep blue to violet at the treeline, a moon and a scatter of stars.
Rgb pondSky(int x, int y, int horizon) {
    const float t = float(y) / horizon;
    const float cloud = fractalNoise(x / 70.0f, y / 18.0f, 5, kPondCloudSeed);
    Rgb sky = mix(kNight, kViolet * 0.55f, t * t) + kViolet * (0.25f * cloud * cloud);
    const float star = hashNoise(x, y, kPondStarSeed);
    if (star > 0.996f) sky = sky + kMoonlight * ((star - 0.996f) * 200);
    return sky;
}

// A wooded horizon: the treeline's height varies with noise.
float treelineTop(int x, int horizon) {
    return horizon - 6 - 16 * fractalNoise(x / 22.0f, 0.5f, 4, kTreelineSeed) -
           8 * hashNoise(x / 3, 7, kTreelineJitterSeed);
}

// A lily pad with a notch, seen flat on the water; a neon blossom on some.
void paintLilyPad(RgbImage& image, float cx, float cy, float radius, bool blossom, uint32_t seed) {
    const float notch = hashNoise(truncToInt(cx), truncToInt(cy), seed) * 2 * kPiFloat;
    for (int y = truncToInt(cy - radius * 0.4f) - 2; y <= truncToInt(cy + radius * 0.4f) + 2; ++y) {
        for (int x = truncToInt(cx - radius) - 2; x <= truncToInt(cx + radius) + 2; ++x) {
            if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
            const float dx = (x - cx) / radius, dy = (y - cy) / (radius * 0.4f);
            const float d = std::sqrt(dx * dx + dy * dy);
            const float angle = std::atan2(dy, dx) - notch;
            const bool inNotch = std::fabs(std::remainder(angle, 2 * kPiFloat)) < 0.25f;
            const float coverage = std::clamp((1 - d) * radius * 0.5f, 0.0f, 1.0f);
            if (inNotch || coverage <= 0) continue;
            const float veins = 0.5f + 0.5f * std::cos(angle * 9);
            const Rgb pad = mix(Rgb{0.02f, 0.12f, 0.08f}, Rgb{0.08f, 0.35f, 0.18f}, 0.4f * veins * d);
            image.at(x, y) = mix(image.at(x, y), pad, coverage);
        }
    }
    if (!blossom) return;
    addGlow(image, cx, cy - 2, 4.5f, kMagenta * 0.6f);
    addGlow(image, cx, cy - 2, 1.6f, kWhite * 0.8f);
}

// A reed: a thin dark stalk from the bottom edge, its right side catching a little light.
void paintReed(RgbImage& image, float baseX, float height, float lean) {
    for (int s = 0; s <= 200; ++s) {
        const float f = s / 200.0f;
        const int x = truncToInt(baseX + lean * f * f * height);
        const int y = truncToInt(kHeight - 1 - f * height);
        for (int w = 0; w < 2; ++w) {
            if (x + w < 0 || x + w >= kWidth || y < 0) continue;
            image.at(x + w, y) = w == 0 ? kNight * 0.4f : kDeepBlue * 0.6f;
        }
    }
}

// The background of the model scene: a pond at night. Sky and treeline above, their
// reflection rippling below, the moon's broken glitter, lily pads with glowing blossoms,
// reeds at both sides and a few fireflies. Entry 0 is black (the wipes' colour), 1..15
// the model's ramp; the picture uses 16..255 only.
IndexedPicture makePondPicture() {
    constexpr int kHorizon = 104;
    const float moonX = 238, moonY = 38, moonRadius = 17;
    RgbImage image(kWidth, kHeight);
    for (int y = 0; y < kHorizon; ++y)
        for (int x = 0; x < kWidth; ++x) image.at(x, y) = pondSky(x, y, kHorizon);
    addGlow(image, moonX, moonY, moonRadius * 2.4f, kMoonlight * 0.22f);
    for (int y = 0; y < kHorizon; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float d = std::hypot(x - moonX, y - moonY);
            const float coverage = std::clamp(moonRadius - d + 0.5f, 0.0f, 1.0f);
            if (coverage > 0) {
                const float craters = fractalNoise(x / 8.0f, y / 8.0f, 4, kPondMoonSeed);
                image.at(x, y) = mix(image.at(x, y), kMoonlight * (0.85f - 0.25f * craters), coverage);
            }
            if (y >= treelineTop(x, kHorizon)) image.at(x, y) = kNight * 0.5f;
        }
    }
    // The water mirrors the sky, darker and rippled sideways.
    for (int y = kHorizon; y < kHeight; ++y) {
        const float depth = float(y - kHorizon);
        for (int x = 0; x < kWidth; ++x) {
            const float ripple = 3.0f * std::sin(depth * 0.9f - x * 0.03f) * (0.3f + depth / 140);
            const int mx = std::clamp(truncToInt(x + ripple), 0, kWidth - 1);
            const int my = std::clamp(kHorizon - 1 - truncToInt(depth * 0.8f), 0, kHorizon - 1);
            Rgb water = image.at(mx, my) * 0.55f + kDeepBlue * 0.15f;
            // The moon's glitter: broken horizontal streaks below it.
            const float glitter = std::exp(-std::pow((x - moonX) / (10 + depth * 0.35f), 2.0f)) *
                                  smoothstep(0.55f, 0.9f, valueNoise(x / 5.0f, y / 1.5f, kGlitterSeed));
            water = water + mix(kMoonlight, kSodium, 0.2f) * (0.7f * glitter);
            image.at(x, y) = water;
        }
    }
    Random random(kPondPlacementSeed);
    for (int i = 0; i < 16; ++i) {
        const float y = random.range(kHorizon + 14, kHeight - 6);
        const float scale = (y - kHorizon) / 136.0f;
        paintLilyPad(image, random.range(10, 310), y, 8 + 18 * scale, i % 3 == 0, kLilyNotchSeed);
    }
    for (int side = 0; side < 2; ++side) {  // reeds at both edges
        for (int i = 0; i < 9; ++i) {
            const float baseX = side == 0 ? random.range(0, 34) : random.range(286, 320);
            const float height = random.range(70, 170);
            const float lean = random.range(-0.15f, 0.15f) + (side == 0 ? 0.12f : -0.12f);
            paintReed(image, baseX, height, lean);
        }
    }
    for (int i = 0; i < 14; ++i)
        addGlow(image, random.range(0, kWidth), random.range(70, 200), random.range(1.0f, 2.0f),
                kSodium * random.range(0.5f, 1.0f));

    std::vector<Colour> colours = {Colour{0, 0, 0}};
    for (const Colour& c : modelRamp()) colours.push_back(c);
    for (const Colour& c : medianCut(image, 240)) colours.push_back(c);
    return indexImage(image, std::move(colours), 16, 255, true);
}

}  // namespace

void writeRingSphereKnotArt(const DataFolder& folder) {
    writeRawPalette(folder.path("gfx\\lezbizk!.pal"), makeRingPalette());
    writeGif(folder.path("gfx\\Rrbt3.gif"), makeSphereOverlay());
    writeRawPalette(folder.path("gfx\\gouraud1.pal"), makeSphereRamp(256));
    writeGif(folder.path("gfx\\ggolf.gif"), makeEnvironmentMap());
    writeGif(folder.path("gfx\\mavrel.gif"), makePondPicture());
}
