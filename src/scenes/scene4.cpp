// Scene 4: a picture swirled around two wandering centres, darkened through a fade table
// by a mask of soft dots, the vertices of a pulsing sphere, smeared outward by zoom
// feedback. It opens with an interlaced wipe.

#include <algorithm>
#include <cmath>
#include <memory>

#include "assets/load3ds.h"
#include "assets/mesh.h"
#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "fx2d/bilinear.h"
#include "fx2d/grid_warp.h"
#include "fx2d/palette_tables.h"
#include "render3d/camera.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

namespace scene4 {
namespace {

constexpr float kWipeEnd = 2.0f;

std::unique_ptr<uint8_t[]> warpTexture;  // 256x256
std::unique_ptr<Palette> warpPalette;
Mesh sphereMesh;
// Sprite s (1..9) is 2s x 2s bytes; index 0 is unused.
std::unique_ptr<uint8_t[]> dotSprites[kLargestDot + 1];
// Row `level`, column `colour`: the picture colour darkened by level.
uint8_t fadeTable[kShadeTableSize];
WarpGrid grid;

struct Point2 {
    double x, y;
};

// A soft round dot: 255 at the centre pixel, falling linearly to 0 at distance s.
std::unique_ptr<uint8_t[]> makeDotSprite(int s) {
    auto sprite = std::make_unique<uint8_t[]>(4 * s * s);
    for (int k = -s; k < s; ++k) {
        for (int l = -s; l < s; ++l) {
            const double value = 255.0 - (255.0 / s) * std::sqrt(double(k * k + l * l));
            sprite[(k + s) * 2 * s + (l + s)] =
                static_cast<uint8_t>(std::max(0, truncToInt(value)));
        }
    }
    return sprite;
}

// t ln t tends to 0 as t falls to 0; at t <= 0 (the first frame can come slightly early)
// the limit stands in for the undefined logarithm.
double tLogT(double t) { return t > 0.0 ? t * std::log(t) : 0.0; }

// 1. The grid: the picture turned by a, rolled by two waves, and swirled by an angle
// that grows with the distance from two wandering centres.
void buildGrid(double t) {
    const double a = 0.31 * t;
    const Point2 c1 = {
        128.0 + 127.0 * std::cos(1.78 * t),
        128.0 + 63.0 * (std::cos(5345.0 - 0.8 * tLogT(t)) + std::sin(545.0 - 2.3 * t))};
    const Point2 c2 = {63.0 * (std::exp(std::sin(1.7 * t)) + 1.0),
                       127.0 * (std::sin(1.6 * t + 232.0) + 1.0)};
    const double cosA = std::cos(a), sinA = std::sin(a);
    const double waveHeight = 34.0 * std::sin(0.6 * t + 3.0);
    for (int r = 0; r < kGridRows; ++r) {
        const double rowWave = 35.0 * std::cos(5.0 * t) * std::cos(0.01 * (r - 8) - 0.6 * t);
        for (int c = 0; c < kGridColumns; ++c) {
            const double x = 12.8 * c;
            const double y = 256.0 * r / 15.0;
            const int q = 80 - 10 * r + c * (r - 8);
            const double u = x * cosA - y * sinA + rowWave;
            const double v = x * sinA + y * cosA - waveHeight * std::sin(0.06 * q + 1.1 * t);
            const double g = 3.0 * std::exp(0.002 * std::hypot(u - c2.x, v - c2.y)) +
                             0.008 * std::hypot(u - c1.x, v - c1.y) + 2.4 * t;
            const int point = r * kGridColumns + c;
            grid.u[point] = truncToInt(u * std::cos(g) - v * std::sin(g));
            grid.v[point] = truncToInt(u * std::sin(g) + v * std::cos(g));
        }
    }
}

// Adds sprite `size` into the mask with its top-left corner at (left, top), saturating.
void addDot(int size, int left, int top) {
    const uint8_t* sprite = dotSprites[size].get();
    for (int row = 0; row < 2 * size; ++row) {
        uint8_t* mask = ScratchFrame + (top + row) * kFrameWidth + left;
        for (int column = 0; column < 2 * size; ++column) {
            const int sum = mask[column] + sprite[row * 2 * size + column];
            mask[column] = static_cast<uint8_t>(std::min(255, sum));
        }
    }
}

// How far a vertex is pushed out along its position at time t (0..3).
double pulse(const Vector3& p, const Vector3& n, const Vector3& light, double t) {
    const double dx = p.x - light.x, dy = p.y - light.y, dz = p.z - light.z;
    const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double wave1 = std::sin(0.5 * (distance + n.z) + 1.3 * t);
    const double wave2 = std::sin(0.3 * n.y - 0.2 * n.x - 2.3 * t);
    const double w1Squared = wave1 * wave1, w2Squared = wave2 * wave2;
    return w1Squared * w1Squared * w1Squared + w2Squared * w2Squared +
           0.5 * (1.0 + std::cos(1.66 * p.z - 2.3 * t) * std::cos(2.2 * p.x + 1.5 * t));
}

// 4-7. The pulsing sphere's vertices, seen by a camera circling the y axis, as dots in
// the mask; nearer dots are bigger.
void drawDotSphere(double t) {
    const Camera camera(
        Vector3{float(4.0 * std::cos(1.6 * t)), 0.0f, float(4.0 * std::sin(1.6 * t))},
        Vector3{0.0f, 0.0f, 0.0f}, 45.0f, 0.0f);
    const Vector3 light = {float(std::sin(15.0 - 2.4 * t)), float(std::cos(1.2 * t + 22.0)),
                           float(std::sin(1.1 * t + 1.0) * std::cos(1.7 * t))};
    const int n = visibleVertexCount(sphereMesh.vertexCount, float(t));
    for (int i = 0; i < n; ++i) {
        const Vector3& p = sphereMesh.positions[i];
        const float s = float(pulse(p, sphereMesh.normals[i], light, t));
        const Vector3 view = transformPoint(s * p, camera.view);
        DotPlacement dot;
        if (placeDot(view, dot)) addDot(dot.size, dot.left, dot.top);
    }
}

// 8. Smear the mask outward from a wandering centre. The centre stays within 135..185 x
// 90..150 and k within 64,036..65,036; the clamps hold the sampler's range regardless.
void smearMask(double t) {
    const int cx = std::clamp(truncToInt(160.0 + 25.0 * std::cos(1.5 * t)), 0, kFrameWidth - 1);
    const int cy =
        std::clamp(truncToInt(120.0 + 30.0 * std::sin(23.0 - 2.3 * t)), 0, kFrameHeight - 1);
    const int k = std::clamp(truncToInt(64536.0 - 500.0 * std::cos(1.4 * t)), 1, 65535);
    zoomBlend(ScratchFrame, cx, cy, k);
}

// 9. The mask darkens the picture through the fade table.
void darkenPicture() {
    for (int i = 0; i < kFrameSize; ++i)
        FrameBuffer[i] = fadeTable[ScratchFrame[i] * 256 + FrameBuffer[i]];
}

// 11. The opening wipe: the finished frame's even rows from the top, then its odd rows
// from the bottom, on black.
void presentWipe(float t) {
    clearFrame(ScratchFrame, 0);
    for (int row = 0; row < kFrameHeight; ++row) {
        if (wipeShowsRow(row, t))
            std::copy(FrameBuffer + row * kFrameWidth, FrameBuffer + (row + 1) * kFrameWidth,
                      ScratchFrame + row * kFrameWidth);
    }
    presentFrame(ScratchFrame);
}

void load() {
    warpTexture = loadPictureOfSize("gfx\\tex(as).gif", 256, 256);
    warpPalette = loadPalette("gfx\\tex(as).gif");
    load3ds(sphereMesh, "3ds\\sphere32.3ds", nullptr);
    for (int s = 1; s <= kLargestDot; ++s) dotSprites[s] = makeDotSprite(s);
    buildDarkeningTable(*warpPalette, fadeTable);
}

void unload() {
    for (auto& sprite : dotSprites) sprite.reset();
    warpTexture.reset();
    warpPalette.reset();
}

void start() { setPalette(warpPalette.get()); }

void render(float t) {
    // 1-2. The swirled picture fills the FrameBuffer.
    buildGrid(t);
    gridWarp(grid.u, grid.v, warpTexture.get(), FrameBuffer);
    // 3-8. The mask: dots of the sphere in the ScratchFrame, smeared into streaks.
    clearFrame(ScratchFrame, 0);
    drawDotSphere(t);
    smearMask(t);
    // 9. The mask darkens the picture.
    darkenPicture();
    // 10-11. The finished frame, or during the first two seconds the wipe that reveals it.
    if (t >= kWipeEnd)
        presentFrame(FrameBuffer);
    else
        presentWipe(t);
}

}  // namespace
}  // namespace scene4

extern const SceneEntry swirlScene = {
    scene4::load, scene4::unload, scene4::start, scene4::render, kSceneDurations[3],
    nullptr, nullptr, "Swirl",
};
