// Scene 2: a sphere swells and ripples under three travelling waves, lit by a point
// light with gouraud shading through a remap into the picture's palette, while the
// camera circles it after a shaky start. A full-screen picture lies on top with index 0
// transparent. The scene fades from white over 4 s; the sphere freezes at 19 s and is
// gone at 19.6 s.

#include <algorithm>
#include <cmath>
#include <memory>

#include "assets/load3ds.h"
#include "assets/mesh.h"
#include "assets/picture_loader.h"
#include "core/display.h"
#include "core/numeric.h"
#include "fx2d/frame_passes.h"
#include "fx2d/palette_fades.h"
#include "fx2d/palette_tables.h"
#include "render3d/camera.h"
#include "render3d/clipping.h"
#include "render3d/face_setup.h"
#include "render3d/mesh_view.h"
#include "render3d/rasterizer.h"
#include "render3d/vertex_cache.h"
#include "scenes/scene_table.h"

namespace {

constexpr float kFadeEnd = 4.0f;
constexpr float kFreeze = 19.0f;
constexpr float kVanish = 19.6f;
constexpr float kMaxShade = 255.0f;
const Vector3 kLightInWorld(0, 0, -20);

std::unique_ptr<Camera> camera;
std::unique_ptr<Palette> picturePalette;
std::unique_ptr<uint8_t[]> picture;  // 320x240, index 0 transparent
uint8_t shadeRemap[kRemapTableSize];  // light intensity -> nearest picture colour
Mesh sphere;                          // released at program exit
// This frame's shape as a model of its own: the sphere's faces, its vertices pushed out and
// already in view space, and the normals of that surface.
Mesh deformed;
MeshView sphereView;
VertexCache sphereVertices;           // lit and projected once a frame
// The scene time of the last frame that moved the camera and deformed the sphere: from
// 19 s that shape is drawn again, and it is all the state a frame hands to the next.
float shapeTime = 0.0f;

// An odd power keeps the sign of its base.
float pow5(float a) { return a * a * a * a * a; }
float pow7(float a) { return pow5(a) * a * a; }
float pow11(float a) { return pow7(a) * a * a * a * a; }

// The camera circles the sphere; for 2 s a shake decays in the view's translation, and
// fixed offsets keep the sphere up and to the left of the screen centre.
void moveCamera(float t) {
    camera->eye = Vector3(4 * std::cos(1.7f * t), 4 * std::sin(1.44f * t + 2), -5);
    camera->update();
    const float a = std::max(8 - 4 * t, 0.0f);
    const float b = std::max(10 - 5 * t, 0.0f);
    camera->view.m[0][3] += b * std::sin(7 * t + 24) - 1;
    camera->view.m[1][3] += -0.6f - a * std::cos(5 * t);
}

// The sphere's surface pushed out by up to 3.1 times its radius, straight into view
// space; normals follow the deformed surface; front faces sorted far to near.
void deformSphere(float t) {
    const AffineMatrix& view = camera->view;
    for (int i = 0; i < sphere.vertexCount; ++i) {
        const Vector3& p = sphere.positions[i];
        const float waves = pow7(std::sin(1.1f * t - 1.5f * p.x)) +
                            pow5(std::sin(0.8f * p.z + 0.9f * t)) +
                            pow11(std::cos(1.2f * p.y - 1.4f * t));
        const float s = 1 + 0.7f * std::fabs(waves);
        deformed.positions[i] = transformPoint(p * s, view);
    }
    deformed.computeVertexNormals();
    // Its view: the positions as they are; the normals, found in view space, turned by
    // the view's rotation once more, which is how the sphere has always been lit.
    AffineMatrix rotation = view;
    for (auto& row : rotation.m) row[3] = 0;
    for (int i = 0; i < deformed.vertexCount; ++i) {
        sphereView.viewPositions[i] = deformed.positions[i];
        sphereView.viewNormals[i] = transformPoint(deformed.normals[i], rotation);
    }
    cullAndSort(sphereView, true);
}

void drawSphereFace(const MeshFace& face, const Vector3& light) {
    ScreenPoint points[kClipPolygonCapacity];
    uint8_t shades[kClipPolygonCapacity];
    const int count =
        clipLitFace(face, *camera, light, kMaxShade, kMaxShade, sphereVertices, points, shades);
    fillGouraudMapped(points, shades, count, shadeRemap, FrameBuffer);
}


void load() {
    camera = std::make_unique<Camera>(Vector3(0, 0, 10), Vector3(0, 0, 0), 45, 0);
    picturePalette = loadPalette("gfx\\Rrbt3.gif");
    // Laid over the whole frame byte for byte, so it must be exactly the frame's size.
    picture = loadPictureOfSize("gfx\\Rrbt3.gif", kFrameWidth, kFrameHeight);
    load3ds(sphere, "3ds\\sphere2000f.3ds", nullptr);
    deformed.setVertexCount(sphere.vertexCount);
    deformed.setFaceCount(sphere.faceCount);
    std::copy(sphere.faces, sphere.faces + sphere.faceCount, deformed.faces);
    viewModel(sphereView, deformed);
    sphereVertices = VertexCache();
    sphereVertices.addView(sphereView, sphere.vertexCount);
    const std::unique_ptr<Palette> gouraud = loadPalette("gfx\\gouraud1.pal");
    buildRemapTable(*picturePalette, *gouraud, shadeRemap);
}

void unload() {
    camera.reset();
    picturePalette.reset();
    picture.reset();
}

void start() {}

void keepState(StateRecord& record) { record.keep(shapeTime); }

// The camera, the sphere's view arrays and its draw order depend on that moment alone:
// worked out again rather than kept.
void restoreState(StateRecord& record) {
    record.restore(shapeTime);
    moveCamera(shapeTime);
    deformSphere(shapeTime);
}

void render(float t) {
    // 1. Fade from white, only while t < 4.
    if (t < kFadeEnd) {
        Palette faded;
        liftPaletteFloor(*picturePalette, truncToInt(255 - 63.75f * t), faded);
        setPalette(&faded);
    }

    // 2. An empty frame.
    clearFrame(FrameBuffer, 0);

    // 3. The camera moves only while t < 19.
    if (t < kFreeze) {
        moveCamera(t);
        shapeTime = t;
    }

    // 4. The sphere, only while t < 19.6; from 19 s its last shape is drawn again.
    if (t < kVanish) {
        if (t < kFreeze) deformSphere(t);
        const Vector3 light = transformPoint(kLightInWorld, camera->view);
        sphereVertices.newFrame();
        for (int i = 0; i < sphereView.visibleCount; ++i) {
            drawSphereFace(*sphereView.drawOrder[i], light);
        }
    }

    // 5. The picture on top; its index 0 lets the sphere show.
    overlayOpaque(picture.get(), FrameBuffer);

    // 6. Show it.
    presentFrame(FrameBuffer);
}

}  // namespace

extern const SceneEntry deformingSphereScene = {
    load, unload, start, render, kSceneDurations[1], keepState, restoreState, "Deforming sphere",
};
