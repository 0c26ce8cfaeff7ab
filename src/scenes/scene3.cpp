// Scene 3: a model flies in tumbling, settles into a spin about the vertical axis and is
// drawn with an environment map taken from its view-space normals. An 8x8 mode filter
// turns the render into flat patches, and a picture fills everything the model leaves
// empty. From 15 s the last image is wiped to index 0 in two interlaced passes: even rows
// downward, then odd rows upward.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "assets/load3ds.h"
#include "assets/mesh.h"
#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "fx2d/frame_passes.h"
#include "fx2d/mode_filter.h"
#include "render3d/camera.h"
#include "render3d/environment_map.h"
#include "render3d/mesh_view.h"
#include "render3d/vertex_cache.h"
#include "scenes/scene_table.h"

namespace {

constexpr int kTextureSize = 256;
constexpr float kFirstWipe = 15.0f;
constexpr float kSecondWipe = 16.0f;
constexpr int kOddRows = kFrameHeight / 2;  // 120
constexpr float kModelScale = 0.001f;       // file units to scene units
// The float angle pi: its cosine is exactly -1, its sine not quite 0.
constexpr float kHalfTurnCos = -1.0f;
constexpr float kHalfTurnSin = -8.742278e-8f;

std::unique_ptr<Camera> camera;
std::unique_ptr<uint8_t[]> texture;     // 256x256 environment map, indices 1..15
std::unique_ptr<uint8_t[]> background;  // 320x240, indices 16..255
std::unique_ptr<Palette> scenePalette;  // the background's colour table
Mesh model;                             // released at program exit
MeshView modelView;
VertexCache modelVertices;  // its vertices, projected once a frame

// Half a turn about x and a thousandfold smaller, once, in place.
void reorientModel() {
    for (int i = 0; i < model.vertexCount; ++i) {
        const Vector3 p = model.positions[i];
        model.positions[i] = Vector3(kModelScale * p.x,
                                     kModelScale * (p.y * kHalfTurnCos - p.z * kHalfTurnSin),
                                     kModelScale * (p.y * kHalfTurnSin + p.z * kHalfTurnCos));
        const Vector3 n = model.normals[i];
        model.normals[i] = Vector3(n.x, n.y * kHalfTurnCos - n.z * kHalfTurnSin,
                                   n.y * kHalfTurnSin + n.z * kHalfTurnCos);
    }
}

// The eye at distance D along the third column of Rz(az) Ry(ay) Rx(ax): it closes in from
// 115 to 15 units while tumbling about x and z until t = 10, then circles the y axis.
void moveCamera(float t) {
    const float k = std::max(0.0f, (20 - 2 * t) * 0.05f);
    const float ax = 25.132742f * k;  // four turns
    const float ay = 3.4f * t;
    const float az = 18.849556f * k;  // three turns
    const float sx = std::sin(ax), cx = std::cos(ax);
    const float sy = std::sin(ay), cy = std::cos(ay);
    const float sz = std::sin(az), cz = std::cos(az);
    const float distance = std::max(0.0f, 100 - 10 * t) + 15;
    camera->eye = Vector3(cx * sy * cz + sx * sz, cx * sy * sz - sx * cz, cx * cy) * distance;
    camera->update();
}

void clearRow(int row) { std::memset(ScratchFrame + row * kFrameWidth, 0, kFrameWidth); }

// First wipe: the even rows 0, 2, .., 2n vanish from the top, 120 rows a second.
void wipeEvenRows(float t) {
    const int n = std::clamp(truncToInt((t - kFirstWipe) * 120), 0, kOddRows - 1);
    for (int i = 0; i <= n; ++i) clearRow(2 * i);
}

// Second wipe: after half a second's pause the odd rows vanish from the bottom, 239, 237
// and so on. Late frames (t past 17) clear all 120 odd rows and never reach above row 0.
void wipeOddRows(float t) {
    const int m = truncToInt((1 - (t - kSecondWipe)) * 480);
    if (m > kFrameHeight - 1) return;
    const int count = m < 1 ? kOddRows : std::min(kOddRows, (241 - m) / 2);
    for (int i = 0; i < count; ++i) clearRow(kFrameHeight - 1 - 2 * i);
}


void load() {
    camera = std::make_unique<Camera>(Vector3(0, 0, 150), Vector3(0, 0, 0), 45, 0);
    // The fill reads rows of 256 texels and the background covers the frame byte for
    // byte, so both sizes are exact requirements.
    texture = loadPictureOfSize("gfx\\ggolf.gif", kTextureSize, kTextureSize);
    background = loadPictureOfSize("gfx\\mavrel.gif", kFrameWidth, kFrameHeight);
    scenePalette = loadPalette("gfx\\mavrel.gif");
    load3ds(model, "3ds\\tollek.3ds", nullptr);
    reorientModel();
    viewModel(modelView, model);
    modelVertices = VertexCache();
    modelVertices.addView(modelView, model.vertexCount);
}

void unload() {
    camera.reset();
    scenePalette.reset();
    background.reset();
    texture.reset();
}

void start() { setPalette(scenePalette.get()); }

// The ScratchFrame carries the last drawn image, wiped so far, into the next frame.
void keepState(StateRecord& record) { record.keep(ScratchFrame, kFrameSize); }

void restoreState(StateRecord& record) { record.restore(ScratchFrame, kFrameSize); }

void render(float t) {
    if (t < kFirstWipe) {
        // Drawing phase.
        // 1-2. Both frames empty.
        clearFrame(FrameBuffer, 0);
        clearFrame(ScratchFrame, 0);

        // 3. The camera flies its path.
        moveCamera(t);

        // 4. The model into view space; front faces far to near.
        transform(modelView, camera->view);
        cullAndSort(modelView, true);

        // 5. Environment-mapped faces into the FrameBuffer.
        drawEnvironmentMapped(modelView, *camera, texture.get(), modelVertices, FrameBuffer);

        // 6. Flat patches of the most frequent texture value into the ScratchFrame.
        modeFilter8x8(FrameBuffer, ScratchFrame);

        // 7. The picture wherever the filtered model left index 0.
        fillEmpty(ScratchFrame, background.get());
    } else if (t < kSecondWipe) {
        // 15 <= t < 16: the frozen image loses its even rows from the top.
        wipeEvenRows(t);
    } else {
        // t >= 16: every even row is gone, also when no pass fell in the first wipe's last
        // moments (at 60 fps it can stop short of rows 236 and 238); then the odd rows
        // from the bottom.
        wipeEvenRows(kSecondWipe);
        wipeOddRows(t);
    }

    // 8. Show the composed frame.
    presentFrame(ScratchFrame);
}

}  // namespace

extern const SceneEntry knotOverPondScene = {
    load, unload, start, render, kSceneDurations[2], keepState, restoreState, "Knot over the pond",
};
