// The metaball and supertoroid scenes' environment map and the particle scene's trail
// palette: the night garden reflected in chrome, and the glow of fireflies' paths.
#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "generators.h"
#include "image.h"

namespace {

constexpr int kEnvironmentSize = 256;

// The seeds of the noise, one for each use.
constexpr uint32_t kCloudSeed = 71;
constexpr uint32_t kStarSeed = 72;
constexpr uint32_t kDitherSeed = 73;

// Brightness of the garden seen in direction d (camera space: y down the screen, z away
// from the eye), 0..1. Above the horizon a sky darkening upward with a glowing band at
// the horizon, stars and the moon high on the left; below it dark lawn crossed by a
// faint grid of light, the machine's way of seeing the garden.
float gardenBrightness(float dx, float dy, float dz) {
    const float up = -dy;
    if (up >= 0.0f) {
        float sky = 0.22f + 0.50f * std::exp(-up * 4.0f) + 0.10f * (1.0f - up);
        const float clouds = fractalNoise(dx * 5 + 9, dz * 5 + 9 + up * 3, 4, kCloudSeed);
        sky += 0.22f * clouds * clouds;
        if (hashNoise(truncToInt(dx * 90 + 200), truncToInt(dz * 90 + 200 + up * 90), kStarSeed) > 0.994f) sky += 0.5f;
        // The moon: a bright disc with a soft halo.
        const float mx = -0.45f, my = -0.65f, mz = 0.61f;
        const float facing = dx * mx + dy * my + dz * mz;
        const float disc = std::clamp((facing - 0.97f) * 200.0f, 0.0f, 1.0f);
        sky += disc * 0.9f + 0.35f * std::pow(std::max(facing, 0.0f), 40.0f);
        return sky;
    }
    const float down = -up;
    float ground = 0.16f + 0.50f * std::exp(-down * 5.0f);  // horizon glow on the lawn
    // The ground plane one unit below: a grid of lines whose glow fades with distance.
    const float gx = dx / down, gz = dz / down;
    const float lineX = std::fabs(gx * 2 - std::round(gx * 2));
    const float lineZ = std::fabs(gz * 2 - std::round(gz * 2));
    const float line = std::max(std::exp(-lineX * lineX * 400), std::exp(-lineZ * lineZ * 400));
    ground += 0.35f * line * std::min(1.0f, down * 3.0f);
    return ground;
}

// The environment map: what a chrome ball at the origin would show the eye. Texel
// (u, v) is read for the normal (x, y) = ((u - 128) / 127, (v - 128) / 127); the garden
// is looked up along the reflected view direction. Values are brightness levels, which
// the ramp palette turns into colour.
IndexedPicture makeEnvironmentMap() {
    IndexedPicture picture;
    picture.width = kEnvironmentSize;
    picture.height = kEnvironmentSize;
    for (int v = 0; v < kEnvironmentSize; ++v) {
        for (int u = 0; u < kEnvironmentSize; ++u) {
            float nx = (u - 128) / 127.0f;
            float ny = (v - 128) / 127.0f;
            const float r2 = nx * nx + ny * ny;
            if (r2 > 1.0f) {  // never sampled: continue the rim outward
                nx /= std::sqrt(r2);
                ny /= std::sqrt(r2);
            }
            const float nz = -std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
            // The view direction (0, 0, 1) reflected about the normal.
            const float dx = -2 * nz * nx, dy = -2 * nz * ny, dz = 1 - 2 * nz * nz;
            const float dither = (hashNoise(u, v, kDitherSeed) - 0.5f) / 255.0f;
            const float level = std::clamp(gardenBrightness(dx, dy, dz) + dither, 0.0f, 1.0f);
            picture.pixels.push_back(uint8_t(std::lround(level * 255)));
        }
    }
    // Brightness rises with the index: black, deep blue, violet, moonlight, white-hot.
    picture.colours = colourGradient({{0, 0, 0},
                                  {0.04f, 0.05f, 0.30f},
                                  {0.38f, 0.18f, 0.66f},
                                  {0.74f, 0.76f, 1.00f},
                                  {1, 1, 1}},
                                 256);
    return picture;
}

// Trail intensity 0..255: black, deep indigo, magenta, sodium orange, warm white.
std::vector<Colour> makeTrailPalette() {
    return colourGradient({{0, 0, 0},
                       {0.10f, 0.02f, 0.32f},
                       {0.62f, 0.10f, 0.56f},
                       {1.00f, 0.55f, 0.14f},
                       {1.00f, 0.93f, 0.72f},
                       {1, 1, 1}},
                      256);
}

}  // namespace

void writeChromeMapAndTrailPalette(const DataFolder& folder) {
    writeGif(folder.path("gfx\\env.gif"), makeEnvironmentMap());
    writeRawPalette(folder.path("gfx\\lovestil.pal"), makeTrailPalette());
}
