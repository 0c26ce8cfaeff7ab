// Scene 7: ten metaballs drift around the origin while a wide-angle camera swings round
// them, in alternating two-second windows: the balls move while the camera holds, then
// the camera moves round the frozen blob. The blob is gouraud-shaded by a light riding
// with the camera until 9.5 s and environment-mapped after; every frame is box-blurred
// with pulsing radii, and from 17.5 s the blur grows until the picture melts away.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "fx2d/box_blur.h"
#include "render3d/camera.h"
#include "render3d/clipping.h"
#include "render3d/environment_map.h"
#include "render3d/face_setup.h"
#include "render3d/metaballs.h"
#include "render3d/mesh_view.h"
#include "render3d/rasterizer.h"
#include "render3d/vertex_cache.h"
#include "scenes/scene_rules.h"
#include "scenes/scene_table.h"

namespace scene7 {
namespace {

constexpr int kBallCount = 10;
constexpr int kGridSize = 48;          // grid points per axis
constexpr float kGridExtent = 20.0f;   // the grid spans -10 .. 10 on each axis
constexpr float kThreshold = 1.0f;
constexpr int kMaxFaces = 100000;
constexpr int kTextureSize = 256;

MetaballMesh blob;
MeshView blobView;  // of the surface as the last polygonize left it
Vector3 balls[kBallCount];
Camera camera(Vector3(0, 0, 0), Vector3(0, 0, 0), 120.0f, 0.0f);  // looks at the origin
std::unique_ptr<uint8_t[]> texture;  // 256x256, its palette an intensity ramp
std::unique_ptr<Palette> scenePalette;
VertexCache blobVertices;  // the blob's vertices, lit and projected once a frame

// Both persist for the whole run: a later visit carries on from where the last one left.
scene7::WindowClock ballClock;
scene7::WindowClock cameraClock;

// x^n for odd n: the sign survives.
float oddPower(float x, int n) {
    float result = x;
    for (int i = 1; i < n; ++i) result *= x;
    return result;
}

void placeBalls(float time) {
    for (int i = 0; i < kBallCount; ++i) {
        const float x = 3.0f * oddPower(std::sin(time + 8.0f * i), 7);
        const float y = 3.2f * oddPower(std::sin(1.4f * time + 27.0f - 12.0f * i), 5);
        const float wobble = std::sin(1.4f * time + 23.0f * (i + 1) + 7.0f);
        const float z = 2.7f * oddPower(std::cos(2.2f * i - 2.34f * time + wobble + 15.0f), 3);
        balls[i].set(x, y, z);
    }
}

// The eye circles the z axis at radius 7 while rising and falling between -7 and 7.
Vector3 eyePath(float s) {
    return Vector3(7.0f * std::cos(1.7f * s + 6.0f), 7.0f * std::sin(1.7f * s + 6.0f),
                   3.5f * (std::cos(34.0f - 2.3f * s) + std::sin(0.5f * s + 4985.0f)));
}

// Gouraud shading with the light's intensity written directly as the palette index.
void drawSmoothShaded(const Vector3& light) {
    ScreenPoint points[kClipPolygonCapacity];
    uint8_t shades[kClipPolygonCapacity];
    blobVertices.newFrame();
    for (int f = 0; f < blobView.visibleCount; ++f) {
        const int count = clipLitFace(*blobView.drawOrder[f], camera, light, 255.0f, 255.0f,
                                      blobVertices, points, shades);
        fillGouraud(points, shades, count, FrameBuffer);
    }
}


void load() {
    scenePalette = loadPalette("gfx\\env.gif");
    texture = loadPictureOfSize("gfx\\env.gif", kTextureSize, kTextureSize);
    blob.configure(kBallCount, balls, kGridSize, kGridExtent, kThreshold, kMaxFaces);
    // The surface as the scene begins, built once so that the loading screen, not the
    // first frame, touches the memory a surface of this size uses. Every frame that moves
    // the balls rebuilds it from scratch.
    placeBalls(0.0f);
    blob.polygonize();
    blobView.reserve(blob.mesh, 3 * kMaxFaces, kMaxFaces);
    blobVertices = VertexCache();
    blobVertices.addView(blobView, std::min(kMaxMetaballVertices, 3 * kMaxFaces));
}

void unload() {
    texture.reset();
    scenePalette.reset();
}

void start() {
    setPalette(scenePalette.get());
    camera.eye = eyePath(0.0f);
    camera.update();
}

void keepState(StateRecord& record) {
    record.keep(ballClock);
    record.keep(cameraClock);
    record.keep(balls);
    record.keep(camera.eye);
}

// The blob depends on the balls alone, the camera's matrices on its eye: both are worked
// out again rather than kept.
void restoreState(StateRecord& record) {
    record.restore(ballClock);
    record.restore(cameraClock);
    record.restore(balls);
    record.restore(camera.eye);
    camera.update();
    blob.polygonize();
}

void render(float t) {
    // 1-2. Balls move in [0, 2), [4, 6), [8, 10), [12, 14), [16, 18); the camera in the
    //      windows between. Each keeps its own clock, so each picks up where it stopped.
    if (ballsMoveAt(t)) {
        advanceClock(ballClock, t);
        placeBalls(ballClock.time);
        blob.polygonize();
    } else {
        advanceClock(cameraClock, t);
        camera.eye = eyePath(cameraClock.time);
        camera.update();
    }

    // 3. The light sits two units off the eye along each world axis, in camera space.
    const Vector3 light = transformPoint(camera.eye + Vector3(2, 2, 2), camera.view);

    // 4-5. A black frame; the blob's front faces far to near.
    clearFrame(FrameBuffer, 0);
    blobView.takeFaces();
    transform(blobView, camera.view);
    cullAndSort(blobView, true);

    // 6. Smooth shading before 9.5 s, the environment map from 9.5 s.
    if (!environmentMappedAt(t)) {
        drawSmoothShaded(light);
    } else {
        drawEnvironmentMapped(blobView, camera, texture.get(), blobVertices, FrameBuffer);
    }

    // 7. Blur across into the scratch frame and down back again.
    const BlurRadii radii = blurRadiiAt(t);
    blurHorizontal(ScratchFrame, FrameBuffer, radii.horizontal);
    blurVertical(FrameBuffer, ScratchFrame, radii.vertical);

    // 8.
    presentFrame(FrameBuffer);
}

}  // namespace
}  // namespace scene7

extern const SceneEntry metaballsScene = {
    scene7::load, scene7::unload, scene7::start, scene7::render, kSceneDurations[6],
    scene7::keepState, scene7::restoreState, "Metaballs",
};
